kavrin_integration_test(kavrin_transport_integration_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/transport/virtual_card_test.cpp
  DEPENDS kavrin_transport)
