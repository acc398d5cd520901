# Control-software binding, result-code messages and the stand-in control software.
tolvane_test(control_software_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/control_software_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/err_message_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/cshis_stand_in_test.cpp
  LIBS tolvane_card sim_cardstate)
target_compile_definitions(control_software_test PRIVATE
  CSHIS_LIBRARY="$<TARGET_FILE:cshis>"
  CSHIS_PARTIAL_LIBRARY="$<TARGET_FILE:cshis_partial>"
  CSHIS_FIXTURE="${PROJECT_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(control_software_test cshis cshis_partial)
