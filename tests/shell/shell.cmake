# Main window, start-up, settings page and VPN check.
tolvane_test(shell_logic_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/startup_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pinger_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/font_fit_test.cpp
  LIBS tolvane_shell tolvane_test_support)

# The window offscreen, on a program folder of its own with the stand-in control software.
tolvane_test(shell_window_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_layout_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_startup_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_settings_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_pages_look_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_fixture.h
  LIBS tolvane_shell_view tolvane_test_support tolvane_test_browser Qt6::Test)
target_compile_definitions(shell_window_test PRIVATE
  SHELL_CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  SHELL_CSHIS_PARTIAL_LIBRARY="$<TARGET_FILE:cshis_partial>"
  SHELL_DEMO_DIR="${TOLVANE_DEMO_DIR}"
  SHELL_CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(shell_window_test cshis cshis_partial tolvane_demo_ini)
if(TARGET tolvane_code_tables)
  add_dependencies(shell_window_test tolvane_code_tables)
endif()
