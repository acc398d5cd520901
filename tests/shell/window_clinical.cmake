# The clinical aids on the window's cloud page, with the demo patient's records.
tolvane_test(shell_clinical_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_clinical_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_fixture.h
  LIBS tolvane_shell_view tolvane_test_support tolvane_test_browser Qt6::Test Qt6::Charts)
target_compile_definitions(shell_clinical_test PRIVATE
  SHELL_CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  SHELL_CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json"
  SHELL_DEMO_DIR="${TOLVANE_DEMO_DIR}"
  CLOUD_RECORDS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cloudsite/fixtures/cloud-records.json")
add_dependencies(shell_clinical_test cshis)
