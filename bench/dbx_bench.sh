#!/usr/bin/env bash
# Message-file benchmark on a generated .dbx of 50 000 messages (about 330 MB):
#  (a) dbx_bench: open, header lines and four header values of every message, msgs/s;
#  (b) `kv2000-cli extract` against the undbx extractor on the same file, as a time ratio,
#      after checking that both wrote exactly the same message bytes.
# Usage: bench/dbx_bench.sh [BUILD_DIR] [WORK_DIR] [MESSAGES]
set -euo pipefail

build=${1:-build}
work=${2:-/tmp/kv-dbx-bench}
messages=${3:-50000}
mkstore=$build/tools/mkstore/kv2000-mkstore
cli=$build/cli/kv2000-cli
bench=$build/bench/dbx_bench
for tool in "$mkstore" "$cli" "$bench"; do
    [ -x "$tool" ] || { echo "dbx_bench: $tool not built" >&2; exit 1; }
done
command -v undbx >/dev/null || { echo "dbx_bench: undbx not installed" >&2; exit 1; }

mkdir -p "$work"
dbx=$work/bench-$messages.dbx
[ -f "$dbx" ] || "$mkstore" dbx "$dbx" --messages "$messages" --seed 1
echo "file: $dbx ($(stat -L -c %s "$dbx") bytes)"
cat "$dbx" > /dev/null

echo "== (a) reader: open + headers + From/To/Subject/Date"
"$bench" "$dbx" 3

echo "== (b) extraction, kv2000-cli extract against undbx (page cache warm, best of 3)"
timeit() { # prints seconds of the best of three runs of "$@" into a fresh output folder
    local best=""
    for _ in 1 2 3; do
        rm -rf "$out"
        # Writeback of the previous run's files must not be charged to this one.
        sync
        local s e
        s=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        e=$(date +%s.%N)
        best=$(echo "$s $e $best" | awk '{d=$2-$1; if ($3=="" || d<$3) print d; else print $3}')
    done
    echo "$best"
}
out=$work/kv-out
t_kv=$(timeit "$cli" extract "$dbx" "$out")
out=$work/undbx-out
t_undbx=$(timeit undbx "$dbx" "$out")

digests() { find "$1" -name '*.eml' -not -path '*/deleted/*' -print0 | xargs -0 sha1sum | cut -d' ' -f1 | sort; }
if cmp -s <(digests "$work/kv-out") <(digests "$work/undbx-out"); then
    same="identical message bytes ($(digests "$work/kv-out" | wc -l) messages)"
else
    same="MESSAGE BYTES DIFFER"
fi
echo "kv2000-cli extract: ${t_kv} s; undbx: ${t_undbx} s; $same"
awk -v a="$t_kv" -v b="$t_undbx" 'BEGIN { printf "speed-up over undbx: %.2fx (goal >= 1.5x)\n", b / a }'
[ "$same" != "MESSAGE BYTES DIFFER" ]
