#!/usr/bin/env bash
# The command-line tool's output formats and exit codes, as scripts rely on them.
set -u
cli="$1"
data="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $1"
    echo "  expected: $(printf '%q' "$2")"
    echo "  actual:   $(printf '%q' "$3")"
  fi
}

status() { "$@" >/dev/null 2>&1; echo $?; }

# new, list
check "new exits 0" 0 "$(status "$cli" new "$work/a.m80")"
check "new bank size" 6272 "$(wc -c <"$work/a.m80" | tr -d ' ')"
check "new bank bytes" "$(od -An -tx1 "$data/banks/ok-new-bank.m80")" "$(od -An -tx1 "$work/a.m80")"
"$cli" list "$work/a.m80" >"$work/list.txt"
check "list has 64 lines" 64 "$(wc -l <"$work/list.txt" | tr -d ' ')"
check "first line" "$(printf '11\t------Patch------\t------Tone-------')" "$(head -1 "$work/list.txt")"
check "line 9 is entry 21" "21" "$(sed -n 9p "$work/list.txt" | cut -f1)"
check "last line is entry 88" "88" "$(tail -1 "$work/list.txt" | cut -f1)"
check "list of named bank" "$(printf '18\tPatch 7\tTone 7')" "$("$cli" list "$data/banks/ok-named-entries.m80" | sed -n 8p)"

# show
check "show patch" "$(printf '3 60 50 5 3\n2 5 5 0 0\n0 0 55 5 3\n2 5 5 0 0\n0 0 55')" \
  "$("$cli" show "$work/a.m80" 11 patch)"
check "show tone" "$(printf '11 50 0 51 5\n6 32 0 0 24\n37 4 46 32 25\n0 51 0 22 82\n0 0 52 24 68\n0 68 30 0 53\n0 50 35 11 7\n4 15 5 5')" \
  "$("$cli" show "$work/a.m80" 88 tone)"
check "show uninitialized patch of a short dump" \
  "$(printf 'This Patch is uninitialized\n(defaults to Steel Drum Patch).\n\nThis patch has NOT been loaded with one from your mks-80.')" \
  "$("$cli" show "$data/dumps/blocks3-then-eod.syx" 88 patch)"
check "show uninitialized tone" "This Tone is uninitialized" \
  "$("$cli" show "$data/dumps/blocks3-then-eod.syx" 25 tone | head -1)"

# show --params and set: one line per parameter, one parameter changed and nothing else
named="$data/banks/ok-named-entries.m80"
"$cli" show "$named" 57 tone --params >"$work/params.txt"
check "a tone has 48 parameter lines" 48 "$(wc -l <"$work/params.txt" | tr -d ' ')"
check "a patch has 30" 30 "$("$cli" show "$named" 57 patch --params | wc -l | tr -d ' ')"
check "every parameter line has five fields" 0 "$(awk -F'\t' 'NF != 5' "$work/params.txt" | wc -l | tr -d ' ')"
check "VCO-1 range as the messages carry it" "$(printf 'tone\t15\tVCO-1 range\t60\tC4')" \
  "$("$cli" show "$work/a.m80" 11 tone --params | sed -n 16p)"
check "shared parameters in both halves" "$(printf 'upper\t1\tSplit point\t81\tA5\nlower\t1\tSplit point\t81\tA5')" \
  "$("$cli" show "$work/a.m80" 11 patch --params | grep 'Split point')"
cp "$named" "$work/set.m80"
check "set exits 0" 0 "$(status "$cli" set "$work/set.m80" 57 tone 24=72)"
check "set changes one byte" 1 "$(cmp -l "$named" "$work/set.m80" | wc -l | tr -d ' ')"
check "show prints what set wrote" "$(printf 'tone\t24\tVCF cutoff\t72\t72')" \
  "$("$cli" show "$work/set.m80" 57 tone --params | grep 'VCF cutoff')"
check "and every other parameter as it was" "$(grep -v 'VCF cutoff' "$work/params.txt")" \
  "$("$cli" show "$work/set.m80" 57 tone --params | grep -v 'VCF cutoff')"
check "set of a patch half to another file" 0 \
  "$(status "$cli" set "$named" 57 patch lower:8=40 upper:1=108 -o "$work/set2.m80")"
