# The settings page's rules, the start-up rules and the VPN check.
tolvane_test(flow_logic_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/startup_rules_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pinger_test.cpp
  LIBS tolvane_flow tolvane_test_support)
