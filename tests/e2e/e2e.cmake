# The program's window with the real browser engine, the stand-in control
# software and the loopback cloud site: one query after another, as a user runs them.
tolvane_test(read_e2e_test LABEL e2e TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/read_e2e_test.cpp
  LIBS tolvane_shell_view tolvane_test_support sim_cloudsite sim_services Qt6::Widgets
  ENV QTWEBENGINE_DISABLE_SANDBOX=1
      "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu --disable-background-networking --disable-component-update --no-first-run --disable-sync")
target_compile_definitions(read_e2e_test PRIVATE E2E_DEMO_DIR="${TOLVANE_DEMO_DIR}")
add_dependencies(read_e2e_test tolvane cshis hpabhp vpnaddon services_files tolvane_code_tables)
