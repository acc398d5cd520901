# Control-software binding, result-code messages, the stand-in control software and
# the in-process fake checked against it.
tolvane_test(control_software_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/control_software_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/err_message_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/cshis_stand_in_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/fake_control_software_test.cpp
  LIBS tolvane_card tolvane_test_cshis sim_cardstate)
target_compile_definitions(control_software_test PRIVATE
  CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  CSHIS_PARTIAL_LIBRARY="$<TARGET_FILE:cshis_partial>"
  CSHIS_FIXTURE="${PROJECT_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(control_software_test cshis cshis_partial)
