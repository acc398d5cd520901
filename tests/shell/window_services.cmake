# "Read" from the window with both web services on loopback.
tolvane_window_test(shell_services_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_services_test.cpp
  LIBS sim_services
  DEPENDS hpabhp vpnaddon services_files)
