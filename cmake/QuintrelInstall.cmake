# What `cmake --install` lays out besides the targets' own rules: the desktop entry, the
# AppStream metainfo and the icons. The binary finds its helpers (libexec/) and sounds
# (share/) relative to its own location, so any prefix works.
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
