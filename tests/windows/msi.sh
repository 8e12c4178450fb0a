#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The MSI as an administrator rolls it out, in a fresh Wine prefix: a silent install into
# Program Files with its start-menu entry; the installed command line checks a menu with hidden
# entries from cmd.exe; the installed window opens the sample menu under Xvfb (screenshots of
# the window and its version box are kept); a silent uninstall leaves nothing in Program Files.
# Usage: msi.sh <MSI file> <test data folder> <scratch dir>
set -uo pipefail
msi=$1 data=$2 work=$3
title="Tarvik konfigurieren"

rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH DISPLAY
folder="$WINEPREFIX/drive_c/Program Files/Tarvik konfigurieren"
# The start menu of all users, where Windows puts a per-machine install's entry; Wine's msiexec
# takes the installing user's (ALLUSERS=1 and all).
shortcut_there() {
    local link
    for link in "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$title.lnk" \
        "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu/Programs/$title.lnk"; do
        [[ -f "$link" ]] && return 0
    done
    return 1
}

xvfb=
app=
cleanup() {
    [[ -z $app ]] || kill "$app" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [[ -z ${DISPLAY:-} ]] || import -window root "$work/failure.png" 2>/dev/null
    exit 1
}
source "$(dirname "${BASH_SOURCE[0]}")/../support/within.sh"

# The display from the start: Wine's desktop process, started with the prefix, draws every window.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
within 200 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n 1 "$work/display")

wineboot -i >"$work/wineboot.log" 2>&1 || fail "the Wine prefix: $(cat "$work/wineboot.log")"
wine msiexec /i "$(winepath -w "$msi")" /qn || fail "msiexec /i ended with $?"
for file in tarvik-konfig.exe tarvik-konfig-fenster.exe qt.conf Qt6Core.dll Qt6Widgets.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll translations/qtbase_de.qm \
    Beispiel/tarvik.ini Beispiel/tarvik.Kasse; do
    [[ -f "$folder/$file" ]] || fail "not installed: $file"
done
[[ ! -e "$folder/daten" ]] || fail "a data folder in Program Files"
shortcut_there || fail "no start-menu entry"

# The installed command line, as a batch file runs it.
cp "$data/menu-hidden.ini" "$work/hidden.ini"
cat >"$work/check.bat" <<'BATCH'
@echo off
"C:\Program Files\Tarvik konfigurieren\tarvik-konfig.exe" --check hidden.ini >check.out
echo %ERRORLEVEL% >check.code
BATCH
(cd "$work" && wine cmd /c check.bat)
[[ $(tr -d ' \r\n' <"$work/check.code") == 1 ]] || fail "--check ended with $(cat "$work/check.code")"
grep -q '^hidden.ini:18: .*Zeiterfassung' "$work/check.out" &&
    grep -q '^hidden.ini:24: .*Lager' "$work/check.out" || fail "--check printed: $(cat "$work/check.out")"

# The installed window on the sample menu.
sample='C:\Program Files\Tarvik konfigurieren\Beispiel\tarvik.ini'
# Wine's DirectWrite draws no text into Qt's line edits; Qt's FreeType engine does.
wine "C:\\Program Files\\Tarvik konfigurieren\\tarvik-konfig-fenster.exe" \
    -platform windows:fontengine=freetype "$sample" >"$work/window.log" 2>&1 &
app=$!
window=
find_window() { window=$(xdotool search --onlyvisible --name "^$title \\(.*tarvik\\.ini\\)$" 2>/dev/null | head -n 1); [[ -n $window ]]; }
within 900 find_window || fail "no window with the sample menu in its caption"
# Without a window manager Wine leaves the maximised window at its restored size on the screen.
xdotool windowmove "$window" 0 0 windowsize "$window" 1280 1024
sleep 3
import -window root "$work/fenster.png"
# Started from Program Files, the program keeps its menu files in the user's data folder.
compgen -G "$WINEPREFIX/drive_c/users/*/AppData/Local/tarvik-konfig/daten" >/dev/null ||
    fail "no data folder in the user's profile"
# Hilfe → Versions-Info: the box shows the values of the program's version resource.
# Hilfe → Versions-Info, from the keyboard once the window has it.
xdotool mousemove 100 200 click 1
sleep 1
xdotool key alt+h
sleep 1
xdotool key v
within 100 xdotool search --onlyvisible --name '^Information$' >/dev/null || fail "no version box"
sleep 1
import -window root "$work/versions-info.png"
xdotool key Return
kill "$app" 2>/dev/null
wait "$app" 2>/dev/null
app=
# The uninstall in a prefix at rest: the window's processes and the server gone first.
wineserver -k 2>/dev/null
wineserver -w

wine msiexec /x "$(winepath -w "$msi")" /qn || fail "msiexec /x ended with $?"
[[ ! -e "$folder" ]] || fail "left in Program Files: $(cd "$folder" && find . | head)"
! shortcut_there || fail "the start-menu entry stayed"
echo "MSI: installed, command line and window checked, uninstalled (screenshots in $work)"
