# The scripted browser for the cloud unit tests (on the shared virtual clock).
add_library(tolvane_test_browser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qstring_printer.h)
tolvane_warnings(tolvane_test_browser)
target_include_directories(tolvane_test_browser PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_browser PUBLIC tolvane_cloud tolvane_test_support)
