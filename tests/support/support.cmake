# Test doubles that every test folder links: the virtual clock, the recording
# prompts and status sink. The doubles that several folders share live beside them
# (the browser and cloud site, the control software).
add_library(tolvane_test_support STATIC
  ${CMAKE_CURRENT_LIST_DIR}/virtual_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/virtual_clock.h
  ${CMAKE_CURRENT_LIST_DIR}/recording_prompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_prompts.h
  ${CMAKE_CURRENT_LIST_DIR}/recording_status_sink.h)
tolvane_warnings(tolvane_test_support)
target_include_directories(tolvane_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_support PUBLIC tolvane_common GTest::gtest)
