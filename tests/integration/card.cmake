kavrin_integration_test(kavrin_card_integration_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/card_bench_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/card_engine_test.cpp
  DEPENDS kavrin_card)