check "changes only those two bytes" 2 "$(cmp -l "$named" "$work/set2.m80" | wc -l | tr -d ' ')"
check "the shared split point" "108 108" "$("$cli" show "$work/set2.m80" 57 patch --params | awk -F'\t' '$2 == 1 {print $4}' | xargs)"
"$cli" set "$work/a.m80" 11 tone 24=72 -o "$work/set3.m80"
check "only the entry set stops being empty" 127 "$(grep -ao -- '------Empty------' "$work/set3.m80" | wc -l | tr -d ' ')"
check "it takes the placeholder name" 1 "$(grep -ao -- '------Tone-------' "$work/set3.m80" | wc -l | tr -d ' ')"
# Tone 11's VCF cutoff (byte 73 of the file) out of range: shown as stored, kept by a set of another.
cp "$work/set3.m80" "$work/damaged.m80"
printf '\170' | dd of="$work/damaged.m80" bs=1 seek=73 conv=notrunc status=none
check "a damaged value shows as stored" "$(printf 'tone\t24\tVCF cutoff\t120\t120 (out of range)')" \
  "$("$cli" show "$work/damaged.m80" 11 tone --params | grep 'VCF cutoff')"
cp "$work/damaged.m80" "$work/damaged-set.m80"
"$cli" set "$work/damaged-set.m80" 11 tone 23=5
check "and is kept by a set of another parameter" "73 40 5" "$(cmp -l "$work/damaged.m80" "$work/damaged-set.m80" | xargs)"
cp "$named" "$work/set5.m80"
for bad in 48=1 24=101 15=35 upper:1=5 24=; do
  check "set $bad is refused" 1 "$(status "$cli" set "$work/set5.m80" 57 tone "$bad")"
done
check "as is lower:15=0" 1 "$(status "$cli" set "$work/set5.m80" 57 patch lower:15=0)"
check "the refusal names the parameter" "quorlin-cli: 24=101: VCF cutoff (tone parameter 24) takes 0 to 100, not 101" \
  "$("$cli" set "$work/set5.m80" 57 tone 24=101 2>&1)"
check "a refused set writes nothing" "same" "$(cmp -s "$named" "$work/set5.m80" && echo same || echo differs)"
check "a refused set with -o makes no file" "absent" \
  "$("$cli" set "$named" 57 tone 24=72 19=99 -o "$work/set6.m80" 2>/dev/null; [ -e "$work/set6.m80" ] && echo present || echo absent)"

# convert, and a dump read back
check "convert to syx" 0 "$(status "$cli" convert "$data/banks/ok-named-entries.m80" "$work/b.syx" --channel 16)"
check "dump size" $((16 * 255 + 6)) "$(wc -c <"$work/b.syx" | tr -d ' ')"
check "dump channel byte" "0f" "$(od -An -tx1 -j3 -N1 "$work/b.syx" | tr -d ' ')"
check "dump ends with EOD" "f0 41 45 0f 20 f7" "$(tail -c 6 "$work/b.syx" | od -An -tx1 | sed 's/^ //')"
check "dump bytes read back" "$("$cli" show "$data/banks/ok-named-entries.m80" 57 tone)" \
  "$("$cli" show "$work/b.syx" 57 tone)"
check "convert to m80" 0 "$(status "$cli" convert "$work/b.syx" "$work/c.m80")"
check "m80 from dump lists placeholders" "$(printf '57\t------Patch------\t------Tone-------')" \
  "$("$cli" list "$work/c.m80" | sed -n 39p)"

# bad input: a clear message on stderr, the right exit code, no output file
check "missing file" 2 "$(status "$cli" list "$work/missing.m80")"
check "truncated bank" 2 "$(status "$cli" list "$data/banks/bad-cut-in-last-tone.m80")"
check "text file" 2 "$(status "$cli" show "$data/banks/bad-text-file.m80" 11 patch)"
check "dump without blocks" 2 "$(status "$cli" list "$data/dumps/blocks0-other-maker.syx")"
check "entry 19" 1 "$(status "$cli" show "$work/a.m80" 19 patch)"
check "entry 91" 1 "$(status "$cli" show "$work/a.m80" 91 tone)"
check "neither patch nor tone" 1 "$(status "$cli" show "$work/a.m80" 11 name)"
check "unknown option" 1 "$(status "$cli" convert "$work/a.m80" "$work/d.syx" --speed 3)"
check "channel 17" 1 "$(status "$cli" convert "$work/a.m80" "$work/d.syx" --channel 17)"
check "unknown command" 1 "$(status "$cli" frobnicate)"
check "bad output extension" 1 "$(status "$cli" convert "$work/a.m80" "$work/d.txt")"
check "no output on bad input" "absent" "$([ -e "$work/d.syx" ] && echo present || echo absent)"
check "unwritable output" 4 "$(status "$cli" convert "$work/a.m80" "$work/no/such/dir/e.m80")"
check "message on stderr" "quorlin-cli: $work/missing.m80: cannot be opened for reading: No such file or directory" \
  "$("$cli" list "$work/missing.m80" 2>&1 >/dev/null)"
