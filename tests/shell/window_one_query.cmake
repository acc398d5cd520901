# Every way a query can stop, seen from the window: one query on screen or none.
tolvane_test(shell_one_query_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_one_query_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_fixture.h
  LIBS tolvane_shell_view tolvane_test_support tolvane_test_browser sim_services Qt6::Test)
target_compile_definitions(shell_one_query_test PRIVATE
  SHELL_CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  SHELL_CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(shell_one_query_test cshis hpabhp vpnaddon services_files)
if(TARGET tolvane_code_tables)
  add_dependencies(shell_one_query_test tolvane_code_tables)
endif()
