# Code tables, the institution list and the drug and diagnosis databases.
tolvane_test(code_tables_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/code_tables_test.cpp
  LIBS tolvane_card)
tolvane_test(drug_database_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/drug_database_test.cpp
  LIBS tolvane_card)
# The sample databases of the demo folder are checked against their sources.
target_compile_definitions(drug_database_test PRIVATE
  TOLVANE_DEMO_DIR="${TOLVANE_DEMO_DIR}")
add_dependencies(drug_database_test tolvane_code_tables)
