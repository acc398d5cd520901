# The referral query and its documents against in-process doubles.
tolvane_test(referral_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/referral_test.cpp
  LIBS tolvane_cloud tolvane_test_services tolvane_test_support)
