#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line on Windows as cmd.exe and batch files use it, under Wine: exit codes in
# %ERRORLEVEL%, output redirected into files and piped into other programs, UTF-8 text, menu
# files with umlauts in their names, and the hand-over to the window program.
# Usage: commandline.sh <folder of tarvik-konfig.exe> <test data folder> <scratch dir>
set -uo pipefail
bin=$1 data=$2 work=$3
export WINEDEBUG=${WINEDEBUG:--all}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work/alone"
cp "$data/menu-hidden.ini" "$work/hidden.ini"
cp "$data/menu-hidden.ini" "$work/Menü Ä.ini"
cp "$data/menu-clean.ini" "$work/clean.ini"
cp "$bin/tarvik-konfig.exe" "$work/alone/"
cd "$work" || exit 1
program=$(winepath -w "$bin/tarvik-konfig.exe")

# One batch file runs every call; each result lands in a file of its own. cmd.exe reads batch
# files in the console's code page, the OEM one (850 with German).
iconv -f UTF-8 -t CP850 >calls.bat <<BATCH
@echo off
set P="$program"
%P% --check clean.ini >clean.out 2>clean.err
echo %ERRORLEVEL% >clean.code
%P% --check hidden.ini >hidden.out 2>hidden.err
echo %ERRORLEVEL% >hidden.code
%P% --check --json hidden.ini >json.out
echo %ERRORLEVEL% >json.code
%P% --check "Menü Ä.ini" >umlaut.out 2>umlaut.err
echo %ERRORLEVEL% >umlaut.code
%P% --check fehlt.ini >missing.out 2>missing.err
echo %ERRORLEVEL% >missing.code
%P% --gibtsnicht >wrong.out 2>wrong.err
echo %ERRORLEVEL% >wrong.code
%P% --show hidden.ini | more >piped.out
echo %ERRORLEVEL% >piped.code
alone\tarvik-konfig.exe clean.ini >alone.out 2>alone.err
echo %ERRORLEVEL% >alone.code
BATCH
wine cmd /c calls.bat

code() { tr -d ' \r\n' <"$1.code" 2>/dev/null; }
expect() { # expect <name> <exit code>
    [[ $(code "$1") == "$2" ]] || fail "$1: exit code '$(code "$1")', expected $2; stderr: $(cat "$1.err" 2>/dev/null)"
}

expect clean 0
[[ ! -s clean.out && ! -s clean.err ]] || fail "a clean menu printed something"
expect hidden 1
# Redirected output is UTF-8 with the line ends of Windows.
mapfile -t lines < <(tr -d '\r' <hidden.out)
[[ ${#lines[@]} == 2 && ${lines[0]} == hidden.ini:18:\ *Zeiterfassung* &&
    ${lines[1]} == hidden.ini:24:\ *Lager* ]] || fail "--check printed: $(cat hidden.out)"
grep -q $'\r$' hidden.out || fail "redirected lines do not end in CR LF"
expect json 1
/usr/bin/python3 -c '
import json
findings = json.load(open("json.out", encoding="utf-8"))
assert [(f["line"], f["kind"], f["node"]) for f in findings] == [
    (18, "hidden-entry", "Büro"), (24, "hidden-node", "Lager")], findings
' || fail "--check --json: $(cat json.out)"
expect umlaut 1
grep -q '^Menü Ä.ini:18: ' umlaut.out || fail "umlauts in the file name: $(cat umlaut.out)"
expect missing 2
grep -q 'fehlt.ini' missing.err || fail "missing file: $(cat missing.err)"
expect wrong 2
grep -q 'gibtsnicht' wrong.err || fail "unknown option: $(cat wrong.err)"
expect piped 0
grep -q $'\tRechner\tC:\\\\Windows\\\\calc.exe' piped.out || fail "piped --show: $(cat piped.out)"
expect alone 2
grep -q 'tarvik-konfig-fenster.exe' alone.err || fail "no window program: $(cat alone.err)"

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "command line on Windows: all checks passed"
