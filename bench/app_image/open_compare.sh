#!/usr/bin/env bash
# Times, in one run, qubex opening a 2048 x 1536 JPEG into a painted image window (File Open
# through the drive socket, until the state dump after it is written) beside `djpeg` decoding
# the same file as a whole process, and measures qubex's peak memory (VmHWM) with the picture
# open, and again once zooming to 100 % has decoded the whole picture, above the empty frame's;
# prints the ratios. The program runs offscreen.
# Usage: bench/app_image/open_compare.sh [BIN_DIR] [PHOTO]  (BIN_DIR holds qubex and
# bench_qubex_drive, default build/bin; PHOTO any picture ImageMagick reads, default a
# generated one). Use a Release build.
set -euo pipefail
. "$(dirname "$0")/../lib/compare.sh"
bin=${1:-build/bin}
photo=${2:-}
for tool in "$bin/qubex" "$bin/bench_qubex_drive"; do
    [ -x "$tool" ] || { echo "open_compare.sh: build $(basename "$tool")" >&2; exit 2; }
done
need_commands convert djpeg

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
make_photo "$photo" "$work/photo.jpg" -quality 90
cat "$work/photo.jpg" > /dev/null

djpeg_ms=$(best_ms 5 djpeg -bmp -outfile /dev/null "$work/photo.jpg")

mkdir -m 700 "$work/config" "$work/run"
env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
    VOK_DRIVE="$work/drive.sock" VOK_STATE_DUMP="$work/state.json" VOK_MSG_ANSWER=ok \
    VOK_MSG_LOG="$work/messages.log" "$bin/qubex" > /dev/null 2>&1 &
pid=$!
drive() { "$bin/bench_qubex_drive" "$work/drive.sock" "$@"; }
# Ready once the start-up picture has gone and the memory has settled.
for _ in $(seq 300); do
    drive dump > /dev/null
    grep -q '"dialogs": *\[ *\]' "$work/state.json" && break
    sleep 0.1
done
sleep 0.5
hwm() { awk '/VmHWM/ { print $2 }' "/proc/$pid/status"; }
base_kb=$(hwm)

# The first open also gives the memory figures; the best of five opens the time.
drive "file $work/photo.jpg" "command 100" dump > /dev/null
open_kb=$(hwm)
grep -o '"zoom": *[0-9]*' "$work/state.json" | head -1 > "$work/zoom"
zoom_ms=$(drive "command 173" dump | awk '{ s += $1 } END { printf "%d", s + 0.5 }')
full_kb=$(hwm)
drive "command 163" > /dev/null
open_ms=""
for _ in 1 2 3 4 5; do
    ms=$(drive "file $work/photo.jpg" "command 100" dump | awk '{ s += $1 } END { printf "%d", s + 0.5 }')
    drive "command 163" > /dev/null
    if [ -z "$open_ms" ] || [ "$ms" -lt "$open_ms" ]; then open_ms=$ms; fi
done
[ "$open_ms" -gt 0 ] || open_ms=1
drive quit > /dev/null || true
wait "$pid" 2>/dev/null || true
pid=""

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
echo "picture: 2048 x 1536 JPEG, $(stat -c %s "$work/photo.jpg") bytes; window $(cat "$work/zoom")"
echo "qubex File Open to painted window (drive, dump): ${open_ms} ms"
echo "djpeg -bmp, one process:                          ${djpeg_ms} ms"
echo "ratio qubex open / djpeg:  $(ratio "$open_ms" "$djpeg_ms")   (target <= 1.5)"
echo "then View 100 % (whole picture decoded with the meter): ${zoom_ms} ms, $(ratio "$zoom_ms" "$djpeg_ms") x djpeg"
echo "peak memory, empty frame:              $(mib "$base_kb") MiB"
echo "above it with the picture open:        $(mib $((open_kb - base_kb))) MiB"
echo "above it after zoom 100 % (full DIB):  $(mib $((full_kb - base_kb))) MiB   (target <= 27 MiB)"
echo "ratio to the 9 MiB DIB: open $(ratio $((open_kb - base_kb)) 9216), full $(ratio $((full_kb - base_kb)) 9216)   (target <= 3)"
