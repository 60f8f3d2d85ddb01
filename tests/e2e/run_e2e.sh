#!/usr/bin/env bash
# End-to-end transfers over a real MIDI server: a JACK server with its dummy
# driver (no sound hardware, no real-time privileges, no DBus), mks80-sim on
# JACK ports of its own, and quorlin-cli fetching and sending whole banks.
#
#   bash tests/e2e/run_e2e.sh BUILD_DIR
#
# Notes on JACK here:
# - jackd runs under a private server name (JACK_DEFAULT_SERVER), so it never
#   meets a server of the user's or of another run; every JACK client started
#   below inherits the name.
# - The dummy driver's default period is 1024 frames (21 ms at 48 kHz), and a
#   MIDI event waits for the next period on each hop, so a bank took about
#   0.7 s per transfer on top of the delays; a 256-frame period cuts that.
# - RtMidi names a port "client:port", and JACK numbers a second client of the
#   same name ("mks80-sim-01"), so the sim's ports are found by "mks80-sim"
#   and "MKS-80" in their names, not by a fixed name. The built-in "Virtual
#   MKS-80" of quorlin-cli is listed too and is skipped, and so is a real
#   instrument that another MIDI API of the machine may list.
set -uo pipefail

build="${1:?usage: run_e2e.sh BUILD_DIR}"
build="$(cd "$build" && pwd)"
sim="$build/src/sim/mks80-sim"
cli="$build/src/cli/quorlin-cli"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_bank="$here/../data/banks/ok-named-entries.m80"

work="$(mktemp -d "${TMPDIR:-/tmp}/quorlin-e2e.XXXXXX")"
export JACK_DEFAULT_SERVER="quorlin-e2e-$$"
# No client may start a server of its own when ours is not (yet, or any more) there.
export JACK_NO_START_SERVER=1
# quorlin-cli's built-in instrument keeps its memory here, not in the user's data folder.
export QUORLIN_VIRTUAL_MEMORY="$work/builtin-virtual.m80"

jack_pid=""
sim_pid=""
passed=0
failed=0
failures=()

# Asks a process of ours to end, gives it 30 s, then kills it; returns its exit
# status, so that a process that hangs cannot hang the whole run.
stop_process() {
    local pid="$1"
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 1 300); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "e2e: process $pid did not end on SIGTERM; killed"
        kill -KILL "$pid" 2>/dev/null
    fi
    wait "$pid" 2>/dev/null
}

# Stops mks80-sim; false when it did not end cleanly (it saves its memory on the way out).
stop_sim() {
    local code=0
    if [ -n "$sim_pid" ]; then
        stop_process "$sim_pid"
        code=$?
        sim_pid=""
    fi
    return "$code"
}

stop_sim_checked() {
    stop_sim || fail "mks80-sim $1 did not end cleanly"
}

