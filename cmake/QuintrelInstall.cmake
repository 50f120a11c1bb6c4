# What `cmake --install` lays out besides the targets' own rules: the desktop entry, the
# AppStream metainfo, the icons and the documentation. The binary finds its helpers
# (libexec/) and sounds (share/) relative to its own location, so any prefix works.
set(_quintrel_id com.quintrel.Companion)
set(_quintrel_resources ${PROJECT_SOURCE_DIR}/resources)

install(DIRECTORY ${_quintrel_resources}/media/ DESTINATION share/quintrel-companion/media
        FILES_MATCHING PATTERN "*.mp3")
install(FILES ${_quintrel_resources}/desktop/${_quintrel_id}.desktop
        DESTINATION share/applications)
install(FILES ${_quintrel_resources}/desktop/${_quintrel_id}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${_quintrel_resources}/icons/${_quintrel_id}.svg
        DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${_quintrel_resources}/icons/${_quintrel_id}-symbolic.svg
        DESTINATION share/icons/hicolor/symbolic/apps)
foreach(_size 16 22 24 32 48 64 128 256)
    install(FILES ${_quintrel_resources}/icons/png/${_size}.png
            DESTINATION share/icons/hicolor/${_size}x${_size}/apps
            RENAME ${_quintrel_id}.png)
endforeach()

# Everything the app starts or loads at run time: every target with an install rule. The
# demo builds this one target; runtime_target_test compares it with the install rules.
add_custom_target(quintrel-runtime)
add_dependencies(quintrel-runtime quintrel-companion quintrel-windows quintrel-sound quintrel-dashboard)
get_target_property(_quintrel_runtime_deps quintrel-runtime MANUALLY_ADDED_DEPENDENCIES)
set(_quintrel_runtime_files "")
foreach(_target IN LISTS _quintrel_runtime_deps)
    string(APPEND _quintrel_runtime_files "$<TARGET_FILE:${_target}>\n")
endforeach()
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/quintrel-runtime-files.txt
     CONTENT "${_quintrel_runtime_files}")

# The Debian package's documentation: the man page, the changelog (a native package's,
# so changelog.gz) and the machine-readable copyright. gzip -n keeps the name and the
# time stamp out, so the files are the same in every build.
set(_quintrel_docs ${PROJECT_BINARY_DIR}/docs)
set(_quintrel_man ${_quintrel_docs}/quintrel-companion.1.gz)
set(_quintrel_changelog ${_quintrel_docs}/changelog.gz)
add_custom_command(OUTPUT ${_quintrel_man}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_quintrel_docs}
    COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${PROJECT_SOURCE_DIR}/docs/quintrel-companion.1
            ${_quintrel_man}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/quintrel-companion.1 VERBATIM)
add_custom_command(OUTPUT ${_quintrel_changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_quintrel_docs}
    COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" ${_quintrel_resources}/debian/changelog
            ${_quintrel_changelog}
    DEPENDS ${_quintrel_resources}/debian/changelog VERBATIM)
add_custom_target(quintrel-docs ALL DEPENDS ${_quintrel_man} ${_quintrel_changelog})
install(FILES ${_quintrel_man} DESTINATION share/man/man1)
install(FILES ${_quintrel_changelog} ${_quintrel_resources}/debian/copyright
        DESTINATION share/doc/quintrel-companion)
