# "Read" archives the query and the ID box brings it and the demo folder's seeded
# days back, with the real browser engine and the loopback cloud site.
tolvane_test(archive_e2e_test LABEL e2e TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_e2e_test.cpp
  LIBS tolvane_shell_view tolvane_test_support sim_cloudsite Qt6::Widgets Qt6::Test
  ENV QTWEBENGINE_DISABLE_SANDBOX=1
      "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu --disable-background-networking --disable-component-update --no-first-run --disable-sync")
target_compile_definitions(archive_e2e_test PRIVATE E2E_DEMO_DIR="${TOLVANE_DEMO_DIR}")
add_dependencies(archive_e2e_test tolvane cshis tolvane_code_tables tolvane_demo_archive)
