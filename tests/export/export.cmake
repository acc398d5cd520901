# The patient summary and the exchange file.
add_library(tolvane_export_fixtures STATIC
  ${CMAKE_CURRENT_LIST_DIR}/export_fixtures.cpp ${CMAKE_CURRENT_LIST_DIR}/export_fixtures.h)
tolvane_warnings(tolvane_export_fixtures)
target_include_directories(tolvane_export_fixtures PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tolvane_export_fixtures PUBLIC tolvane_export tolvane_test_support)

tolvane_test(export_model_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/summary_model_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/fhir_bundle_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/twcore_requirements_test.cpp
  LIBS tolvane_export_fixtures)

# The exported Bundles against the FHIR R4 JSON schema and against the R4
# StructureDefinitions with their invariants, with the two validators that
# scripts/install-deps installs under fhir_schema/ (Node; tests only).
tolvane_test(fhir_schema_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fhir_schema_test.cpp
  LIBS tolvane_export_fixtures)
target_compile_definitions(fhir_schema_test PRIVATE
  FHIR_SCHEMA_DIR="${CMAKE_CURRENT_LIST_DIR}/fhir_schema")

# The PDF, read back with poppler-utils (pdftotext, pdfinfo, pdffonts), and made
# beside a running event loop.
tolvane_test(summary_pdf_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/summary_pdf_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/summary_aside_test.cpp ${CMAKE_CURRENT_LIST_DIR}/gui_app.cpp
  LIBS tolvane_export_fixtures
  ENV QT_QPA_PLATFORM=offscreen)
