#!/usr/bin/env bash
# The tune on a live sound server: a private PulseAudio with a null sink takes
# what two `orvane --music` on one display play. Exactly one of them plays; the
# recording of the sink is not silent and the short tune made here is heard
# again after it ends; when the player is stopped, the other one takes over.
# Needs an X display. Usage: tune_live_test.sh ORVANE DATA_DIR
set -uo pipefail
hack=$1
data=$2
deadline=30  # seconds for each thing we wait for; generous, for a loaded machine
work=$(mktemp -d)
pa_pid=
hack_pids=()
cleanup() {
  local p
  for p in "${hack_pids[@]}" $pa_pid; do kill -KILL "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "tune test: FAILED: $*" >&2
  for f in "$work"/hack*.err "$work/pulse.log"; do [ -f "$f" ] && sed "s|^|  $(basename "$f"): |" "$f" | tail -5 >&2; done
  exit 1
}
for tool in pulseaudio pactl parec od; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh test installs it)"
done
[ -n "${DISPLAY:-}" ] || fail "no X display"
source "$(dirname "$0")/../../scripts/lib/wait.sh"

# The server, its socket and the tune's lock live in a runtime folder of our own.
mkdir -m 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run HOME=$work PULSE_SERVER=unix:$work/run/native
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
  -L "module-null-sink sink_name=orvane_test rate=44100" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$work/run/native" 2>"$work/pulse.log" &
pa_pid=$!
wait_until "$deadline" pactl info >/dev/null 2>&1 || fail "the sound server did not start"

# The pictures, and a tune of 1 s: one short note, then rest. Division 96
# at the default 120 beats a minute: the note ends at 48 ticks (0.25 s), the
# track at 192 (1 s).
mkdir "$work/data"
cp "$data/supernova.ppm" "$data/Orvane.ppm" "$work/data/"
printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\20\0\300\0\0\220\74\144\60\200\74\100\201\020\377\57\0' \
  >"$work/data/music.mid"
export ORVANE_DATA_DIR=$work/data

start_hack() {  # start_hack N: a player in a window of its own, saying what it does
  "$hack" -window --music -v --seed "$1" >/dev/null 2>"$work/hack$1.err" &
  hack_pids[$1]=$!
}
sink_inputs() { pactl list short sink-inputs | grep -c .; }
said() { grep -q "$2" "$work/hack$1.err"; }
start_hack 1
start_hack 2
both_decided() {
  { said 1 'playing the tune' && said 2 'another orvane plays'; } ||
    { said 2 'playing the tune' && said 1 'another orvane plays'; }
}
wait_until "$deadline" both_decided || fail "the two did not settle who plays"
said 1 'playing the tune' && player=1 waiter=2 || player=2 waiter=1
wait_until "$deadline" test "$(sink_inputs)" -ge 1 || fail "nothing reached the sound server"
[ "$(sink_inputs)" -eq 1 ] || fail "$(sink_inputs) streams play on one display"
echo "tune test: orvane $player plays, orvane $waiter waits; one stream on the server"

# The sink at 8000 mono 16-bit samples a second, judged by hundredths of a
# second: one pass of the tune sounds in about 30 of them, however a loaded
# machine delays or drops its sound. Listen until 75 have sounded (the tune
# came round again, twice) or the deadline passes.
heard=$(timeout "$deadline" parec -d orvane_test.monitor --format=s16le --channels=1 --rate=8000 \
  --raw 2>/dev/null | od -An -v -td2 -w2 |
  awk '{ v = $1 < 0 ? -$1 : $1; if (v > peak) peak = v }
       NR % 80 == 0 { heard += peak > 300; peak = 0; if (heard == 75) exit }
       END { print heard + 0 }')
echo "tune test: heard in $heard hundredths of a second"
[ "$heard" -ge 75 ] || fail "the tune was not heard again after it ended: $heard of 75 hundredths"

# The player stops (as the daemon stops it): it dies of the signal, and the
# other takes over the tune.
kill -TERM "${hack_pids[$player]}"
wait "${hack_pids[$player]}"
status=$?
[ $status -eq $((128 + 15)) ] || fail "orvane $player ended with $status after SIGTERM, not by the signal"
wait_until "$deadline" said "$waiter" 'playing the tune' || fail "orvane $waiter did not take over the tune"
wait_until "$deadline" test "$(sink_inputs)" -eq 1 || fail "$(sink_inputs) streams after the take-over"
echo "tune test: orvane $waiter took over"
kill -TERM "${hack_pids[$waiter]}"
wait "${hack_pids[$waiter]}"
echo "tune test: passed"
