# The clinical aids of the cloud report: the local duplicate check and its
# setting, the laboratory trend series.
tolvane_test(report_clinical_test LABEL unit
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/duplicate_check_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lab_trend_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clinical_aids_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/supply_timeline_test.cpp
  LIBS tolvane_report tolvane_test_support Qt6::Core)
