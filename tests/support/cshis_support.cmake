# The in-process control software for the card and read-flow unit tests: it answers
# from the same card description, with the same Simulator and encoder, as sim/cshis.
add_library(tolvane_test_cshis STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fake_control_software.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_control_software.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cshis_harness.h)
tolvane_warnings(tolvane_test_cshis)
target_include_directories(tolvane_test_cshis PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_cshis PUBLIC tolvane_card sim_cshis_encoder tolvane_test_support)