printf 'old' >"$work/keep.m80"
"$cli" convert "$data/banks/bad-cut-in-name.m80" "$work/keep.m80" 2>/dev/null
check "failed convert keeps the old output" "old" "$(cat "$work/keep.m80")"
check "help exits 0" 0 "$(status "$cli" --help)"
check "help lists exit codes" 1 "$("$cli" --help | grep -c '^Exit codes:')"

# partial, damaged and foreign input
check "a partial dump is named on stderr" 1 \
  "$("$cli" list "$data/dumps/blocks3-then-eod.syx" 2>&1 >/dev/null | grep -c 'held 3 of the 16 data blocks')"
check "convert refuses a partial dump" 2 "$(status "$cli" convert "$data/dumps/blocks3-then-eod.syx" "$work/p.m80")"
check "convert refuses a damaged block" 2 \
  "$(status "$cli" convert "$data/dumps/blocks16-wrong-checksum-in-block-3.syx" "$work/p.m80")"
check "no output after a refused dump" "absent" "$([ -e "$work/p.m80" ] && echo present || echo absent)"
check "convert --partial" 0 "$(status "$cli" convert "$data/dumps/blocks3-then-eod.syx" "$work/p.m80" --partial)"
check "--partial fills only the entries held" "$("$cli" show "$work/a.m80" 25 tone)" "$("$cli" show "$work/p.m80" 25 tone)"
check "--partial takes the entries held" "$("$cli" show "$data/dumps/blocks3-then-eod.syx" 24 tone 2>/dev/null)" \
  "$("$cli" show "$work/p.m80" 24 tone)"
check "high bytes are refused" 2 "$(status "$cli" list "$data/banks/ok-high-bytes-in-12-and-88.m80")"
check "high bytes named" 1 "$("$cli" list "$data/banks/ok-high-bytes-in-12-and-88.m80" 2>&1 >/dev/null | grep -c 'Entries 12, 88 hold')"
check "high bytes with --force" 0 "$(status "$cli" list "$data/banks/ok-high-bytes-in-12-and-88.m80" --force)"
for foreign in bad-program bad-random-70k bad-source-text; do
  check "$foreign is not a bank" 2 "$(status "$cli" list "$data/banks/$foreign.m80")"
done
check "a folder" 2 "$(status "$cli" list "$work")"
check "a device" 2 "$(status "$cli" list /dev/zero)"
mkfifo "$work/in.fifo"
check "a pipe, without waiting" 2 "$(status timeout 20 "$cli" list "$work/in.fifo")"
head -c 4096 "$data/banks/bad-program.m80" >"$work/huge.m80"
truncate -s 1G "$work/huge.m80"
# A memory limit shows the tool reads no more than it needs; a sanitizer build cannot
# start under one, so it runs without.
limited() { if (ulimit -v 300000; "$cli" --help) >/dev/null 2>&1; then (ulimit -v 300000; status "$@"); else status "$@"; fi; }
check "a huge file within a small memory limit" 2 "$(limited "$cli" list "$work/huge.m80")"
truncate -s 0 "$work/huge.m80" && truncate -s 1G "$work/huge.m80"
check "a huge file of zeros is refused" 2 "$(limited "$cli" list "$work/huge.m80")"
rm -f "$work/huge.m80"
check "a MIDI file in format 1" 0 "$(status "$cli" convert "$data/dumps/blocks16-format-1-split-events.mid" "$work/m.m80")"

# list keeps its 64 lines of three fields whatever the names hold
"$cli" list "$data/banks/ok-control-characters-in-names.m80" >"$work/escaped.txt"
check "escaped list has 64 lines" 64 "$(wc -l <"$work/escaped.txt" | tr -d ' ')"
check "every line has three fields" 0 "$(awk -F'\t' 'NF != 3' "$work/escaped.txt" | wc -l | tr -d ' ')"
check "escapes" "$(printf '11\tTab\\there\n12\tEsc\\x1b[31mred\n13\tBack\\\\slash\n14\tDel\\x7f')" \
  "$(cut -f1,2 "$work/escaped.txt" | head -4)"
