#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Starts the built program under Xvfb on a copy of the sample menu, checks that its window comes
# up with the menu file in the caption and without an error box, keeps a screenshot, ends the
# program with Alt+F4 and checks that the menu files were not touched. Then once more at twice
# the scale: the window must lie on the screen; a find is typed and pictured.
# Usage: endtoend.sh <program> <sample menu folder> <scratch dir>
set -euo pipefail
program=$1 samples=$2 work=$3
title="Tarvik konfigurieren"

rm -rf "$work"
mkdir -p "$work/menu" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
cp "$samples/tarvik.ini" "$samples/tarvik.Kasse" "$work/menu/"
menu=$work/menu/tarvik.ini

xvfb=
app=
cleanup() {
    [[ -z $app ]] || kill "$app" 2>/dev/null || true
    [[ -z $xvfb ]] || kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    if [[ -n ${DISPLAY:-} ]]; then
        import -window root "$work/failure.png" 2>/dev/null && echo "screenshot: $work/failure.png" >&2
        echo "windows shown:" >&2
        for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
            echo "  '$(xdotool getwindowname "$w")'" >&2
        done
    fi
    [[ ! -s $work/program.log ]] || { echo "program output:" >&2; cat "$work/program.log" >&2; }
    exit 1
}
source "$(dirname "${BASH_SOURCE[0]}")/../support/within.sh"

# Xvfb takes a free display itself and names it on the descriptor once it accepts clients.
# -noreset: the server stays as it is when its last client leaves between the two runs.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
within 200 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")

launch() {
    XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb "$program" "$menu" >>"$work/program.log" 2>&1 &
    app=$!
}
shown_or_ended() { main_window_shown || ! kill -0 "$app" 2>/dev/null; }
start() {
    local attempt
    for attempt in 1 2; do
        launch
        within 300 shown_or_ended || fail "no main window within 30 s"
        main_window_shown && break
        wait "$app" || true
        app=
        # A server that refused the connection is asked once more; any other early end fails.
        [[ $attempt == 1 ]] && grep -q "could not connect to display" "$work/program.log" ||
            fail "the program ended before its window was shown"
        echo "the display refused the program's connection; starting it once more" >&2
        mv "$work/program.log" "$work/program-refused.log"
    done
    win=$(main_window)
}
main_window() { xdotool search --onlyvisible --name "^$title \\(" 2>/dev/null | head -n 1; }
main_window_shown() { [[ -n $(main_window) ]]; }
quit() {
    xdotool windowfocus --sync "$win"
    xdotool key --clearmodifiers alt+F4
    within 100 bash -c "! kill -0 $app 2>/dev/null" || fail "Alt+F4 did not end the program"
    status=0
    wait "$app" || status=$?
    app=
    [[ $status -eq 0 ]] || fail "program ended with status $status"
}

start
caption=$(xdotool getwindowname "$win")
[[ $caption == "$title ($menu)" ]] || fail "caption '$caption', expected '$title ($menu)'"
# An error box carries the bare title as its caption.
[[ -z $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null) ]] || fail "an error box is shown"

sleep 1 # let the first paint finish before the picture is taken
import -window root "$work/screen.png" || fail "no screenshot"
import -window "$win" "$work/main-window.png" || fail "no screenshot of the window"
echo "screenshots: $work/screen.png $work/main-window.png"
quit

export QT_SCALE_FACTOR=2
start
eval "$(xdotool getwindowgeometry --shell "$win")"
((X >= 0 && Y >= 0 && X + WIDTH <= 1280 && Y + HEIGHT <= 1024)) ||
    fail "at scale 2 the window lies at ${X},${Y} size ${WIDTH}x${HEIGHT}, off the 1280x1024 screen"
xdotool windowfocus --sync "$win"
xdotool keydown ctrl key f keyup ctrl
sleep 0.3
xdotool type --delay 50 "rech"
sleep 1
import -window root "$work/screen-scale2-find.png" || fail "no screenshot"
echo "screenshot: $work/screen-scale2-find.png"
quit
unset QT_SCALE_FACTOR

# Pictures the SVG renderer could not read, or other warnings of the toolkit.
if grep -E 'qt\.svg|QSvg|Could not|Cannot' "$work/program.log"; then
    fail "the program reported problems"
fi
cmp "$samples/tarvik.ini" "$menu" || fail "the menu file changed"
cmp "$samples/tarvik.Kasse" "$work/menu/tarvik.Kasse" || fail "the sub-list changed"
echo "end to end: all checks passed"
