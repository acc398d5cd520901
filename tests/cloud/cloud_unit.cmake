# Unit tests of the cloud read: scanners, browser driver, table reader and the
# login flow, all against the scripted browser in virtual time.
tolvane_test(cloud_unit_test LABEL unit
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/edge_scrape_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/browser_driver_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/edge_table_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/edge_chart_test.cpp
  LIBS tolvane_cloud tolvane_test_browser tolvane_test_core_app tolvane_test_support Qt6::Core)

# The loopback site itself, over HTTPS on 127.0.0.1 with its test certificate.
tolvane_test(cloud_site_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cloud_site_test.cpp
  LIBS sim_cloudsite PkgConfig::HTTPLIB Qt6::Core)
target_compile_definitions(cloud_site_test PRIVATE
  CLOUD_TEST_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")
