# A card that misbehaves: pulled at every command, silent, reset by others, shared
# by two processes; and kavrin-hc's answers to it.
find_package(nlohmann_json 3.10 REQUIRED)
kavrin_integration_test(kavrin_fault_matrix_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/services/services_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/fault_matrix_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/cli_faults_test.cpp
  DEPENDS kavrin_cli)
target_compile_definitions(kavrin_fault_matrix_tests PRIVATE KAVRIN_HC="$<TARGET_FILE:kavrin-hc>")
add_dependencies(kavrin_fault_matrix_tests kavrin-hc)
