# Precompiled headers for the test executables, whose compile time is mostly spent parsing
# GoogleTest, QtTest and nlohmann::json again for every file. The tests of one family in
# one folder share one precompiled header: the first of them builds it, the others reuse
# it, so they must all be built with the same flags and definitions (they link the same
# libraries, and QtTest defines the folder). Only headers of the system's packages go in:
# a header of ours here would rebuild every test whenever it changed.
#
# The compiler cache serves these too when told to accept them (scripts/test sets
# CCACHE_SLOPPINESS).

set(QUINTREL_PCH_unit
    <gtest/gtest.h> <gmock/gmock.h> <nlohmann/json.hpp>
    <functional> <map> <memory> <optional> <string> <vector>)
set(QUINTREL_PCH_desktop
    <QtTest> <QDBusConnection> <QDBusMessage> <QTemporaryDir>
    <functional> <memory> <optional> <string>)
set(QUINTREL_PCH_e2e
    <gtest/gtest.h> <QDBusConnection> <QDBusMessage> <QProcess> <QTemporaryDir>
    <nlohmann/json.hpp> <chrono> <functional> <memory> <optional> <regex> <string> <vector>)

# quintrel_test_pch(<target> <family>): <target> uses the family's precompiled header.
function(quintrel_test_pch target family)
    if(NOT QUINTREL_PCH)
        return()
    endif()
    # Through a precompiled header GCC (12 and 14 alike) no longer treats libstdc++ as a system
    # header, and its false reports on std::string's inlined copies (GCC bug 105329, like the
    # -Wno-restrict of quintrel_strict) surface in the tests.
    target_compile_options(${target} PRIVATE
        "$<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds;-Wno-stringop-overflow;-Wno-stringop-overread>")
    # AUTOMOC's mocs_compilation.cpp is empty when the test includes its own .moc; loading
    # the header into it would cost seconds for nothing.
    get_target_property(automoc ${target} AUTOMOC)
    if(automoc)
        set_source_files_properties(
            ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/mocs_compilation.cpp
            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
    get_property(owner DIRECTORY PROPERTY QUINTREL_PCH_OWNER_${family})
    if(owner)
        target_precompile_headers(${target} REUSE_FROM ${owner})
    else()
        set_property(DIRECTORY PROPERTY QUINTREL_PCH_OWNER_${family} ${target})
        target_precompile_headers(${target} PRIVATE ${QUINTREL_PCH_${family}})
    endif()
endfunction()
