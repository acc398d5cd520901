# The window's summary button: print, PDF and FHIR export of the patient on screen.
tolvane_test(shell_summary_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_summary_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_fixture.h
  LIBS tolvane_shell_view tolvane_test_support tolvane_test_browser Qt6::Test)
target_compile_definitions(shell_summary_test PRIVATE
  SHELL_CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  SHELL_CSHIS_PARTIAL_LIBRARY="$<TARGET_FILE:cshis_partial>"
  SHELL_CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(shell_summary_test cshis cshis_partial)
