# Card data model, card read, reader connection and patient pages.
tolvane_test(card_model_test LABEL unit
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/card_decoding_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/patient_pages_test.cpp
  LIBS tolvane_card tolvane_test_support)
