#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line as scripts use it, without a display: exit codes, the compiler format of the
# check, JSON, the listing, and a repair after which the check is clean.
# Usage: commandline.sh <program> <test data folder> <scratch dir>
set -uo pipefail
program=$1 data=$2 work=$3
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# run <expected exit code> <args...>: output in $work/out and $work/err
run() {
    local want=$1
    shift
    "$program" "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [[ $got == "$want" ]] || fail "$* exited $got, expected $want; stderr: $(cat "$work/err")"
}

rm -rf "$work"
mkdir -p "$work"
cp "$data/menu-hidden.ini" "$work/hidden.ini"
cp "$data/menu-clean.ini" "$work/clean.ini"
cd "$work" || exit 1

run 0 --help
grep -q -- '--check' out && grep -q -- '--repair' out || fail "--help does not document the modes"
run 0 --version
[[ $(cat out) =~ ^tarvik-konfig\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$(cat out)'"
run 2 --gibtsnicht clean.ini
[[ ! -s out ]] && grep -q 'gibtsnicht' err || fail "unknown option: stderr '$(cat err)'"
run 2 --json hidden.ini
run 2 --check --show hidden.ini

run 0 --check clean.ini
[[ ! -s out && ! -s err ]] || fail "a clean menu printed something"

run 1 --check hidden.ini clean.ini
mapfile -t lines <out
[[ ${#lines[@]} == 2 ]] || fail "expected two findings, got: ${lines[*]}"
[[ ${lines[0]-} == hidden.ini:18:\ *Zeiterfassung* ]] || fail "hidden entry: '${lines[0]-}'"
[[ ${lines[1]-} == hidden.ini:24:\ *Lager* ]] || fail "hidden node: '${lines[1]-}'"

run 1 --check --json hidden.ini
/usr/bin/python3 -c '
import json, sys
findings = json.load(open("out", encoding="utf-8"))
assert [(f["line"], f["kind"], f["node"], f["entry"]) for f in findings] == [
    (18, "hidden-entry", "Büro", "Zeiterfassung"), (24, "hidden-node", "Lager", "")], findings
' || fail "--check --json"

run 2 --check clean.ini fehlt.ini
[[ ! -s out ]] && grep -q 'fehlt.ini' err || fail "missing file: stderr '$(cat err)'"

run 0 --show hidden.ini
printf 'Büro\n\tTextverarbeitung\tC:\\Office\\winword.exe\t\n\tRechner\tC:\\Windows\\calc.exe\t\n' >want
cmp -s out want || fail "--show printed: $(cat out)"

before=$(md5sum <clean.ini)
run 0 --repair clean.ini
[[ ! -s out && $(md5sum <clean.ini) == "$before" ]] || fail "a repair of a clean menu changed it"
run 0 --repair hidden.ini
grep -q 'Knoten \[C\] → \[B\]: Lager' out && grep -q 'Eintrag \[A\] 3 → 2: Zeiterfassung' out ||
    fail "--repair printed: $(cat out)"
run 0 --check hidden.ini
run 0 --show --json hidden.ini
/usr/bin/python3 -c '
import json
menu = json.load(open("out", encoding="utf-8"))
assert [(n["letter"], n["caption"], [e["caption"] for e in n["entries"]]) for n in menu["nodes"]] == [
    ("A", "Büro", ["Textverarbeitung", "Rechner", "Zeiterfassung"]), ("B", "Lager", ["Wareneingang"])]
' || fail "--show --json after the repair"

# Without option the window program takes over; alone, the program says it is missing.
cp "$program" "$work/alone"
"$work/alone" clean.ini >out 2>err
[[ $? == 2 ]] && grep -q 'tarvik-konfig-fenster' err || fail "no window program: stderr '$(cat err)'"

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "command line: all checks passed"
