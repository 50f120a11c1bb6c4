# The Debian package (`cpack -G DEB` in a release build). dpkg-shlibdeps finds the
# libraries the binaries link; Depends names what is only loaded at run time: the web
# engine's renderer process, the GStreamer elements that decode and play MP3 for the
# sound helper, Qt's X11 platform plugin and TLS backend, and a session bus.
set(CPACK_PACKAGE_NAME quintrel-companion)
set(CPACK_PACKAGE_VENDOR Quintrel)
set(CPACK_PACKAGE_CONTACT "Quintrel <support@quintrel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Live visitor count of your website in the panel")
set(CPACK_PACKAGE_DESCRIPTION
    "Quintrel Companion shows in the system tray how many visitors are on your website "
    "right now, as reported by the Quintrel web-analytics service, raises desktop "
    "notifications with a sound when the service asks, and opens a popup with the "
    "service's widgets.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quintrel.com")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6gui6, libqt6network6, libqt6webenginecore6-bin, gstreamer1.0-plugins-good, gstreamer1.0-plugins-base, default-dbus-session-bus | dbus-session-bus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")

set(CPACK_GENERATOR DEB)
include(CPack)
