# Compiler settings shared by every target of our own.
if(QUINTREL_SANITIZE)
    add_compile_options(-fsanitize=${QUINTREL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${QUINTREL_SANITIZE})
endif()

function(quintrel_strict target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wpedantic
        # GCC 12 reports false overlaps inside std::string at -O3 (GCC bug 105329).
        $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)
endfunction()
