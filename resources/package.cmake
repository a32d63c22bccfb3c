# SPDX-License-Identifier: GPL-3.0-or-later
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
# the decoders and the sound outputs are plugins it loads at run time, so the
# package has to name them. Measured with playbin on each format (README,
# Formats): plugins-base plays Ogg Vorbis and Opus; plugins-good MP3
# (mpg123), FLAC, WAV and the MP4 container. Those are all the package
# depends on. FFmpeg's plugin (libav) is the only decoder of WMA and APE and
# decodes AAC and M4A, and plugins-ugly holds the ASF demuxer WMA needs; they
# are suggested: libav links libavfilter, which alone would bring some 100
# packages and 325 MB. A song that needs them says which to install (the
# engine names the package of whatever decoder GStreamer lacks).
# plugins-bad adds nothing the player needs (faad is a second AAC decoder).
# A plain variable, not a cache entry, so a build folder configured before
# always packages with the list written here.
set(LIRAVO_ENGINE_DEPENDS "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio | gstreamer1.0-pipewire | gstreamer1.0-alsa")
set(LIRAVO_ENGINE_SUGGESTS "gstreamer1.0-libav, gstreamer1.0-plugins-ugly, gstreamer1.0-plugins-bad")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME liravo)
set(LIRAVO_DEBIAN_REVISION 1 CACHE STRING "The Debian revision of the package (2014.05.29-<this>)")
set(LIRAVO_PACKAGE_VERSION "${PROJECT_VERSION}-${LIRAVO_DEBIAN_REVISION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LIRAVO_DEBIAN_REVISION})
set(CPACK_PACKAGE_VENDOR Liravo)
set(CPACK_PACKAGE_CONTACT "Liravo maintainers <maintainers@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small, fast music player with a Chinese interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Liravo plays local music files (MP3, FLAC, Ogg, Opus and WAV; M4A, AAC,\n\
WMA and APE with the suggested gstreamer1.0-libav and, for WMA,\n\
gstreamer1.0-plugins-ugly), keeps one song collection of up to 100 songs\n\
saved as .yyu files, opens M3U and PLS playlists, lives in the system tray\n\
and runs as a single copy.")
# The package preset also configures with the prefix /usr, so the modules go
# to the multiarch folder (/usr/lib/<triplet>/liravo), outside ldconfig's
# reach, and CPack writes no maintainer scripts that call ldconfig.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # liravo_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${LIRAVO_HOMEPAGE}")
# Libraries the program and the network module link come from dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Qt finds its X11 platform plugin at run time, and Chinese text needs a
# font that has it (lightest first, so a bare system gets 5 MB, not 90).
# The program links TagLib and ICU; dpkg-shlibdeps names them once it does,
# until then they are named here.
set(LIRAVO_CJK_FONTS "fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei | fonts-arphic-ukai | fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${LIRAVO_ENGINE_DEPENDS}, qt6-qpa-plugins, ${LIRAVO_CJK_FONTS}, libtag1v5, libicu72")
# What nearly every desktop wants: Qt's own dialogs and buttons in Chinese,
# the .yyu type in the MIME database, the menu and icon caches refreshed
# (their triggers run when this package adds files), and songs found online
# played through libsoup.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, shared-mime-info, desktop-file-utils, hicolor-icon-theme, libsoup-3.0-0")
# The decoders of M4A, AAC, WMA and APE (above), and native Wayland windows,
# which only matter without XWayland.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "${LIRAVO_ENGINE_SUGGESTS}, qt6-wayland")
# Directories as Debian wants them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)

# ---- Documentation: licence terms, changelog, manual page. ----
# CHANGELOG.md becomes Debian's changelog (the configure step stops when its
# newest section is not this package's version), and the manual page gets the
# version and that section's date; both are gzipped the way Debian wants
# (-9, no name or time stamp, so rebuilds are identical).
find_program(LIRAVO_GZIP gzip REQUIRED)
set(_liravo_doc ${CMAKE_INSTALL_DATADIR}/doc/liravo)
set(_liravo_gen ${CMAKE_CURRENT_BINARY_DIR}/doc)
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md _liravo_newest
     REGEX "^## [^ ]+ \\([0-9-]+\\)" LIMIT_COUNT 1)
string(REGEX REPLACE ".*\\(([0-9-]+)\\).*" "\\1" LIRAVO_MAN_DATE "${_liravo_newest}")
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/liravo.1.in ${_liravo_gen}/liravo.1 @ONLY)
add_custom_command(OUTPUT ${_liravo_gen}/changelog.Debian.gz ${_liravo_gen}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md
            -DOUT=${_liravo_gen}/changelog.Debian -DPACKAGE=liravo
            -DVERSION=${LIRAVO_PACKAGE_VERSION} "-DMAINTAINER=${CPACK_PACKAGE_CONTACT}"
            -P ${CMAKE_CURRENT_SOURCE_DIR}/tools/debchangelog.cmake
    COMMAND ${LIRAVO_GZIP} -9nf ${_liravo_gen}/changelog.Debian
    COMMAND ${LIRAVO_GZIP} -9nc ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md > ${_liravo_gen}/changelog.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md ${CMAKE_CURRENT_SOURCE_DIR}/tools/debchangelog.cmake
    COMMENT "Making the Debian changelog from CHANGELOG.md" VERBATIM)
add_custom_command(OUTPUT ${_liravo_gen}/liravo.1.gz
    COMMAND ${LIRAVO_GZIP} -9nc ${_liravo_gen}/liravo.1 > ${_liravo_gen}/liravo.1.gz
    DEPENDS ${_liravo_gen}/liravo.1 VERBATIM)
add_custom_target(liravo_docs ALL DEPENDS ${_liravo_gen}/changelog.Debian.gz
    ${_liravo_gen}/changelog.gz ${_liravo_gen}/liravo.1.gz)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/copyright ${_liravo_gen}/changelog.Debian.gz
              ${_liravo_gen}/changelog.gz
        DESTINATION ${_liravo_doc})
install(FILES ${_liravo_gen}/liravo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME liravo)
