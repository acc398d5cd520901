# The common helpers: code page, card text, ROC and record dates, clock and Delay,
# atomic writes, the INI store, the record text, and the shared test doubles themselves.
tolvane_test(common_test LABEL unit
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/codepage_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/card_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ascii_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_dates_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clock_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/atomic_file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ini_file_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/record_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support_test.cpp
  LIBS tolvane_common tolvane_test_support Qt6::Core)
