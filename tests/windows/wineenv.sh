# SPDX-License-Identifier: MIT
# Sourced: wine_env PREFIX makes the programs of build-windows/ run under Wine in that prefix
# (created when missing, without the .NET and browser parts it would offer to install), finding
# Qt's DLLs and the compiler's runtime through WINEPATH.
wine_env() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
        mkdir -p "$WINEPREFIX"
        DISPLAY= wineboot -i >"$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log" >&2; return 1; }
    fi
    local build qt dll dir dirs=()
    build=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build-windows
    qt=$(sed -n 's/^CMAKE_PREFIX_PATH:[A-Z]*=//p' "$build/CMakeCache.txt")
    dirs+=("$qt/bin")
    for dll in libstdc++-6.dll libwinpthread-1.dll; do
        dirs+=("$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")")")
    done
    WINEPATH=
    for dir in "${dirs[@]}"; do
        WINEPATH+="$(winepath -w "$dir");"
    done
    export WINEPATH
}
