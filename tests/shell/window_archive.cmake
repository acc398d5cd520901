# The query archive from the window's top bar, on a program folder with the demo data.
tolvane_test(shell_archive_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_archive_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_fixture.h
  LIBS tolvane_shell_view tolvane_test_support tolvane_test_browser Qt6::Test)
target_compile_definitions(shell_archive_test PRIVATE
  SHELL_CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  SHELL_CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json"
  SHELL_DEMO_DIR="${TOLVANE_DEMO_DIR}")
add_dependencies(shell_archive_test cshis)
if(TARGET tolvane_code_tables)
  add_dependencies(shell_archive_test tolvane_code_tables)
endif()
