#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The command line as scripts use it, without a display: exit codes, the compiler format of the
# check, JSON, the listing, a repair after which the check is clean, and the changing commands
# in every encoding, their dry run and their refusals.
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

# The changing commands, on a menu in each encoding the store writes.
run 0 --help
for option in --add-node --add-entry --set --delete --move --replace --apply --dry-run; do
    grep -q -- "$option" out || fail "--help does not document $option"
done
want_changed=$'Büro\n\tRechner\tC:\\Windows\\System32\\calc.exe\t\nHalle\n\tTextverarbeitung\tC:\\Office\\winword.exe\t\nKasse €\n\tBon\tC:\\Kasse\\bon.exe\t-geheim'
for encoding in cp1252 utf-8-sig utf-16; do
    /usr/bin/python3 -c '
import sys
text = open(sys.argv[1], encoding="cp1252", newline="").read()
open(sys.argv[2], "w", encoding=sys.argv[3], newline="").write(text)
' clean.ini m.ini "$encoding"
    run 0 --add-node m.ini "Kasse €"
    run 0 --add-entry m.ini "Kasse €" --name Bon --program 'C:\Kasse\bon.exe' --params=-geheim \
        --scramble
    run 0 --set m.ini Büro/Rechner 'program=C:\Windows\System32\calc.exe' keepOpen=ja
    run 0 --move m.ini Büro/Textverarbeitung Lager
    run 0 --replace Lager Halle m.ini --in captions
    run 0 --delete m.ini Halle/Wareneingang
    run 0 --show m.ini
    [[ $(cat out) == "$want_changed" ]] || fail "$encoding: after the changes --show printed: $(cat out)"
    /usr/bin/python3 -c '
import sys
text = open("m.ini", encoding=sys.argv[1]).read()
sys.exit("-geheim" in text)
' "$encoding" || fail "$encoding: scrambled parameters stored plain"
    before=$(md5sum <m.ini)
    run 0 --set m.ini Büro/Rechner caption=Taschenrechner --dry-run
    [[ $(md5sum <m.ini) == "$before" ]] || fail "$encoding: --dry-run wrote"
    grep -qx -- '-0b=Rechner' out && grep -qx -- '+0b=Taschenrechner' out && grep -q '^@@ ' out ||
        fail "$encoding: --dry-run printed: $(cat out)"
done

# Into another file, and a list of changes as JSON.
cp clean.ini sub.ini
run 0 --move m.ini Büro/Rechner Lager --to sub.ini --json
/usr/bin/python3 -c '
import json
report = json.load(open("out", encoding="utf-8"))
assert [(c["op"], c["entry"], c["targetFile"], c["targetLetter"], c["targetIndex"])
        for c in report["changes"]] == [("move", "Rechner", "sub.ini", "B", 1)], report
assert [f["file"] for f in report["files"]] == ["sub.ini", "m.ini"], report
' || fail "--move --to --json"
printf '%s' '[{"op": "add-entry", "node": "Lager", "caption": "Scan", "program": "scan.exe"},
 {"op": "set", "item": "Lager/Scan", "params": "-a"}]' >changes.json
run 0 --apply changes.json clean.ini sub.ini
run 0 --show sub.ini
grep -qx $'\tScan\tscan.exe\t-a' out || fail "--apply: $(cat out)"

# Refusals: exit code 2, the place named, nothing written.
before=$(md5sum <clean.ini)
run 2 --delete clean.ini Büro/Mail
grep -q '»Textverarbeitung« (A/0)' err || fail "no candidates named: $(cat err)"
printf '[{"op": "set", "item": "Büro/Rechner", "caption": "X"},\n {"op": "delete", "item": "Nirgends"}]' >refused.json
run 2 --apply refused.json clean.ini
grep -q 'clean.ini, \$\[1\] (delete): „Nirgends“' err || fail "--apply refusal: $(cat err)"
printf '[{"op": "set",\n "item": }]' >broken.json
run 2 --apply broken.json clean.ini
grep -q 'broken.json:2:' err || fail "malformed JSON: $(cat err)"
printf '[{"op": "set", "item": "Büro", "colour": "rot"}]' >unknown.json
run 2 --apply unknown.json clean.ini
grep -q '\$\[0\]\.colour' err || fail "unknown field: $(cat err)"
run 2 --set clean.ini Büro "caption=$(printf 'a\tb')" 'expand=vielleicht'
grep -q 'expand=vielleicht' err || fail "bad value: $(cat err)"
printf 'Hallo,\nanbei die Liste.\n' >brief.txt
run 2 --add-node brief.txt Neu
grep -q 'keine Menüdatei' err || fail "not a menu file: $(cat err)"
# Another editor keeps the lock longer than a command waits.
flock clean.ini sleep 9 &
locker=$!
sleep 0.5
run 2 --add-node clean.ini Neu
grep -q 'gesperrt' err || fail "locked file: $(cat err)"
kill "$locker" 2>/dev/null
wait "$locker" 2>/dev/null
[[ $(md5sum <clean.ini) == "$before" ]] || fail "a refused change wrote"

# Three scripts changing one menu at once take turns through the editors' lock: every change is
# written, the file stays whole, and each writer's last value is there; --set and --apply alike.
printf '[A]\r\nRoot=Werkzeuge\r\n0b=eins\r\n0d=e.exe\r\n1b=zwei\r\n1d=z.exe\r\n2b=drei\r\n2d=d.exe\r\n' >turns.ini
writer() {
    local name=$1 n
    for n in $(seq 1 60); do
        if ((n % 2)); then
            "$program" --set turns.ini "Werkzeuge/$name" "program=$name-$n.exe" >/dev/null
        else
            printf '[{"op": "set", "item": "Werkzeuge/%s", "params": "-%s"}]' "$name" "$n" \
                >"turns-$name.json"
            "$program" --apply "turns-$name.json" turns.ini >/dev/null
        fi 2>>"turns-$name.err" || echo "$n" >>"turns-$name.refused"
    done
}
pids=()
for name in eins zwei drei; do
    writer "$name" &
    pids+=($!)
done
wait "${pids[@]}"
for name in eins zwei drei; do
    [[ ! -e turns-$name.refused ]] ||
        fail "$name: changes $(tr '\n' ' ' <"turns-$name.refused")refused: $(sort -u "turns-$name.err")"
    run 0 --show turns.ini
    grep -qx $'\t'"$name"$'\t'"$name-59.exe"$'\t-60' out || fail "$name's last change: $(cat out)"
done
run 0 --check turns.ini

# Without option the window program takes over; alone, the program says it is missing.
cp "$program" "$work/alone"
"$work/alone" clean.ini >out 2>err
[[ $? == 2 ]] && grep -q 'tarvik-konfig-fenster' err || fail "no window program: stderr '$(cat err)'"

if ((failures)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "command line: all checks passed"
