# The preventive-care eligibility query against in-process doubles.
tolvane_test(adult_prevent_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/adult_prevent_test.cpp
  LIBS tolvane_card tolvane_test_services tolvane_test_support)
target_include_directories(adult_prevent_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
