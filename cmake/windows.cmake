# SPDX-License-Identifier: MIT
# The Windows build, cross-compiled here (cmake/mingw-w64-x86_64.cmake, scripts/build-windows).

# The MSI installs into this folder. Started from there, the program keeps its menu files in the
# user's data folder, as the Linux installed mode does (TARVIK_INSTALLED_BINDIR in src/gui/editor/).
# Plain variables, ahead of the cache's defaults of GNUInstallDirs.
set(CMAKE_INSTALL_PREFIX "C:/Program Files")
set(CMAKE_INSTALL_BINDIR "Tarvik konfigurieren")

# The tests run under Wine (scripts/check-windows sets up its prefix).
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tests/windows/wine-run)
endif()
