# The Debian package: `cpack -G DEB` in the build folder makes
# liravo_<version>_<arch>.deb from what `cmake --install` installs, plus the
# AppStream metainfo. Included by the top-level CMakeLists.txt after install.cmake.
set(LIRAVO_HOMEPAGE "https://github.com/liravo/liravo" CACHE STRING
    "Home page named by the package and the AppStream metainfo")
set(LIRAVO_SCREENSHOT_BASE "https://raw.githubusercontent.com/liravo/liravo/main/docs" CACHE STRING
    "Web folder holding docs/*.png, for the AppStream screenshots")
# The version is the release date.
string(REPLACE "." "-" LIRAVO_RELEASE_DATE "${PROJECT_VERSION}")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/io.github.liravo.Liravo.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/io.github.liravo.Liravo.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/io.github.liravo.Liravo.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# ---- Audio engine: the one place that names its Debian packages. ----
# dpkg-shlibdeps finds GStreamer's libraries through the engine module, but
# the decoders, the sound outputs and the web source are plugins it loads at
# run time, so the package has to name them. FFmpeg's plugin is the only
# decoder of WMA and APE (and of AAC without plugins-bad), so it is needed,
# not merely recommended, for the formats the player offers.
set(LIRAVO_ENGINE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-pulseaudio | gstreamer1.0-pipewire | gstreamer1.0-alsa, libsoup-3.0-0" CACHE STRING
    "Debian packages of the audio engine, which the program opens at run time")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME liravo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Liravo)
set(CPACK_PACKAGE_CONTACT "Liravo maintainers <maintainers@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast music player with a Chinese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Liravo plays local music files (MP3, M4A, FLAC, Ogg, Opus, WAV, AAC, WMA, APE),\n\
keeps one song collection of up to 100 songs saved as .yyu files, opens M3U\n\
and PLS playlists, lives in the system tray and runs as a single copy.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # liravo_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LIRAVO_HOMEPAGE}")
# Libraries the program and the network module link come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Qt finds its X11 platform plugin at run time, and the .yyu type needs the
# MIME database; shared-mime-info, desktop-file-utils and hicolor-icon-theme
# refresh their caches through dpkg triggers when this package adds files.
# Qt's own dialogs and buttons are in Chinese only with Qt's translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${LIRAVO_ENGINE_DEPENDS}, qt6-qpa-plugins, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-bad, qt6-translations-l10n, desktop-file-utils, hicolor-icon-theme, fonts-noto-cjk | fonts-wqy-zenhei")
include(CPack)
