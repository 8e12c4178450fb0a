#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop entry, the AppStream data and the MIME type: each passes its validator, the names
# that tie them to each other and to the program agree, and the MIME type finds menu files.
# Usage: desktopfiles.sh <source dir> <project version> <scratch dir>
set -euo pipefail
src=$1 version=$2 work=$3
dir=$src/resources/desktop
id=de.orvane.tarvik_konfig
desktop=$dir/$id.desktop
metainfo=$dir/$id.metainfo.xml
mimexml=$dir/tarvik-konfig.mime.xml

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
entry() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
xmllint --noout "$mimexml" || fail "xmllint on the MIME type"

# Names shared between the files.
exec_line=$(entry Exec)
[[ ${exec_line%% *} == tarvik-konfig ]] || fail "Exec starts '$exec_line', not the program"
[[ $exec_line == *' %f' ]] || fail "Exec passes no single file: '$exec_line'"
icon=$(entry Icon)
[[ -f $src/resources/icons/$icon.svg ]] || fail "Icon '$icon' names no picture"
[[ $(entry Name) == "Tarvik konfigurieren" ]] || fail "Name is '$(entry Name)'"
mimetype=$(xmllint --xpath 'string(//*[local-name()="mime-type"]/@type)' "$mimexml")
[[ $(entry MimeType) == "$mimetype;" ]] || fail "MimeType '$(entry MimeType)' is not '$mimetype;'"
xq() { xmllint --xpath "$1" "$metainfo"; }
[[ $(xq 'string(/component/id)') == "$id" ]] || fail "component id"
[[ $(xq 'string(/component/launchable)') == "$id.desktop" ]] || fail "launchable"
[[ $(xq 'string(/component/provides/mediatype)') == "$mimetype" ]] || fail "provided media type"
[[ $(xq 'string(/component/icon)') == "$icon" ]] || fail "stock icon"
newest=$(xq 'string(/component/releases/release[1]/@version)')
[[ $newest == "$version" ]] || fail "newest release $newest, but the program is $version"

# Detection through a private MIME database holding only this type.
rm -rf "$work"
mkdir -p "$work/mime/packages" "$work/files"
cp "$mimexml" "$work/mime/packages/"
XDG_DATA_HOME=$work update-mime-database "$work/mime" 2>"$work/update.log" || fail "update-mime-database"
[[ ! -s $work/update.log ]] || fail "update-mime-database complained: $(cat "$work/update.log")"
cp "$src/resources/daten/tarvik.ini" "$src/resources/daten/tarvik.Kasse" "$work/files/"
printf '; Kopf\r\n[Config]\r\nwidth=150\r\n\r\n[A]\r\nRoot=Windows\r\n0b=x\r\n' >"$work/files/liste.Buero"
printf '[A]\nkey=1\n' >"$work/files/fremd.ini"
printf 'Root=nur Text\n' >"$work/files/notiz"
detect() {
    XDG_DATA_HOME=$work XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$work/files/$1" |
        sed -n 's/^ *standard::content-type: //p'
}
for name in tarvik.ini tarvik.Kasse liste.Buero; do
    [[ $(detect "$name") == "$mimetype" ]] || fail "$name detected as '$(detect "$name")'"
done
for name in fremd.ini notiz; do
    [[ $(detect "$name") != "$mimetype" ]] || fail "$name taken for a menu file"
done

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "desktop files: all checks passed"
