# Both web-service queries over HTTPS on loopback against the stand-in services and
# the stand-in libraries of the demo folder, with short time-outs.
tolvane_test(services_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/services_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/pinned_certificate_test.cpp
  LIBS tolvane_cloud tolvane_card sim_services tolvane_test_core_app tolvane_test_support Qt6::Core
       Qt6::Network OpenSSL::Crypto)
target_compile_definitions(services_test PRIVATE
  CSHIS_FIXTURE="${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json")
add_dependencies(services_test hpabhp vpnaddon services_files)
