#!/usr/bin/env bash
# End to end: the real tovra2 and tovra2-sim over a pseudo-terminal on an X display (Xvfb),
# checked through the simulator's request log and screenshots of the window; last, the
# simulator reached through a socat pseudo-terminal as a networked encoder would be.
# Usage: e2e.sh BUILD_DIR   (run under xvfb-run)
set -euo pipefail
bin=$1
work=$(mktemp -d /tmp/tovra2-e2e-XXXXXX)
chmod 700 "$work"
export XDG_RUNTIME_DIR=$work  # a ports folder of this run's own
export QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=0 LC_ALL=C
log=$work/sim.log
sim= tool= bridge=
cleanup() {
  [ -n "$bridge" ] && kill "$bridge" 2>/dev/null || true
  [ -n "$tool" ] && kill "$tool" 2>/dev/null || true
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; echo "--- log"; tail -40 "$log" || true; exit 1; }
# Waits up to $1 seconds for the command in the rest of the arguments to succeed.
until_ok() {
  local limit=$1; shift
  for ((i = 0; i < limit * 10; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
start_sim() {
  "$bin/tovra2-sim" --baud 230400 --status 0x0300 --rpm 2 --log "$log" > "$work/sim.out" &
  sim=$!
  until_ok 5 test -L "$work/tovra2/ports/sim0" || fail "the simulator did not register its port"
}
# Received requests and frames: "rate bytes", in order.
requests() { awk '$3 == "rx" { $1 = ""; $3 = ""; print }' "$log" | sed 's/^ *//; s/  */ /g'; }
polls_after_v() { requests | awk '/^230400 76$/ { s = ""; next } { s = s $2 } END { print s }'; }
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info:; }
shot() { import -window "$wid" "$1"; }

echo "== found, identified once, polled in cycle"
start_sim
"$bin/tovra2" &
tool=$!
until_ok 20 grep -q "230400 tx 31" "$log" || fail "no poll reply"
until_ok 5 bash -c "[ \$(grep -c ' rx ' '$log') -ge 16 ]" || fail "polling stopped"
wid=$(timeout 10 xdotool search --sync --name "Tovra-2 Asnychronous") || fail "no window"
wid=${wid%%$'\n'*}
[ "$(requests | head -3 | tr '\n' ' ')" = "115200 76 128000 76 230400 76 " ] ||
  fail "rates not tried in order up to 230400: $(requests | head -3 | tr '\n' ' ')"
[ "$(requests | grep -c '^230400 76$')" = 1 ] || fail "identified more than once"
cycle=$(polls_after_v)
[[ $cycle == 3133647374613133647374* ]] || fail "poll order: $cycle"
shot "$work/a.png"
[ "$(pixel "$work/a.png" 10 180)" = 00FF00 ] || fail "header label not lime"
[ "$(pixel "$work/a.png" 185 88)" = FFFFFF ] || fail "degrees panel not white"
[ "$(pixel "$work/a.png" 293 144)" = FF0000 ] || fail "status panel Error not red"
first=$(pixel "$work/a.png" 76 131)
changed=no
for i in $(seq 1 20); do
  shot "$work/b.png"
  [ "$(pixel "$work/b.png" 76 131)" != "$first" ] && { changed=yes; break; }
done
[ $changed = yes ] || fail "the blinker did not change colour"
mkdir -p "$bin/screenshots" && cp "$work/a.png" "$bin/screenshots/e2e_polling.png"

echo "== Multiturn 0 clicked"
before=$(requests | wc -l)
xdotool mousemove --window "$wid" 516 36 click 1
until_ok 5 bash -c "awk '\$3 == \"rx\"' '$log' | tail -n +$((before + 1)) | grep -q '5A C3 6E 91 4D'" ||
  fail "no multiturn frame"
frame=$(grep ' rx 5A C3 6E 91 4D 00 00 00 00' "$log" | tail -1)
over=$(sed 's/.*(over \([0-9]*\) ms).*/\1/' <<< "$frame")
[ "$over" -ge 16 ] || fail "frame bytes less than 2 ms apart: $frame"
until_ok 3 bash -c "awk '\$3 == \"rx\"' '$log' | grep -A1 '5A C3 6E 91 4D' | tail -1 | grep -q ' 31$'" ||
  fail "polling did not resume with 1"

echo "== unplugged, found again"
kill -TERM "$sim"; wait "$sim" 2>/dev/null || true; sim=
[ ! -e "$work/tovra2/ports/sim0" ] || fail "the simulator left its port registered"
# Seen as a failed write, the lost cable is reported in a box (seen as a missing reply, not):
# dismiss it as a user would.
if box=$(timeout 3 xdotool search --sync --onlyvisible --name "^Warning$"); then
  box=${box%%$'\n'*}
  xdotool windowfocus --sync "$box" key Return
fi
mv "$log" "$work/first.log"
start_sim
until_ok 20 grep -q "230400 tx 31" "$log" || fail "not found again"
[ "$(requests | head -1)" = "115200 76" ] || fail "the search did not start at the first rate"
echo "== a networked encoder, through a socat pseudo-terminal"
kill "$tool" "$sim" 2>/dev/null || true
wait "$tool" "$sim" 2>/dev/null || true
tool= sim=
# The simulator registers in a folder the tool does not search; socat bridges a pty of its own,
# registered as the tool's virtual port net0, to the simulator's pty at 115200 baud.
mkdir -m 700 "$work/far"
far=$work/far.log
XDG_RUNTIME_DIR=$work/far "$bin/tovra2-sim" --log "$far" > "$work/far.out" &
sim=$!
until_ok 5 test -L "$work/far/tovra2/ports/sim0" || fail "the far simulator did not register"
simslave=$(readlink "$work/far/tovra2/ports/sim0")
socat "pty,rawer,link=$work/tovra2/ports/net0" "$simslave,cfmakeraw,b115200" &
bridge=$!
until_ok 5 test -L "$work/tovra2/ports/net0" || fail "socat made no port"
"$bin/tovra2" &
tool=$!
until_ok 20 grep -q "115200 tx 31" "$far" || { log=$far; fail "not polled through the bridge"; }
until_ok 5 bash -c "grep -c ' rx ' '$far' | xargs test 8 -le" || { log=$far; fail "polling stopped"; }
echo "PASS"
