# The demo builds quintrel-runtime and nothing else of the app: every executable and module
# with an install rule has to be among its dependencies, and nothing else.
# Usage: cmake -DBUILD_DIR=<build dir> -P runtime_target_test.cmake
file(STRINGS ${BUILD_DIR}/quintrel-runtime-files.txt runtime)
file(GLOB_RECURSE scripts ${BUILD_DIR}/cmake_install.cmake)
set(installed "")
foreach(script IN LISTS scripts)
    file(READ ${script} text)
    # PERMISSIONS and their values may come between the type and the files.
    string(REGEX MATCHALL "TYPE (EXECUTABLE|SHARED_LIBRARY|MODULE)( [A-Z_]+)* FILES \"[^\"]+\""
           rules "${text}")
    foreach(rule IN LISTS rules)
        string(REGEX REPLACE ".*FILES \"([^\"]+)\"" "\\1" file "${rule}")
        list(APPEND installed ${file})
    endforeach()
endforeach()
list(SORT runtime)
list(SORT installed)
list(REMOVE_DUPLICATES installed)
if(NOT runtime STREQUAL installed)
    message(FATAL_ERROR "quintrel-runtime builds\n  ${runtime}\nbut the install rules install\n"
                        "  ${installed}\n(cmake/QuintrelInstall.cmake lists its dependencies)")
endif()
message(STATUS "quintrel-runtime matches the install rules: ${runtime}")
