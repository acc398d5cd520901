# The cloud report: record tables, filter rules, columns and sort keys, menu and
# copy texts, the model under its sort proxy, and the page's widgets offscreen.
tolvane_test(report_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/filter_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/report_sort_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/report_texts_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/cloud_report_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/report_fixture.h
  LIBS tolvane_report tolvane_test_support Qt6::Test)
target_compile_definitions(report_test PRIVATE
  REPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")

tolvane_test(report_view_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cloud_report_view_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/report_fixture.h
  LIBS tolvane_report_view tolvane_test_support Qt6::Test)
target_compile_definitions(report_view_test PRIVATE
  REPORT_FIXTURES="${CMAKE_CURRENT_LIST_DIR}/fixtures")
