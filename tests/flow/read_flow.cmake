# The start-up flow and the "Read" and "Direct Read" flows against the in-process
# control software and the scripted cloud site, in virtual time.
tolvane_test(read_flow_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/read_flow_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/startup_flow_test.cpp
  LIBS tolvane_flow tolvane_test_browser tolvane_test_cshis tolvane_test_core_app
       tolvane_test_support)
target_compile_definitions(read_flow_test PRIVATE
  CARD_FIXTURE_DIR="${CMAKE_SOURCE_DIR}/tests/card/fixtures")
