#!/usr/bin/env bash
# Soak test, not run by CI: many fetch/send cycles of quorlin-cli against
# mks80-sim over a JACK dummy server at a short period, counting crashes,
# failures, first messages lost and slow releases.
#
#   bash tests/soak_jack.sh BUILD_DIR [CYCLES (500)] [PERIOD_FRAMES (64)] [sync]
#
# With "sync" the server runs in synchronous mode, where a client that runs late
# delays the cycle instead of losing its MIDI: what is lost then is lost by the
# programs, not by a machine too loaded for the period.
#
# A cycle is one fetch and one send. Per run it counts:
# - crash: quorlin-cli ended on a signal (exit code 128 or more, not 124);
# - hang: it did not end within 120 s (exit code 124);
# - failed: it ended with another non-zero exit code;
# - first message lost: a failed transfer in which no block went through and
#   the instrument "did not answer";
# - slow end: it took more than 10 s (a whole transfer at --delay 0 takes well
#   under 1 s), which is how a release that hangs shows.
# A fetch must also write its bank file. The log of every failed run is kept
# under the work folder printed at the end, with the core file of a crash
# (where the system writes core files to the working folder) for gdb.
set -uo pipefail

build="${1:?usage: soak_jack.sh BUILD_DIR [CYCLES] [PERIOD]}"
cycles="${2:-500}"
period="${3:-64}"
mode=()
[ "${4:-}" = "sync" ] && mode=(-S -t 10000)
build="$(cd "$build" && pwd)"
sim="$build/src/sim/mks80-sim"
cli="$build/src/cli/quorlin-cli"

work="$(mktemp -d "${TMPDIR:-/tmp}/quorlin-soak.XXXXXX")"
export JACK_DEFAULT_SERVER="quorlin-soak-$$"
export JACK_NO_START_SERVER=1
export QUORLIN_VIRTUAL_MEMORY="$work/builtin-virtual.m80"

jack_pid=""
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    [ -n "$jack_pid" ] && kill -TERM "$jack_pid" 2>/dev/null && wait "$jack_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to 30 s for a command to succeed.
wait_for() {
    local end=$((SECONDS + 30))
    while [ $SECONDS -lt $end ]; do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

jackd --no-realtime "${mode[@]}" -d dummy -r 48000 -p "$period" >"$work/jackd.log" 2>&1 &
jack_pid=$!
wait_for jack_lsp >/dev/null 2>&1 || { echo "soak: the JACK server did not start"; exit 1; }

"$sim" --api jack --memory "$work/sim-memory.m80" >"$work/sim.out" 2>"$work/sim.log" &
sim_pid=$!
wait_for grep -q "^mks80-sim: ready$" "$work/sim.out" || { echo "soak: mks80-sim did not come up"; exit 1; }

# The sim's ports as quorlin-cli lists them.
timeout 60 "$cli" ports >"$work/ports.txt" 2>/dev/null
in_id="$(awk -F'\t' '$1 == "in" && $3 ~ /^mks80-sim/ { print $2; exit }' "$work/ports.txt")"
out_id="$(awk -F'\t' '$1 == "out" && $3 ~ /^mks80-sim/ { print $2; exit }' "$work/ports.txt")"
[ -n "$in_id" ] && [ -n "$out_id" ] || { echo "soak: the sim's ports are not listed"; exit 1; }

cd "$work" || exit 1
ulimit -c unlimited 2>/dev/null
runs=0 crashes=0 hangs=0 failures=0 lost=0 slow=0 nofile=0
max_ms=0

# One run of quorlin-cli; $1 names it in the logs, the rest are its arguments.
run_cli() {
    local name="$1"
    shift
    local log="$work/run.log" start end ms code
    start=$(date +%s%N)
    timeout 120 "$cli" "$@" --in "$in_id" --out "$out_id" --delay 0 >/dev/null 2>"$log"
    code=$?
    end=$(date +%s%N)
    ms=$(((end - start) / 1000000))
    runs=$((runs + 1))
    [ $ms -gt $max_ms ] && max_ms=$ms
    [ $ms -gt 10000 ] && slow=$((slow + 1))
    if [ $code -eq 0 ]; then
        return 0
    fi
    if [ $code -eq 124 ]; then
        hangs=$((hangs + 1))
    elif [ $code -ge 128 ]; then
        crashes=$((crashes + 1))
        for core in "$work"/core*; do
            [ -e "$core" ] && mv "$core" "$work/failed-$runs-$name.core"
        done
    else
        failures=$((failures + 1))
        if grep -q "did not answer" "$log" && ! grep -q "^block 1 of 16" "$log"; then
            lost=$((lost + 1))
        fi
    fi
    cp "$log" "$work/failed-$runs-$name-exit$code.log"
    return 1
}

for cycle in $(seq 1 "$cycles"); do
    rm -f "$work/got.m80"
    if run_cli get get -o "$work/got.m80" && [ ! -s "$work/got.m80" ]; then
        nofile=$((nofile + 1))
    fi
    if [ -s "$work/got.m80" ]; then
        run_cli send send "$work/got.m80"
    else
        run_cli send send "$work/sim-memory.m80"
    fi
    if [ $((cycle % 50)) -eq 0 ]; then
        echo "soak: $cycle cycles: $crashes crashed, $hangs hung, $failures failed" \
            "($lost first message lost), $slow slow"
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "soak: mks80-sim ended during cycle $cycle"
        break
    fi
done

echo "soak: period $period frames${4:+ ($4)}, $runs runs ($cycles cycles of fetch and send)"
echo "soak: crashed $crashes, hung $hangs, failed $failures, first message lost $lost," \
    "fetch ended without a file $nofile, slower than 10 s $slow, longest ${max_ms} ms"
echo "soak: logs of failed runs in $work"
trap - EXIT
cleanup
[ $((crashes + hangs + failures + nofile)) -eq 0 ]
