# The duplicate list and the trend chart dialogs, offscreen, on the demo patient's rows.
tolvane_test(report_clinical_view_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/clinical_view_test.cpp
  LIBS tolvane_report_view tolvane_test_support Qt6::Test)
target_compile_definitions(report_clinical_view_test PRIVATE
  CLOUD_RECORDS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cloudsite/fixtures/cloud-records.json")
