# The query archive from the window's top bar, on a program folder with the demo data.
tolvane_window_test(shell_archive_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_archive_test.cpp)
