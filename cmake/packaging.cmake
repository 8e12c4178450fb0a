# SPDX-License-Identifier: MIT
# Installation into the standard places and the Debian package.
include(GNUInstallDirs)

set(TARVIK_APP_ID de.orvane.tarvik_konfig)
set(TARVIK_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/resources/desktop)
set(TARVIK_APP_ICON ${PROJECT_SOURCE_DIR}/resources/icons/tarvik-konfig.svg)
# Sizes the desktops look for in hicolor before they fall back to scaling the SVG.
set(TARVIK_ICON_SIZES 16 22 24 32 48 64 128 256)

# Qt's libraries live in the system's library folders; a /usr/bin program needs no run path.
# tarvik-konfig finds the window program beside itself.
set_target_properties(tarvik-konfig tarvik-konfig-fenster PROPERTIES INSTALL_RPATH "")
install(TARGETS tarvik-konfig tarvik-konfig-fenster RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TARVIK_DESKTOP_DIR}/${TARVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TARVIK_DESKTOP_DIR}/${TARVIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${TARVIK_DESKTOP_DIR}/tarvik-konfig.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME tarvik-konfig.xml)
install(FILES ${TARVIK_APP_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/daten/tarvik.ini
              ${PROJECT_SOURCE_DIR}/resources/daten/tarvik.Kasse
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik-konfig)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The man page of the command line, compressed as Debian keeps man pages; -n keeps the bytes
# independent of the build time.
set(TARVIK_MAN_PAGE ${CMAKE_BINARY_DIR}/packaging/tarvik-konfig.1.gz)
add_custom_command(OUTPUT ${TARVIK_MAN_PAGE}
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/resources/tarvik-konfig.1
            ${TARVIK_MAN_PAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/tarvik-konfig.1
    COMMENT "Compressing the man page"
    VERBATIM)
add_custom_target(tarvik_man_page ALL DEPENDS ${TARVIK_MAN_PAGE})
install(FILES ${TARVIK_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian looks for the licence in the documentation folder.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/copyright
"Upstream-Name: tarvik-konfig

Files: *
Copyright: 2026 Orvane
License: Expat
 Permission is hereby granted, free of charge, to any person obtaining a copy
 of this software and associated documentation files (the \"Software\"), to deal
 in the Software without restriction, including without limitation the rights
 to use, copy, modify, merge, publish, distribute, sublicense, and/or sell
 copies of the Software, and to permit persons to whom the Software is
 furnished to do so, subject to the following conditions:
 .
 The above copyright notice and this permission notice shall be included in
 all copies or substantial portions of the Software.
 .
 THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR
 IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY,
 FITNESS FOR A PARTICULAR PURPOSE AND NONINFRINGEMENT. IN NO EVENT SHALL THE
 AUTHORS OR COPYRIGHT HOLDERS BE LIABLE FOR ANY CLAIM, DAMAGES OR OTHER
 LIABILITY, WHETHER IN AN ACTION OF CONTRACT, TORT OR OTHERWISE, ARISING FROM,
 OUT OF OR IN CONNECTION WITH THE SOFTWARE OR THE USE OR OTHER DEALINGS IN THE
 SOFTWARE.
")
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The fixed sizes are rendered from the SVG at build time, so the picture has one source.
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
    set(icon_pngs)
    foreach(size IN LISTS TARVIK_ICON_SIZES)
        set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/tarvik-konfig.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
            COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${TARVIK_APP_ICON}
            DEPENDS ${TARVIK_APP_ICON}
            COMMENT "Rendering the application icon at ${size} pixels"
            VERBATIM)
        list(APPEND icon_pngs ${png})
        install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(tarvik_icon_pngs ALL DEPENDS ${icon_pngs})
else()
    message(WARNING "rsvg-convert not found (Debian package librsvg2-bin): only the scalable "
                    "application icon is installed")
endif()

set(CPACK_PACKAGE_NAME tarvik-konfig)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor für Tarvik-Menüdateien / editor for Tarvik menu files")
# Debian wants the long description wrapped below 80 columns; CPack keeps the line breaks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Tarvik konfigurieren bearbeitet die Menüdateien des Programmstarters Tarvik:"
    "Knoten und Einträge anlegen, bearbeiten, verschieben, duplizieren, exportieren"
    "und löschen, Remotedesktop-Parameter zusammenstellen und die allgemeinen"
    "Einstellungen des Starters pflegen. Die Dateien bleiben mit dem Starter unter"
    "Windows verträglich."
    "."
    "Tarvik konfigurieren edits the menu files of the Tarvik program launcher:"
    "create, edit, move, duplicate, export and delete nodes and entries, compose"
    "remote-desktop parameters and maintain the launcher's general settings. The"
    "files stay readable by the launcher on Windows.")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(TARVIK_PACKAGE_MAINTAINER "Orvane" CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TARVIK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Linked libraries are found by dpkg-shlibdeps; these are loaded at run time only: the SVG
# plugins draw every picture, and the Qt translations give the standard dialogs their German.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")

include(CPack)
