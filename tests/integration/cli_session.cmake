# kavrin-hc's whole job in one card session: the exact commands on the virtual card.
kavrin_integration_test(kavrin_cli_session_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/services/services_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/cli_session_test.cpp)
target_compile_definitions(kavrin_cli_session_tests PRIVATE KAVRIN_HC="$<TARGET_FILE:kavrin-hc>")
add_dependencies(kavrin_cli_session_tests kavrin-hc)
