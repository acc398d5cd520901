# The window's font fitting of its lists.
tolvane_test(shell_logic_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/font_fit_test.cpp
  LIBS tolvane_shell tolvane_test_support)

# The window: its layout, start-up, settings page and pages.
tolvane_window_test(shell_window_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_layout_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_startup_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_settings_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/window_pages_look_test.cpp)
