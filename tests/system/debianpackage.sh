#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from the current build tree and checks what it installs and what it
# depends on; the dependencies must be satisfiable on this machine, which runs the program.
# Usage: debianpackage.sh <build dir> <project version> <scratch dir>
set -euo pipefail
build=$1 version=$2 work=$3
id=de.orvane.tarvik_konfig

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work"
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    exit 1
fi
debs=("$work"/*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { echo "FAIL: expected one package, got: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

# Contents.
dpkg-deb -c "$deb" | awk '{print $1, $NF}' >"$work/contents.txt"
expect_file() {
    grep -q -x -e "-$2 ./$1" "$work/contents.txt" || fail "missing or wrong mode: $1"
}
expect_file usr/bin/tarvik-konfig rwxr-xr-x
expect_file usr/bin/tarvik-konfig-fenster rwxr-xr-x
expect_file "usr/share/applications/$id.desktop" rw-r--r--
expect_file "usr/share/metainfo/$id.metainfo.xml" rw-r--r--
expect_file usr/share/mime/packages/tarvik-konfig.xml rw-r--r--
expect_file usr/share/icons/hicolor/scalable/apps/tarvik-konfig.svg rw-r--r--
for size in 16 22 24 32 48 64 128 256; do
    expect_file "usr/share/icons/hicolor/${size}x${size}/apps/tarvik-konfig.png" rw-r--r--
done
expect_file usr/share/tarvik-konfig/tarvik.ini rw-r--r--
expect_file usr/share/tarvik-konfig/tarvik.Kasse rw-r--r--
expect_file usr/share/doc/tarvik-konfig/copyright rw-r--r--
expect_file usr/share/man/man1/tarvik-konfig.1.gz rw-r--r--
if grep -v -e ' \./usr/bin/' -e ' \./usr/share/' -e ' \./usr/$' "$work/contents.txt"; then
    fail "files outside /usr/bin and /usr/share"
fi

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tarvik-konfig ]] || fail "Package '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version '$(field Version)', expected $version"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture '$(field Architecture)'"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
depends=$(field Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 qt6-translations-l10n libc6 libstdc++6; do
    [[ ",$depends," =~ [,\ ]"$lib"[\ ,] ]] || fail "Depends lacks $lib: $depends"
done
satisfied() { # one alternative: "name" or "name (op version)"
    local name op want have
    read -r name op want <<<"$(sed -E 's/[()]//g' <<<"$1")"
    have=$(dpkg-query -W -f='${db:Status-Abbrev}${Version}' "$name" 2>/dev/null) || return 1
    [[ $have == ii* ]] || return 1
    [[ -z $op ]] || dpkg --compare-versions "${have#ii }" "$op" "$want"
}
IFS=',' read -r -a clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    ok=0
    IFS='|' read -r -a alternatives <<<"$clause"
    for alternative in "${alternatives[@]}"; do
        satisfied "$(xargs <<<"$alternative")" && ok=1 && break
    done
    ((ok)) || fail "dependency not satisfiable here: $clause"
done

# The unpacked tree as a desktop would see it.
dpkg-deb -x "$deb" "$work/root"
appstreamcli validate-tree --no-net "$work/root" || fail "appstreamcli validate-tree"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "installed desktop entry"
for program in "$work"/root/usr/bin/tarvik-konfig "$work"/root/usr/bin/tarvik-konfig-fenster; do
    if readelf -d "$program" | grep -E 'RPATH|RUNPATH'; then
        fail "installed program $(basename "$program") carries a run path"
    fi
    if ldd "$program" | grep 'not found'; then
        fail "installed program $(basename "$program") misses libraries"
    fi
done
# The command line runs on Qt Core alone: no window library is loaded for it.
if ldd "$work/root/usr/bin/tarvik-konfig" | grep -E 'libQt6(Gui|Widgets)'; then
    fail "tarvik-konfig loads window libraries"
fi
for size in 16 48 256; do
    png=$work/root/usr/share/icons/hicolor/${size}x${size}/apps/tarvik-konfig.png
    read -r w h < <(od -An -t u4 --endian=big -j 16 -N 8 "$png")
    [[ $w == "$size" && $h == "$size" ]] || fail "icon for ${size}x$size is ${w}x$h"
done

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $(basename "$deb"): all checks passed"
