# Every way a query can stop, seen from the window: one query on screen or none.
tolvane_window_test(shell_one_query_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_one_query_test.cpp
  LIBS sim_services
  DEPENDS hpabhp vpnaddon services_files)
