# The local query archive: its file layout, names, listing and reopening, on a
# program folder of its own, in virtual time.
tolvane_test(query_archive_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/query_archive_test.cpp
  LIBS tolvane_query tolvane_test_support)
