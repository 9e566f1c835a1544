#!/usr/bin/env bash
# Backup benchmark: `kv2000-cli backup` of a generated version-5 store (one large Inbox with
# about 40% of the bytes, many smaller folders, text messages with base64 attachments) against
# `zip -6 -r` of the same store folder. Prints wall and CPU time, archive size and peak memory
# (from /usr/bin/time -v) side by side, and the ratios against the goals: the whole backup
# (inventory and the archive's test included) at least 6 times as fast as zip -6, its archive at
# most 5% larger, peak memory under 100 MB.
#
#   bench/backup_bench/backup_bench.sh [BUILD_DIR] [STORE_MB] [WORK_DIR] [REPEATS]
#
# The prefix and its store are made once and kept in WORK_DIR. A build without the backup
# command is measured with `archive create` of the store folder followed by `archive test`,
# which is the backup's zipping and verification without its inventory and bookkeeping.
# The machine may be shared: every run is repeated (3 times by default) and the best time kept;
# the load average is printed before and after.
set -euo pipefail
build=${1:-build}
mb=${2:-450}
work=${3:-/tmp/kv-backup-bench}
repeats=${4:-3}
build=$(realpath "$build")
cli="$build/cli/kv2000-cli"
mkenv="$build/tools/mkenv/kv2000-mkenv"
mkstore="$build/tools/mkstore/kv2000-mkstore"
for t in "$cli" "$mkenv" "$mkstore"; do
    [ -x "$t" ] || { echo "missing $t: build it first" >&2; exit 2; }
done
for t in zip /usr/bin/time; do command -v "$t" >/dev/null || { echo "missing $t" >&2; exit 2; }; done
mkdir -p "$work"
work=$(realpath "$work")
pfx="$work/pfx"

# The folders that get messages besides the Inbox with --folders 6 --depth 3: Sent Items,
# Deleted Items and Drafts, 6 folders of the user's with 3 levels below each, 2 newsgroups.
smaller_folders=29
# Bytes a generated message takes in its folder file, on average.
message_bytes=6860
if [ ! -f "$work/.store-$mb" ]; then
    rm -rf "$pfx" "$work"/.store-*
    "$mkenv" --identities 1 "$pfx" >"$work/env.txt"
    # "identity: NAME {ID} C:\...\Outlook Express": the store folder is what follows the id.
    store_win=$(sed -n 's/^identity: [^{]*{[^}]*} //p' "$work/env.txt")
    [ -n "$store_win" ] || { echo "no identity in $work/env.txt" >&2; exit 1; }
    rel=${store_win:3}
    echo "$store_win" >"$work/store-win"
    store="$pfx/drive_c/${rel//\\//}"
    inbox=$(awk -v mb="$mb" -v m="$message_bytes" 'BEGIN {printf "%d", mb * 1048576 * 0.40 / m}')
    per=$(awk -v mb="$mb" -v m="$message_bytes" -v n="$smaller_folders" \
        'BEGIN {printf "%d", mb * 1048576 * 0.60 / m / n}')
    rm -rf "$store"
    echo "generating a store of about $mb MB (Inbox $inbox messages, about $per in each other folder)"
    "$mkstore" oe5 "$store" --seed 450 --inbox "$inbox" --per-folder "$per" --folders 6 \
        --depth 3 >"$work/store.txt"
    touch "$work/.store-$mb"
