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

# Every build but the sanitizers' is hardened as Debian builds its own: a protected stack,
# checked libc calls (where the optimizer runs, which they need), and relocations resolved at
# start and then made read-only (the package test runs hardening-check on the three
# executables). Test, user and package builds thus compile alike, and the package reuses the
# test build's objects through the compiler cache.
include(CheckCXXCompilerFlag)
set(_hardening -fstack-protector-strong)
foreach(_flag IN ITEMS -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "QUINTREL_HAS${_flag}" _known)
    check_cxx_compiler_flag(${_flag} ${_known})
    if(${_known})
        list(APPEND _hardening ${_flag})
    endif()
endforeach()
if(NOT QUINTREL_SANITIZE)
    add_compile_options(${_hardening}
        "$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    add_link_options(LINKER:-z,relro,-z,now)
endif()

# Every function and object in a section of its own, and the linker drops those nothing
# reaches: the logic and the desktop parts are compiled in batches, and a batch that one
# needed function pulls in would otherwise bring all of its neighbours (the settings
# window's half of the logic, say, which libquintrel-windows.so carries itself). Relative
# relocations packed (DT_RELR) where the linker and the C library know them: the loader
# then reads a few hundred bytes at start instead of tens of kilobytes. Both keep the
# pages an idle app has mapped from its own files few. The sanitizers' builds, which are
# about faults and not size, keep their sections as the compiler makes them.
if(NOT QUINTREL_SANITIZE)
    add_compile_options(-ffunction-sections -fdata-sections)
    add_link_options(LINKER:--gc-sections)
    include(CheckLinkerFlag)
    check_linker_flag(CXX LINKER:-z,pack-relative-relocs QUINTREL_HAS_PACKED_RELOCATIONS)
    if(QUINTREL_HAS_PACKED_RELOCATIONS)
        add_link_options(LINKER:-z,pack-relative-relocs)
    endif()
endif()
