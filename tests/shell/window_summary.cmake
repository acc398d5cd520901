# The window's summary button: print, PDF and FHIR export of the patient on screen.
tolvane_window_test(shell_summary_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_summary_test.cpp)