fi
store_win=$(cat "$work/store-win")
rel=${store_win:3}
store="$pfx/drive_c/${rel//\\//}"
cat "$store"/* >/dev/null # warm the page cache for every contender alike
total=$(cat "$store"/* | wc -c)
inbox_bytes=$(stat -c %s "$store/Inbox.dbx")
printf 'store: %s bytes in %s files, Inbox %s bytes (%s%%); %s cores\n' "$total" \
    "$(ls "$store" | wc -l)" "$inbox_bytes" \
    "$(awk -v a="$inbox_bytes" -v b="$total" 'BEGIN {printf "%.0f", a * 100 / b}')" "$(nproc)"
printf 'load before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

declare -A secs cpu mem
# run NAME OUTPUT COMMAND...: best wall time over the repeats, with its CPU time and peak RSS.
# OUTPUT is removed before each run (a folder, ending in "/", is made afresh), and the writeback
# of the previous run's archive is not charged to the next one.
run() {
    local name=$1 out=$2
    shift 2
    local best="" bestcpu="" bestmem=""
    for ((i = 0; i < repeats; i++)); do
        rm -rf "$out"
        case $out in */) mkdir -p "$out" ;; esac
        sync
        /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/out.txt" 2>"$work/err.txt" || {
            echo "$name failed:"; cat "$work/out.txt" "$work/err.txt"; exit 1; }
        local e c m
        e=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0;
            for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s}' "$work/time.txt")
        c=$(awk -F': ' '/(User|System) time \(seconds\)/ {s += $2} END {print s}' "$work/time.txt")
        m=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
        if [ -z "$best" ] || awk -v a="$e" -v b="$best" 'BEGIN {exit !(a < b)}'; then
            best=$e; bestcpu=$c; bestmem=$m
        fi
    done
    secs[$name]=$best
    cpu[$name]=$bestcpu
    mem[$name]=$bestmem
}

if "$cli" backup --help >/dev/null 2>&1; then
    ours="backup"
    run "$ours" "$pfx/drive_c/Bench/" "$cli" backup --prefix "$pfx" --to 'C:\Bench' --replace --yes
else
    ours="create+test"
    echo "(no backup command in this build: archive create and archive test stand in for it)"
    run "$ours" "$pfx/drive_c/Bench/" bash -c '"$1" archive --prefix "$2" create "C:\\Bench\\Backup.eaz" "$3\\*" &&
        "$1" archive --prefix "$2" test "C:\\Bench\\Backup.eaz"' _ "$cli" "$pfx" "$store_win"
fi
archive=$(ls -t "$pfx/drive_c/Bench"/*.eaz | head -1)
ours_bytes=$(stat -c %s "$archive")
cd "$(dirname "$store")"
run zip-6 "$work/zip6.zip" zip -q -6 -r "$work/zip6.zip" "$(basename "$store")"
zip_bytes=$(stat -c %s "$work/zip6.zip")
printf 'load after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

mb() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }
printf '\n%-12s %9s %9s %14s %9s\n' run seconds "cpu s" "archive bytes" "peak MB"
printf '%-12s %9.2f %9.2f %14s %9s\n' "$ours" "${secs[$ours]}" "${cpu[$ours]}" "$ours_bytes" \
    "$(mb "${mem[$ours]}")"
printf '%-12s %9.2f %9.2f %14s %9s\n' zip-6 "${secs[zip-6]}" "${cpu[zip-6]}" "$zip_bytes" \
    "$(mb "${mem[zip-6]}")"

verdict() { awk "BEGIN {if ($1) print \"met\"; else print \"MISSED\"}"; }
speed=$(awk -v a="${secs[zip-6]}" -v b="${secs[$ours]}" 'BEGIN {printf "%.1f", (b > 0 ? a / b : 0)}')
growth=$(awk -v a="$ours_bytes" -v b="$zip_bytes" 'BEGIN {printf "%+.1f", (a - b) * 100 / b}')
peak=$(mb "${mem[$ours]}")
printf '\nspeed: %sx as fast as zip -6 (goal >= 6x: %s)\n' "$speed" "$(verdict "$speed >= 6")"
printf 'size: archive %s%% against zip -6 (goal <= +5%%: %s)\n' "$growth" \
    "$(verdict "$growth <= 5")"
printf 'peak memory: %s MB (goal < 100 MB: %s)\n' "$peak" "$(verdict "$peak < 100")"
