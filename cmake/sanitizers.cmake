# AddressSanitizer + UndefinedBehaviorSanitizer for every target; any UB report aborts.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
