# The Debian package (`cpack -G DEB` in a release build). dpkg-shlibdeps finds the
# libraries the binaries link, and with them Qt's X11 platform plugin (libqt6gui6), its
# TLS backend (libqt6network6) and, for the dashboard helper alone, the web engine and its
# renderer process (named by the web engine's symbols file). Depends adds what is only
# loaded at run time: a session bus for the tray, notifications and idle time and, with Qt
# before 6.5, the GStreamer elements the sound helper decodes and plays MP3 with (mpg123 in
# -good; playbin and the audio converters in -base); later Qt plays through FFmpeg, which
# Qt Multimedia itself depends on. Library names differ between Debian releases, so a
# package fits only the release it was built on, and its version says which (1.0.0~deb12).
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
cmake_host_system_information(RESULT quintrel_distro QUERY DISTRIB_ID DISTRIB_VERSION_ID)
if(quintrel_distro MATCHES "^debian;([0-9]+)")
    set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}~deb${CMAKE_MATCH_1}")
endif()
find_package(Qt6 6.4 REQUIRED COMPONENTS Core)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "default-dbus-session-bus | dbus-session-bus")
if(Qt6_VERSION VERSION_LESS 6.5)
    string(PREPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           "gstreamer1.0-plugins-good, gstreamer1.0-plugins-base, ")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnome-shell-extension-appindicator")

set(CPACK_GENERATOR DEB)
include(CPack)
