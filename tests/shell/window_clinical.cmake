# The clinical aids on the window's cloud page, with the demo patient's records.
tolvane_window_test(shell_clinical_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_clinical_test.cpp
  LIBS Qt6::Charts
  DEFINES CLOUD_RECORDS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cloudsite/fixtures/cloud-records.json")
