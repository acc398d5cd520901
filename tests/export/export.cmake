# The patient summary and the exchange file.
add_library(tolvane_export_fixtures STATIC
  ${CMAKE_CURRENT_LIST_DIR}/export_fixtures.cpp ${CMAKE_CURRENT_LIST_DIR}/export_fixtures.h)
tolvane_warnings(tolvane_export_fixtures)
target_include_directories(tolvane_export_fixtures PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_export_fixtures PUBLIC tolvane_export tolvane_test_support)

tolvane_test(export_model_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/summary_model_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/fhir_bundle_test.cpp
  LIBS tolvane_export_fixtures)
