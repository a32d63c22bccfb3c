# SPDX-License-Identifier: GPL-3.0-or-later
# Desktop integration: the menu entry (which also offers the player for MP3
# files and song collections), the icon in the hicolor theme, and the MIME
# type of .yyu song collection files. Included by the top-level CMakeLists.txt.
set(_liravo_res ${CMAKE_CURRENT_SOURCE_DIR}/resources)

install(FILES ${_liravo_res}/Liravo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_liravo_res}/liravo-yyu.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

foreach(_size 16 22 24 32 48 64 128 256)
    if(EXISTS ${_liravo_res}/icons/liravo-${_size}.png)
        install(FILES ${_liravo_res}/icons/liravo-${_size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
                RENAME liravo.png)
    endif()
endforeach()
if(EXISTS ${_liravo_res}/icons/liravo.svg)
    install(FILES ${_liravo_res}/icons/liravo.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Refresh the desktop's caches when installing straight into a live system;
# a packaging run (DESTDIR set) leaves that to the package's triggers.
string(CONFIGURE [[
    if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
        set(_share "${CMAKE_INSTALL_PREFIX}/@CMAKE_INSTALL_DATADIR@")
        find_program(_upd_mime update-mime-database)
        if(_upd_mime)
            execute_process(COMMAND ${_upd_mime} "${_share}/mime" OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(_upd_desktop update-desktop-database)
        if(_upd_desktop)
            execute_process(COMMAND ${_upd_desktop} "${_share}/applications"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
        find_program(_gtk_icon gtk-update-icon-cache)
        if(_gtk_icon)
            execute_process(COMMAND ${_gtk_icon} -q -t "${_share}/icons/hicolor"
                            OUTPUT_QUIET ERROR_QUIET)
        endif()
    endif()
]] _liravo_refresh_caches @ONLY)
install(CODE "${_liravo_refresh_caches}")
