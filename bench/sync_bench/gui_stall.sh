#!/usr/bin/env bash
# The window during a large synchronise: a generated environment whose Inbox is the benchmark's
# 100,000-message folder is backed up, its Inbox then replaced by the folder that differs in 1%,
# and the real window synchronises it (offscreen) while a timer on its thread measures how long
# the event loop is held. Goal: no gap over 100 ms.
#
#   bench/sync_bench/gui_stall.sh [BUILD_DIR] [WORK_DIR] [MESSAGES]
#
# The folders are those of sync_bench.sh (generated once into WORK_DIR).
set -euo pipefail
build=${1:-build}
work=${2:-/tmp/kv-sync-bench}
messages=${3:-100000}
for tool in bench/sync_bench/sync_bench bench/sync_bench/gui_stall tools/mkenv/kv2000-mkenv \
            cli/kv2000-cli; do
    [ -x "$build/$tool" ] || { echo "gui_stall: $build/$tool not built" >&2; exit 2; }
done
mkdir -p "$work"
if [ ! -f "$work/.made-$messages" ]; then
    rm -f "$work"/.made-* "$work"/*.dbx
    "$build/bench/sync_bench/sync_bench" generate "$work" "$messages"
    touch "$work/.made-$messages"
fi
prefix=$work/prefix
rm -rf "$prefix"
"$build/tools/mkenv/kv2000-mkenv" --identities 1 "$prefix" >/dev/null
inbox=$(find "$prefix/drive_c" -name Inbox.dbx | head -1)
[ -n "$inbox" ] || { echo "gui_stall: the environment has no Inbox.dbx" >&2; exit 2; }
cp "$work/prior.dbx" "$inbox"
mkdir -p "$prefix/drive_c/Backups"
archive=$("$build/cli/kv2000-cli" backup --prefix "$prefix" --to 'C:\Backups' --yes 2>/dev/null |
          sed -n 's/^archive: //p')
[ -n "$archive" ] || { echo "gui_stall: the backup failed" >&2; exit 2; }
cp "$work/current.dbx" "$inbox"
echo "Inbox: $(stat -c %s "$work/prior.dbx") bytes in the backup, $messages messages; $(nproc) cores"
printf 'load before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
QT_QPA_PLATFORM=offscreen "$build/bench/sync_bench/gui_stall" "$prefix" "$archive" Inbox.dbx \
    2> "$work/gui_stall.log"
printf 'load after:  %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
