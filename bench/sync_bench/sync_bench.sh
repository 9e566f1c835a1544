#!/usr/bin/env bash
# Folder comparison benchmark: two generated .dbx folders of 100,000 messages that differ in 1%.
# Times reading the two header lists against the indexed comparison (goal: the comparison at
# most 20% of the reading), and the search of the joined current list that a comparison without
# an index makes, at 2,500 and 5,000 messages, extrapolated to the whole folder as n squared.
#
#   bench/sync_bench/sync_bench.sh [BUILD_DIR] [WORK_DIR] [MESSAGES] [REPEATS] [QUAD_N]
#
# The folders are generated once and kept in WORK_DIR. The machine may be shared: the reading and
# the comparison are repeated and the best time kept; the load average is printed.
set -euo pipefail
build=${1:-build}
work=${2:-/tmp/kv-sync-bench}
messages=${3:-100000}
repeats=${4:-3}
quad=${5:-5000}
bench=$build/bench/sync_bench/sync_bench
[ -x "$bench" ] || { echo "sync_bench: $bench not built" >&2; exit 2; }
mkdir -p "$work"
if [ ! -f "$work/.made-$messages" ]; then
    rm -f "$work"/.made-* "$work"/*.dbx
    "$bench" generate "$work" "$messages"
    touch "$work/.made-$messages"
fi
echo "folders: $(stat -c %s "$work/prior.dbx") and $(stat -c %s "$work/current.dbx") bytes; $(nproc) cores"
cat "$work"/*.dbx >/dev/null # the page cache warm for every run alike
printf 'load before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
"$bench" run "$work" "$repeats" "$quad"
printf 'load after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
