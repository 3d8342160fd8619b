kavrin_fuzzer(card_public_key_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/card_public_key_fuzzer.cpp DEPENDS kavrin_card)
kavrin_fuzzer(card_sod_fuzzer SOURCES ${CMAKE_CURRENT_LIST_DIR}/card_sod_fuzzer.cpp DEPENDS kavrin_card)
