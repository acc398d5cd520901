# Card data model, card read, reader connection and patient pages.
tolvane_test(card_model_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/card_decoding_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/patient_pages_test.cpp
  LIBS tolvane_card tolvane_test_support)

# Against the in-process control software, on a card description of these tests.
tolvane_test(card_reader_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reader_connection_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/read_ic_card_data_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/code_table_wiring_test.cpp
  LIBS tolvane_card tolvane_test_cshis tolvane_test_support)
target_compile_definitions(card_reader_test PRIVATE
  TOLVANE_DEMO_DIR="${TOLVANE_DEMO_DIR}" CARD_FIXTURE_DIR="${CMAKE_CURRENT_LIST_DIR}/fixtures")
if(TARGET tolvane_code_tables)
  add_dependencies(card_reader_test tolvane_code_tables)
endif()

tolvane_test(card_pages_view_test LABEL widget
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/patient_pages_view_test.cpp
  LIBS tolvane_card_view tolvane_test_support)
