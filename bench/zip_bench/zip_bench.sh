#!/usr/bin/env bash
# Zip benchmark: our archive command against Info-ZIP zip -6 and 7-Zip on a generated
# mail-store-like corpus; then testing the archive, against 7z t and unzip -t. Prints time,
# archive size and peak memory (from /usr/bin/time -v) for each run.
#
#   bench/zip_bench/zip_bench.sh [BUILD_DIR] [CORPUS_MB] [WORK_DIR] [REPEATS]
#
# The machine may be shared: every run is repeated (3 times by default) and the best time kept.
set -euo pipefail
build=${1:-build}
mb=${2:-450}
work=${3:-/tmp/kv-zip-bench}
repeats=${4:-3}
build=$(realpath "$build")
cli="$build/cli/kv2000-cli"
gen="$build/bench/zip_bench/zip_bench_corpus"
for t in "$cli" "$gen"; do [ -x "$t" ] || { echo "missing $t: build it first" >&2; exit 2; }; done
for t in zip unzip 7z /usr/bin/time; do command -v "$t" >/dev/null || { echo "missing $t" >&2; exit 2; }; done

pfx="$work/pfx"
store="$pfx/drive_c/Store"
if [ ! -f "$work/.corpus-$mb" ]; then
    rm -rf "$work"
    mkdir -p "$pfx/dosdevices" "$pfx/drive_c"
    ln -s ../drive_c "$pfx/dosdevices/c:"
    "$gen" "$store" "$mb"
    touch "$work/.corpus-$mb"
fi
cat "$store"/* >/dev/null # warm the page cache for every contender alike
corpus=$(cat "$store"/* | wc -c)
largest=$(ls -S "$store" | head -1)
printf 'corpus: %s bytes in %s files, largest %s (%s bytes); %s cores; load %s\n' \
    "$corpus" "$(ls "$store" | wc -l)" "$largest" "$(stat -c %s "$store/$largest")" \
    "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"

declare -A secs mem
# run NAME OUTPUT-FILE COMMAND...: best wall time and its peak RSS over the repeats.
run() {
    local name=$1 out=$2; shift 2
    local best="" bestmem=""
    for ((i = 0; i < repeats; i++)); do
        [ -n "$out" ] && rm -f "$out"
        /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" || {
            echo "$name failed:"; cat "$work/err.txt"; exit 1; }
        local e m
        e=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0;
            for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s}' "$work/time.txt")
        m=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
        if [ -z "$best" ] || awk -v a="$e" -v b="$best" 'BEGIN {exit !(a < b)}'; then
            best=$e; bestmem=$m
        fi
    done
    secs[$name]=$best
    mem[$name]=$bestmem
}

cd "$pfx/drive_c"
run ours-create "$pfx/drive_c/ours.eaz" "$cli" archive --prefix "$pfx" create 'C:\ours.eaz' 'C:\Store\*'
run zip-6 "$work/zip6.zip" zip -q -6 -r "$work/zip6.zip" Store
run 7z-a "$work/7z.zip" 7z a -tzip -bd "$work/7z.zip" Store
run ours-test "" "$cli" archive --prefix "$pfx" test 'C:\ours.eaz'
run 7z-t "" 7z t "$pfx/drive_c/ours.eaz"
run unzip-t "" unzip -tq "$pfx/drive_c/ours.eaz"

size() { stat -c %s "$1"; }
mb() { awk -v k="$1" 'BEGIN {print k / 1024}'; }
ours=$(size "$pfx/drive_c/ours.eaz"); z6=$(size "$work/zip6.zip"); s7=$(size "$work/7z.zip")
printf '\n%-12s %9s %14s %10s\n' run seconds "archive bytes" "peak MB"
for n in ours-create zip-6 7z-a; do
    case $n in ours-create) s=$ours ;; zip-6) s=$z6 ;; 7z-a) s=$s7 ;; esac
    printf '%-12s %9.2f %14s %10.1f\n' "$n" "${secs[$n]}" "$s" "$(mb "${mem[$n]}")"
done
for n in ours-test 7z-t unzip-t; do
    printf '%-12s %9.2f %14s %10.1f\n' "$n" "${secs[$n]}" "" "$(mb "${mem[$n]}")"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.1f", (b > 0 ? a / b : 0)}'; }
printf '\nbuild: %sx as fast as zip -6 (goal >= 10x), archive %+.1f%% against zip -6 (goal <= +5%%)\n' \
    "$(ratio "${secs[zip-6]}" "${secs[ours-create]}")" \
    "$(awk -v a="$ours" -v b="$z6" 'BEGIN {print (a - b) * 100 / b}')"
printf 'test: %sx as fast as 7z t (goal >= 3x), %sx as fast as unzip -t\n' \
    "$(ratio "${secs[7z-t]}" "${secs[ours-test]}")" "$(ratio "${secs[unzip-t]}" "${secs[ours-test]}")"
printf 'peak memory: create %.1f MB, test %.1f MB (goal < 64 MB)\n' \
    "$(mb "${mem[ours-create]}")" "$(mb "${mem[ours-test]}")"
