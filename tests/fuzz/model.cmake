# Decodes arbitrary bytes as each block declaration of the data model.
kavrin_fuzzer(model_blocks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/model_blocks.cpp DEPENDS kavrin_model)
