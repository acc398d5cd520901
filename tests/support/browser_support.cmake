# The scripted browser for the cloud unit tests (on the shared virtual clock), and the
# model of the cloud record site that answers its scripts.
add_library(tolvane_test_browser STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_cloud_site.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_cloud_site.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qstring_printer.h)
tolvane_warnings(tolvane_test_browser)
target_include_directories(tolvane_test_browser PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_browser PUBLIC tolvane_cloud tolvane_test_support)

# The application object that logic with timers needs, made before main() runs; an
# object library, so its static constructor is always linked in.
add_library(tolvane_test_core_app OBJECT ${CMAKE_CURRENT_LIST_DIR}/core_app.cpp)
tolvane_warnings(tolvane_test_core_app)
target_link_libraries(tolvane_test_core_app PUBLIC Qt6::Core)