check "a failed write to stdout" 4 "$("$cli" list "$work/a.m80" >/dev/full 2>/dev/null; echo $?)"
check "show to a full stdout" 4 "$("$cli" show "$work/a.m80" 11 patch >/dev/full 2>/dev/null; echo $?)"

# .mid out and back in
check "convert to mid" 0 "$(status "$cli" convert "$data/banks/ok-named-entries.m80" "$work/b.mid")"
check "mid header" "MThd" "$(head -c 4 "$work/b.mid")"
check "mid bytes read back" "$("$cli" show "$data/banks/ok-named-entries.m80" 57 tone)" "$("$cli" show "$work/b.mid" 57 tone)"

# the output file: protections kept, never replaced by a damaged one
printf 'old' >"$work/ro.m80" && chmod 444 "$work/ro.m80"
check "a read-only output is refused" 4 "$(status "$cli" new "$work/ro.m80")"
check "and kept" "old" "$(cat "$work/ro.m80")"
printf 'old' >"$work/real.m80" && chmod 640 "$work/real.m80" && ln -s real.m80 "$work/link.m80"
printf 'mine' >"$work/real.m80.part"
check "writing through a symlink" 0 "$(status "$cli" new "$work/link.m80")"
check "the symlink stays" "link" "$([ -L "$work/link.m80" ] && echo link || echo replaced)"
check "its target is written" 6272 "$(wc -c <"$work/real.m80" | tr -d ' ')"
check "the mode is kept" 640 "$(stat -c %a "$work/real.m80")"
check "a file named like a temporary one is left alone" "mine" "$(cat "$work/real.m80.part")"
mkfifo "$work/out.syx"
cat "$work/out.syx" >"$work/from-fifo" &
check "a pipe as output" 0 "$(status timeout 20 "$cli" convert "$work/a.m80" "$work/out.syx")"
wait
check "is written into" $((16 * 255 + 6)) "$(wc -c <"$work/from-fifo" | tr -d ' ')"
check "and stays a pipe" "fifo" "$([ -p "$work/out.syx" ] && echo fifo || echo replaced)"
# diff and name: the same bank read back from a dump differs only in its names
named="$data/banks/ok-named-entries.m80"
check "diff of a bank with itself" "0:" "$("$cli" diff "$named" "$named"; echo "$?:")"
check "diff of names only exits 0" 0 "$(status "$cli" diff "$named" "$work/c.m80")"
check "diff lists renamed entries" "$(printf 'renamed\tpatch\t11\tPatch 0\t------Patch------')" \
  "$("$cli" diff "$named" "$work/c.m80" | head -1)"
check "diff of other bytes exits 5" 5 "$(status "$cli" diff "$named" "$work/a.m80")"
"$cli" diff "$named" "$work/a.m80" >"$work/diff.txt"
check "diff names the entry" "$(printf 'differs\tpatch\t11\tPatch 0\t------Patch------')" \
  "$(head -1 "$work/diff.txt" | cut -f1-5)"
check "diff names the bytes" "0:0>3 1:1>60" "$(head -1 "$work/diff.txt" | cut -f6 | cut -d' ' -f1-2)"
check "diff of a missing file" 2 "$(status "$cli" diff "$named" "$work/missing.m80")"
mkdir -p "$work/library/old"
cp "$named" "$work/library/old/named.m80"
cp "$data/banks/bad-cut-in-name.m80" "$work/library/damaged.m80"
check "name gives the names back" 0 \
  "$(status "$cli" name "$work/c.m80" --library "$work/library" -o "$work/named.m80")"
check "named bank equals the library's" "0:" "$("$cli" diff "$named" "$work/named.m80"; echo "$?:")"
check "name notes the damaged file" 1 \
  "$("$cli" name "$work/c.m80" --library "$work/library" -o "$work/n2.m80" 2>&1 >/dev/null | grep -c 'damaged.m80')"
check "name without a library" 1 "$(status "$cli" name "$work/c.m80")"
check "name with a missing library" 2 "$(status "$cli" name "$work/c.m80" --library "$work/nowhere")"
check "name refuses to write a dump" 1 "$(status "$cli" name "$work/b.syx" --library "$work/library")"

