# The in-process doubles of the two web services' helpers and of the HTTP exchange.
add_library(tolvane_test_services STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fake_services.h
  ${CMAKE_CURRENT_LIST_DIR}/fake_services.cpp)
tolvane_warnings(tolvane_test_services)
target_include_directories(tolvane_test_services PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_test_services PUBLIC tolvane_cloud tolvane_card tolvane_test_support)
