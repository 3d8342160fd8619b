# The services and kavrin-hc against the virtual card through the real pcscd.
kavrin_integration_test(kavrin_services_integration_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/services/services_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/services_virtual_card_test.cpp
  DEPENDS kavrin_services)

find_package(nlohmann_json 3.10 REQUIRED)
kavrin_integration_test(kavrin_cli_integration_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/services/services_bench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/cli_virtual_card_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/services/cli_trust_test.cpp
  DEPENDS kavrin_services nlohmann_json::nlohmann_json)
target_compile_definitions(kavrin_cli_integration_tests PRIVATE KAVRIN_HC="$<TARGET_FILE:kavrin-hc>")
add_dependencies(kavrin_cli_integration_tests kavrin-hc)