# blend, mutate and similar
check "blend at 100 %" 0 "$(status "$cli" blend "$named" 11 tone "$work/a.m80" 88 100 -o "$work/bl.m80")"
check "takes the other's values" "$("$cli" show "$work/a.m80" 88 tone)" "$("$cli" show "$work/bl.m80" 11 tone)"
check "and keeps the name" "$("$cli" list "$named" | head -1)" "$("$cli" list "$work/bl.m80" | head -1)"
"$cli" blend "$work/a.m80" 11 tone "$named" 12 100 -o "$work/bl-empty.m80"
check "blend changes only its own entry in the file" 0 \
  "$(cmp -l "$work/a.m80" "$work/bl-empty.m80" | awk '$1 > 98' | wc -l | tr -d ' ')"
check "blend writes no dump" 1 "$(status "$cli" blend "$work/b.syx" 11 tone "$named" 12 50)"
check "blend of 101 %" 1 "$(status "$cli" blend "$named" 11 tone "$named" 12 101 -o "$work/b2.m80")"
"$cli" mutate "$named" 23 patch 40 --seed 77 -o "$work/m1.m80"
"$cli" mutate "$named" 23 patch 40 --seed 77 -o "$work/m2.m80"
check "the same seed, the same mutation" "same" "$(cmp -s "$work/m1.m80" "$work/m2.m80" && echo same || echo differs)"
check "mutate changed the patch" 5 "$(status "$cli" diff "$named" "$work/m1.m80")"
check "a mutation without a seed says its seed" 1 \
  "$("$cli" mutate "$named" 23 patch 40 -o "$work/m3.m80" 2>&1 | grep -c '^quorlin-cli: seed [0-9]*$')"
check "a bad seed" 1 "$(status "$cli" mutate "$named" 23 patch 40 --seed 4294967296 -o "$work/m4.m80")"
check "similar finds the copy first" "$(printf '0\t%s\t57' "$work/library/old/named.m80")" \
  "$("$cli" similar "$named" 57 tone --library "$work/library" --count 3 2>/dev/null | head -1 | cut -f1-3)"
check "similar lists --count entries" 3 \
  "$("$cli" similar "$named" 57 tone --library "$work/library" --count 3 2>/dev/null | awk -F'\t' 'NF == 4' | wc -l | tr -d ' ')"
check "similar without a library" 1 "$(status "$cli" similar "$named" 57 tone)"
check "similar with --count 0" 1 "$(status "$cli" similar "$named" 57 tone --library "$work/library" --count 0)"

# ports, get and send against the built-in virtual MKS-80, whose memory lives in $work
export QUORLIN_VIRTUAL_MEMORY="$work/virtual-memory.m80"
"$cli" ports >"$work/ports.txt" 2>/dev/null
check "ports exits 0" 0 "$(status "$cli" ports)"
inputs="$(grep -c '^in' "$work/ports.txt")"
check "virtual instrument is the last input" "$(printf 'in\t%d\tVirtual MKS-80' $((inputs - 1)))" \
  "$(grep '^in' "$work/ports.txt" | tail -1)"
check "virtual instrument is the last output" "Virtual MKS-80" "$(grep '^out' "$work/ports.txt" | tail -1 | cut -f3)"
vin="$(grep '^in' "$work/ports.txt" | tail -1 | cut -f2)"
vout="$(grep '^out' "$work/ports.txt" | tail -1 | cut -f2)"
check "get exits 0" 0 "$(status "$cli" get --in "$vin" --out "$vout" --delay 0 -o "$work/fetched.m80")"
check "get leaves no temporary file" 0 "$(find "$work" -name '.fetched.m80.*' | wc -l | tr -d ' ')"
"$cli" convert "$work/fetched.m80" "$work/fetched.syx" 2>/dev/null
"$cli" convert "$work/virtual-memory.m80" "$work/memory.syx" 2>/dev/null
check "get fetches the instrument's memory" "same" "$(cmp -s "$work/fetched.syx" "$work/memory.syx" && echo same || echo differs)"
check "get reports progress on stderr" 1 \
  "$("$cli" get --in "$vin" --out "$vout" --delay 0 -o "$work/again.m80" 2>&1 >/dev/null | grep -c 'block 16 of 16$')"
