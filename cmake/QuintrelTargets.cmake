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

# Release builds, the package's among them, are hardened as Debian builds its own: a
# protected stack, checked libc calls, and relocations resolved at start and then made
# read-only (the package test runs hardening-check on the three executables).
include(CheckCXXCompilerFlag)
set(_hardening -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong)
foreach(_flag IN ITEMS -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "QUINTREL_HAS${_flag}" _known)
    check_cxx_compiler_flag(${_flag} ${_known})
    if(${_known})
        list(APPEND _hardening ${_flag})
    endif()
endforeach()
add_compile_options("$<$<CONFIG:Release>:${_hardening}>")
add_link_options("$<$<CONFIG:Release>:LINKER:-z,relro,-z,now>")
