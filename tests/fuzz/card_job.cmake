# The whole job of a front end against a card whose every answer comes from the input.
find_package(OpenSSL 3.0 REQUIRED COMPONENTS Crypto)
kavrin_fuzzer(card_job SOURCES ${CMAKE_CURRENT_LIST_DIR}/card_job.cpp
  DEPENDS kavrin_cli kavrin_test_answering_card OpenSSL::Crypto)
