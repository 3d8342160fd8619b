# Decodes arbitrary bytes as each block of the card.
kavrin_fuzzer(model_blocks SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/model_blocks.cpp DEPENDS kavrin_card)