check "send exits 0" 0 "$(status "$cli" send "$data/banks/ok-named-entries.m80" --in "$vin" --out "$vout" --delay 0)"
"$cli" convert "$data/banks/ok-named-entries.m80" "$work/sent.syx" 2>/dev/null
"$cli" convert "$work/virtual-memory.m80" "$work/memory-after.syx" 2>/dev/null
check "send stores the bank in the instrument" "same" "$(cmp -s "$work/sent.syx" "$work/memory-after.syx" && echo same || echo differs)"
check "get without ports" 1 "$(status "$cli" get -o "$work/f.m80")"
check "get without output" 1 "$(status "$cli" get --in "$vin" --out "$vout")"
check "get with a device that is not there" 1 "$(status "$cli" get --in "$vin" --out 999 -o "$work/f.m80")"
check "get on channel 17" 1 "$(status "$cli" get --in "$vin" --out "$vout" --channel 17 -o "$work/f.m80")"
check "no output after a refused get" "absent" "$([ -e "$work/f.m80" ] && echo present || echo absent)"
check "get into a folder that is not there" 4 \
  "$(status "$cli" get --in "$vin" --out "$vout" --delay 0 -o "$work/no/such/dir/f.m80")"
check "send of a missing file" 2 "$(status "$cli" send "$work/missing.m80" --in "$vin" --out "$vout")"
check "send of a truncated bank" 2 "$(status "$cli" send "$data/banks/bad-cut-in-last-tone.m80" --in "$vin" --out "$vout")"
check "get by device name" 0 \
  "$(status "$cli" get --in "Virtual MKS-80" --out "Virtual MKS" --delay 0 -o "$work/by-name.m80")"
check "an unknown device name lists the devices" 1 \
  "$("$cli" get --in "No Such Device" --out "$vout" -o "$work/f.m80" 2>&1 | grep -c "$(printf '^  %d\tVirtual MKS-80' "$vin")")"
# Entries 12 and 34 (indices 1 and 19; 98 bytes each) get a parameter byte of 90H.
"$cli" new "$work/high.m80" 2>/dev/null
for offset in $((98 + 19)) $((19 * 98 + 60)); do
  printf '\220' | dd of="$work/high.m80" bs=1 seek="$offset" conv=notrunc status=none
done
cp "$work/virtual-memory.m80" "$work/memory-before-high.m80"
check "send of a bank the MKS-80 cannot take" 2 \
  "$(status "$cli" send "$work/high.m80" --in "$vin" --out "$vout" --delay 0)"
check "send refuses it even when the file is forced" 3 \
  "$(status "$cli" send "$work/high.m80" --in "$vin" --out "$vout" --delay 0 --force)"
check "the refusal names the entries" 1 \
  "$("$cli" send "$work/high.m80" --in "$vin" --out "$vout" --delay 0 --force 2>&1 | grep -c 'cannot take (128 or more): 12 34$')"
check "nothing was sent" "same" \
  "$(cmp -s "$work/virtual-memory.m80" "$work/memory-before-high.m80" && echo same || echo differs)"
check "send refuses a partial dump" 2 "$(status "$cli" send "$data/dumps/blocks3-then-eod.syx" --in "$vin" --out "$vout")"
check "verify after a send exits 0" "0:" \
  "$("$cli" verify "$named" --in "$vin" --out "$vout" --delay 0 2>/dev/null; echo "$?:")"
"$cli" new "$work/virtual-memory.m80"
check "verify of a changed instrument exits 5" 5 \
  "$(status "$cli" verify "$named" --in "$vin" --out "$vout" --delay 0)"
check "verify lists the differing entries" 128 \
  "$("$cli" verify "$named" --in "$vin" --out "$vout" --delay 0 2>/dev/null | grep -c '^differs')"
check "send with an unknown option" 1 "$(status "$cli" send "$work/a.m80" --in "$vin" --out "$vout" --fast)"

# audition and take, on the built-in instrument: an audition never reaches its memory, and
# the built-in instrument announces nothing, so take gives up and writes nothing.
cp "$work/virtual-memory.m80" "$work/memory-before-audition.m80"
check "audition of a patch exits 0" 0 "$(status "$cli" audition "$named" 57 patch --out "$vout")"
check "an audition leaves the memory alone" "same" \
  "$(cmp -s "$work/virtual-memory.m80" "$work/memory-before-audition.m80" && echo same || echo differs)"
check "audition of entry 90" 1 "$(status "$cli" audition "$named" 90 tone --out "$vout")"
check "take into a dump" 1 "$(status "$cli" take "$named" 12 --in "$vin" -o "$work/taken.syx")"
check "take with nothing announced" "3 absent" \
  "$(status "$cli" take "$named" 12 --in "$vin" --wait 1 -o "$work/taken.m80") $([ -e "$work/taken.m80" ] && echo present || echo absent)"

echo "cli: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
