# "Read" from the window's buttons, on a program folder with the demo data.
tolvane_window_test(shell_read_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_read_test.cpp)
