# The Debian package (`cpack -G DEB` in a release build). dpkg-shlibdeps finds the
# libraries the binaries link, and with them Qt's X11 platform plugin (libqt6gui6), its
# TLS backend (libqt6network6) and, for the dashboard helper alone, the web engine and its
# renderer process (named by the web engine's symbols file). Depends adds what is only
# loaded at run time: the GStreamer elements the sound helper decodes and plays MP3 with
# (mpg123 in -good; playbin and the audio converters in -base), Qt's SVG image plugin that
# renders the tray's symbolic icon, and a session bus for the tray, notifications and idle
# time.
set(CPACK_PACKAGE_NAME quintrel-companion)
set(CPACK_PACKAGE_VENDOR Quintrel)
set(CPACK_PACKAGE_CONTACT "Quintrel <support@quintrel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Live visitor count of your website in the panel")
# The summary is the first line of the control file's Description; these lines follow.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quintrel Companion shows in the system tray how many visitors are on your"
    "website right now, as reported by the Quintrel web-analytics service. It"
    "raises desktop notifications with a sound when the service asks, and a"
    "click opens a popup with the service's widgets.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.quintrel.com")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-good, gstreamer1.0-plugins-base, libqt6svg6, default-dbus-session-bus | dbus-session-bus")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")

set(CPACK_GENERATOR DEB)
include(CPack)
