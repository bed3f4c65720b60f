# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra)
if(VADDEX_WERROR)
    add_compile_options(-Werror)
endif()

if(VADDEX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VADDEX_FUZZ)
    # The library is instrumented for coverage; the harnesses add the fuzzer main.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
