# The scripted browser and its virtual clock, for the cloud unit tests.
add_library(tolvane_test_browser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.cpp)
tolvane_warnings(tolvane_test_browser)
target_include_directories(tolvane_test_browser PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_browser PUBLIC tolvane_cloud)