cleanup() {
    stop_sim
    if [ -n "$jack_pid" ]; then
        stop_process "$jack_pid"
        jack_pid=""
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

pass() {
    passed=$((passed + 1))
    echo "e2e: ok: $1"
}

fail() {
    failed=$((failed + 1))
    failures+=("$1")
    echo "e2e: FAILED: $1"
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $(basename "$log")"; tail -n 20 "$log"; }
    done
}

finish() {
    if [ "$failed" -eq 0 ]; then
        echo "e2e: $passed passed, 0 failed"
        exit 0
    fi
    echo "e2e: $passed passed, $failed failed: ${failures[*]}"
    exit 1
}

# Stops at once: nothing after this can run.
abort() {
    fail "$1"
    finish
}

for tool in "$sim" "$cli"; do
    [ -x "$tool" ] || abort "$tool is not built"
done
command -v jackd >/dev/null || abort "jackd is not installed (Debian package jackd2)"
command -v jack_lsp >/dev/null || abort "jack_lsp is not installed (Debian package jackd2)"
[ -f "$source_bank" ] || abort "the test bank $source_bank is missing"

# The JACK server.
# Synchronous mode (-S): the server waits for every client to finish its cycle (up
# to the 10 s time-out) instead of dropping the MIDI of a client that a loaded
# machine ran late, which the tests would take for a silent instrument.
jackd --no-realtime -S -t 10000 -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jack_pid=$!
up=0
for _ in $(seq 1 150); do
    if ! kill -0 "$jack_pid" 2>/dev/null; then
        break
    fi
    if jack_lsp >/dev/null 2>&1; then
        up=1
        break
    fi
    sleep 0.2
done
[ "$up" -eq 1 ] || abort "the JACK server did not start"

# Starts mks80-sim with the given options and its memory in $1, its standard input
# from $sim_stdin (default /dev/null); waits for its ready line.
start_sim() {
    local memory="$1"
    shift
    "$sim" --api jack --memory "$memory" "$@" <"${sim_stdin:-/dev/null}" >"$work/sim.out" \
        2>"$work/sim.log" &
    sim_pid=$!
    for _ in $(seq 1 300); do
        if grep -q "^mks80-sim: ready$" "$work/sim.out" 2>/dev/null; then
            return 0
        fi
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    return 1
}

# Sets in_id and out_id to the sim's ports as quorlin-cli lists them.
find_ports() {
    in_id=""
    out_id=""
    if ! timeout 30 "$cli" ports >"$work/ports.txt" 2>"$work/ports.log"; then
        return 1
    fi
    in_id="$(awk -F'\t' '$1 == "in" && $3 ~ /^mks80-sim/ && $3 ~ /MKS-80/ { print $2; exit }' \
        "$work/ports.txt")"
    out_id="$(awk -F'\t' '$1 == "out" && $3 ~ /^mks80-sim/ && $3 ~ /MKS-80/ { print $2; exit }' \
        "$work/ports.txt")"
    [ -n "$in_id" ] && [ -n "$out_id" ]
}

# quorlin-cli's exit code for a transfer that failed or arrived damaged.
transfer_failed=3

cli_get() {
    timeout 60 "$cli" get --in "$in_id" --out "$out_id" --delay 5 -o "$1" 2>"$work/cli.log"
}

cli_send() {
    timeout 60 "$cli" send "$1" --in "$in_id" --out "$out_id" --delay 5 2>"$work/cli.log"
}

# Runs a command that must fail as a transfer does; true when it did.
fails_as_transfer() {
    "$@"
    local code=$?
    [ "$code" -eq "$transfer_failed" ] || { echo "e2e: exit code $code, not $transfer_failed"; return 1; }
}

# A failed fetch leaves neither the bank file nor a piece of it.
no_output() {
    [ ! -e "$1" ] && [ ! -e "$1.part" ] || { echo "e2e: $1 was written"; return 1; }
}

# The parameter bytes of a bank as a recorded dump: names never travel to the
# instrument, so this is what a transfer must keep.
dump_of() {
    timeout 30 "$cli" convert "$1" "$2" 2>>"$work/cli.log"
}

memory="$work/sim-memory.m80"
start_sim "$memory" || abort "mks80-sim did not come up"
find_ports || abort "quorlin-cli ports does not list the sim's ports"
cp "$memory" "$work/first-memory.m80"

# 1. Fetch the instrument's memory.
if cli_get "$work/A.m80" && dump_of "$work/A.m80" "$work/A.syx" &&
    dump_of "$work/first-memory.m80" "$work/first-memory.syx" &&
    cmp -s "$work/A.syx" "$work/first-memory.syx"; then
    pass "get fetches the instrument's memory"
else
    fail "get fetches the instrument's memory"
fi

# 2. Send another bank, fetch it back: the same file, byte for byte. The bank
#    sent is first given the names a fetched bank has, so the files can match.
if dump_of "$source_bank" "$work/B.syx" && dump_of "$work/B.syx" "$work/B.m80" &&
    ! cmp -s "$work/B.syx" "$work/A.syx" &&
    cli_send "$work/B.m80" && cli_get "$work/C.m80" && cmp -s "$work/B.m80" "$work/C.m80"; then
    pass "a bank sent comes back byte for byte"
else
    fail "a bank sent comes back byte for byte"
fi

# 3. The instrument's memory file holds what was sent.
if dump_of "$memory" "$work/memory-after-send.syx" &&
    cmp -s "$work/memory-after-send.syx" "$work/B.syx"; then
    pass "the instrument's memory holds the bank sent"
else
    fail "the instrument's memory holds the bank sent"
fi

# 3b. A dump of three blocks sent with --partial changes entries 1 to 12 only: the
#     instrument's other entries are fetched first and go back as they were.
head -c 765 "$work/A.syx" >"$work/A3.syx"
{ head -c 765 "$work/A.syx"; tail -c +766 "$work/B.syx"; } >"$work/expected-partial.syx"
if timeout 60 "$cli" send "$work/A3.syx" --partial --in "$in_id" --out "$out_id" --delay 5 \
    2>"$work/cli.log" && dump_of "$memory" "$work/memory-after-partial.syx" &&
    cmp -s "$work/memory-after-partial.syx" "$work/expected-partial.syx" &&
    timeout 60 "$cli" verify "$work/A3.syx" --partial --in "$in_id" --out "$out_id" --delay 5 \
        >/dev/null 2>>"$work/cli.log"; then
    pass "send --partial changes only the entries the dump held, and verify --partial finds them"
else
    fail "send --partial changes only the entries the dump held, and verify --partial finds them"
fi
stop_sim_checked ""

# 4. A memory-protected instrument rejects the send: a failure, and its memory stays.
protected="$work/protected-memory.m80"
if start_sim "$protected" --reject && find_ports; then
    cp "$protected" "$work/protected-before.m80"
    if ! fails_as_transfer cli_send "$work/B.m80"; then
        fail "a rejected send exits non-zero"
    elif ! grep -q "memory protect" "$work/cli.log"; then
        fail "a rejected send names the memory protect"
    elif cmp -s "$protected" "$work/protected-before.m80"; then
        pass "a rejected send exits non-zero and leaves the memory alone"
    else
        fail "a rejected send leaves the memory alone"
    fi
else
    fail "mks80-sim --reject did not come up"
fi
stop_sim_checked --reject

# 5. A block with a wrong checksum: the fetch reports damage.
if start_sim "$work/corrupt-memory.m80" --corrupt-block 5 && find_ports; then
    # Block 5 carries entries 35 to 38.
    if fails_as_transfer cli_get "$work/D.m80" && grep -q "35 36 37 38" "$work/cli.log" &&
        no_output "$work/D.m80"; then
        pass "a fetch with a corrupt block exits non-zero, names its entries and writes nothing"
    else
        fail "a fetch with a corrupt block exits non-zero, names its entries and writes nothing"
    fi
else
    fail "mks80-sim --corrupt-block did not come up"
fi
stop_sim_checked --corrupt-block

# 6. An instrument that never answers: the fetch gives up after its time-out.
if start_sim "$work/silent-memory.m80" --silent && find_ports; then
    started=$SECONDS
    if fails_as_transfer cli_get "$work/E.m80" && [ $((SECONDS - started)) -lt 15 ] &&
        no_output "$work/E.m80"; then
        pass "a fetch from a silent instrument gives up"
    else
        fail "a fetch from a silent instrument gives up"
    fi
else
    fail "mks80-sim --silent did not come up"
fi
stop_sim_checked --silent

# 7. An instrument that echoes every message back: both transfers still put every
#    block in its place.
if start_sim "$work/echo-memory.m80" --echo --active-sensing && find_ports; then
    if cli_send "$work/B.m80" && cli_get "$work/F.m80" && cmp -s "$work/B.m80" "$work/F.m80"; then
        pass "an echoing instrument sends active sensing and still gets and gives a whole bank"
    else
        fail "an echoing instrument sends active sensing and still gets and gives a whole bank"
    fi
else
    fail "mks80-sim --echo did not come up"
fi
stop_sim_checked --echo

# 8. An instrument that shares its cable: other devices' messages before block 3 and
#    active sensing every 20 ms. The ports are named, not numbered.
if start_sim "$work/busy-memory.m80" --stray-before 3 --sensing-ms 20 && find_ports; then
    if timeout 60 "$cli" get --in "MKS-80 out" --out "MKS-80 in" --delay 50 -o "$work/G.m80" \
        2>"$work/cli.log" && dump_of "$work/G.m80" "$work/G.syx" &&
        dump_of "$work/busy-memory.m80" "$work/busy-memory.syx" &&
        cmp -s "$work/G.syx" "$work/busy-memory.syx"; then
        pass "foreign messages and active sensing neither shift nor hold up a fetch"
    else
        fail "foreign messages and active sensing neither shift nor hold up a fetch"
    fi
else
    fail "mks80-sim --stray-before --sensing-ms did not come up"
fi
stop_sim_checked --stray-before

# 9. A dump that ends early, and a block the instrument answers with an error.
if start_sim "$work/early-memory.m80" --end-after 5 --error-block 2 && find_ports; then
    if fails_as_transfer cli_get "$work/H.m80" && grep -q "after 5 of 16 blocks" "$work/cli.log" &&
        grep -q "received: 35 36 37 38 41 " "$work/cli.log" && no_output "$work/H.m80"; then
        pass "a dump that ends early names what is missing and writes nothing"
    else
        fail "a dump that ends early names what is missing and writes nothing"
    fi
    if fails_as_transfer cli_send "$work/B.m80" &&
        grep -q "could not take entries 21 22 23 24" "$work/cli.log" &&
        grep -q "partly written memory: entries 11 to 18" "$work/cli.log"; then
        pass "an error answer names the block's entries and the part written"
    else
        fail "an error answer names the block's entries and the part written"
    fi
else
    fail "mks80-sim --end-after --error-block did not come up"
fi
stop_sim_checked --end-after

# 10. The sound it plays now. The sim's panel is worked through a fifo on its standard
#     input; --verbose shows every message it receives and sends. Its memory holds valid
#     values only (as an announcement carries), so a patch taken from it matches its
#     bytes: patch 34 plays tones 23 and 45, each varied by mutate.
live="$work/live-memory.m80"
blank="$work/blank.m80"
"$cli" new "$live" && "$cli" new "$blank" &&
    "$cli" mutate "$live" 34 patch 70 --seed 3 2>/dev/null &&
    "$cli" set "$live" 34 patch upper:3=10 lower:3=28 &&
    "$cli" mutate "$live" 23 tone 70 --seed 1 2>/dev/null &&
    "$cli" mutate "$live" 45 tone 70 --seed 2 2>/dev/null || abort "the live test bank could not be made"
cp "$live" "$work/live-sim-memory.m80"
mkfifo "$work/panel"
# Held open both ways, so the sim's open does not wait and its input never ends.
exec 3<>"$work/panel"

# The APR that mks80-sim --verbose prints, from the values show --params gives:
# FILE NUMBER patch|tone GROUP-BYTE, and for a patch the half (upper|lower).
apr_of() {
    local level=20 rows=tone
    [ "$3" = patch ] && level=30 rows="$5"
    timeout 30 "$cli" show "$1" "$2" "$3" --params 2>>"$work/cli.log" |
        awk -F'\t' -v rows="$rows" -v head="F0 41 35 00 20 $level $4" '
            $1 == rows { v = v sprintf(" %02X", $4) } END { print head v " F7" }'
}

# Waits until the sim has printed at least $1 lines "received ..." in all.
sim_received() {
    for _ in $(seq 1 300); do
        [ "$(grep -c '^received ' "$work/sim.out")" -ge "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

if sim_stdin="$work/panel" start_sim "$work/live-sim-memory.m80" --verbose && find_ports; then
    {
        apr_of "$live" 34 patch 01 upper
        apr_of "$live" 34 patch 02 lower
        apr_of "$live" 23 tone 01
        apr_of "$live" 45 tone 02
        apr_of "$live" 45 tone 01
        apr_of "$live" 45 tone 02
    } >"$work/audition-expected.txt"
    if timeout 60 "$cli" audition "$live" 34 patch --out "$out_id" 2>>"$work/cli.log" &&
        timeout 60 "$cli" audition "$live" 45 tone --out "$out_id" 2>>"$work/cli.log" &&
        sim_received 6 && grep '^received ' "$work/sim.out" | sed 's/^received //' |
        cmp -s - "$work/audition-expected.txt"; then
        pass "audition sends a patch as its four APRs and a tone as both tones"
    else
        diff <(grep '^received ' "$work/sim.out" | sed 's/^received //') \
            "$work/audition-expected.txt" | head -n 8
        fail "audition sends a patch as its four APRs and a tone as both tones"
    fi

    # The sim announces a patch that is not whole first (its lower tone's APR one value
    # short), then patch 34 from its memory; only patch 34 may be taken.
    timeout 120 "$cli" take "$blank" 12 --in "$in_id" --wait 60 -o "$work/taken.m80" \
        >"$work/take.out" 2>"$work/take.log" &
    take_pid=$!
    for _ in $(seq 1 300); do
        grep -qs "waiting up to 60 s" "$work/take.log" && break
        sleep 0.1
    done
    short_tone="$(apr_of "$blank" 11 tone 02 | sed 's/ [0-9A-F][0-9A-F] F7$/ F7/')"
    {
        echo "send F0 41 34 00 20 30 00 00 0F 00 F7"
        echo "send $(apr_of "$blank" 11 patch 01 upper)"
        echo "send $(apr_of "$blank" 11 patch 02 lower)"
        echo "send $(apr_of "$blank" 11 tone 01)"
        echo "send $short_tone"
        echo "select 34"
    } >&3
    wait "$take_pid"
    take_code=$?
    if [ "$take_code" -eq 0 ] &&
        grep -qx "Took patch 34 into patch 12, tones 23 and 45" "$work/take.out" &&
        [ "$("$cli" show "$work/taken.m80" 12 patch)" = "$("$cli" show "$live" 34 patch)" ] &&
        [ "$("$cli" show "$work/taken.m80" 23 tone)" = "$("$cli" show "$live" 23 tone)" ] &&
        [ "$("$cli" show "$work/taken.m80" 45 tone)" = "$("$cli" show "$live" 45 tone)" ] &&
        [ "$("$cli" show "$work/taken.m80" 34 patch)" = "$("$cli" show "$blank" 34 patch)" ]; then
        pass "take ignores a broken announcement and keeps the announced patch and its tones"
    else
        echo "e2e: take exit code $take_code"
        cat "$work/take.out"
        fail "take ignores a broken announcement and keeps the announced patch and its tones"
    fi

    # A panel edit goes out as one IPR (VCF cutoff, parameter 24, to 80); a line it cannot
    # take (VCO-1 range 20) is named and sends nothing.
    echo "edit tone 15 20" >&3
    echo "edit tone 24 80" >&3
    edited=0
    for _ in $(seq 1 300); do
        grep -q "^sent F0 41 36 00 20 20 01 18 50 F7$" "$work/sim.out" && { edited=1; break; }
        sleep 0.1
    done
    if [ "$edited" -eq 1 ] && [ "$(grep -c '^sent F0 41 36 ' "$work/sim.out")" -eq 1 ] &&
        grep -q "VCO-1 range cannot be 20" "$work/sim.log"; then
        pass "a panel edit goes out as an IPR and a bad one is refused"
    else
        fail "a panel edit goes out as an IPR and a bad one is refused"
    fi

    started=$SECONDS
    if fails_as_transfer timeout 60 "$cli" take "$blank" 12 --in "$in_id" --wait 2 \
        -o "$work/never.m80" 2>"$work/take.log" && [ $((SECONDS - started)) -ge 2 ] &&
        no_output "$work/never.m80"; then
        pass "take gives up when nothing is announced in time and writes nothing"
    else
        fail "take gives up when nothing is announced in time and writes nothing"
    fi
else
    fail "mks80-sim --verbose with its panel did not come up"
fi
stop_sim_checked --verbose
if dump_of "$work/live-sim-memory.m80" "$work/live-after.syx" && dump_of "$live" "$work/live.syx" &&
    cmp -s "$work/live-after.syx" "$work/live.syx"; then
    pass "neither an audition nor the panel changes the instrument's memory"
else
    fail "neither an audition nor the panel changes the instrument's memory"
fi

# 11. The desktop program's live sound, its windows offscreen, against a sim whose
#     memory is the bank it opens; it reads the sim's lines itself.
desk="$build/tests/e2e/desk_live_e2e"
if [ ! -x "$desk" ]; then
    echo "e2e: skipped: the desktop program's live sound ($desk is not built)"
elif cp "$live" "$work/desk-sim-memory.m80" &&
    sim_stdin="$work/panel" start_sim "$work/desk-sim-memory.m80" --verbose; then
    {
        apr_of "$live" 34 patch 01 upper
        apr_of "$live" 34 patch 02 lower
        apr_of "$live" 23 tone 01
        apr_of "$live" 45 tone 02
    } >"$work/desk-aprs.txt"
    if QT_QPA_PLATFORM=offscreen QUORLIN_E2E_SIM_OUT="$work/sim.out" \
        QUORLIN_E2E_PANEL="$work/panel" QUORLIN_E2E_BANK="$live" \
        QUORLIN_E2E_APRS="$work/desk-aprs.txt" timeout 300 "$desk" >"$work/desk.log" 2>&1; then
        grep '^drag: ' "$work/desk.log"
        pass "the desktop program auditions, edits, paces a drag, keeps quiet in a fetch and takes"
    else
        fail "the desktop program auditions, edits, paces a drag, keeps quiet in a fetch and takes"
    fi
else
    fail "mks80-sim --verbose for the desktop program did not come up"
fi
stop_sim_checked "for the desktop program"
exec 3>&-

finish
