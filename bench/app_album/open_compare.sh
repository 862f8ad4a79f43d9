#!/usr/bin/env bash
# Times, in one run, qubex opening an album of 100 camera-size pictures (2048 x 1536 Exif JPEGs
# on disk, the album made by vokalbum) in its album window, beside reading the album's bytes
# and the pictures' dates taken (one `vokexif info` process over the 100 pictures, and
# exiftool where installed). qubex runs offscreen and is driven through its drive socket:
# each round is File Open with the drive's answer until the window is there, then Close;
# best of ten rounds for every contender.
# Usage: bench/app_album/open_compare.sh [BIN_DIR] [PHOTO]  (BIN_DIR holds qubex, vokalbum and
# vokexif, default build/bin; PHOTO any picture ImageMagick reads). Use a Release build.
set -euo pipefail
. "$(dirname "$0")/../lib/compare.sh"
bin=$(cd "${1:-build/bin}" && pwd)
photo=${2:-}
for tool in qubex vokalbum vokexif; do
    [ -x "$bin/$tool" ] || { echo "open_compare.sh: build $tool" >&2; exit 2; }
done
need_commands convert python3

work=$(mktemp -d)
qubex_pid=""
cleanup() {
    [ -n "$qubex_pid" ] && kill "$qubex_pid" 2>/dev/null && wait "$qubex_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/pictures" "$work/home/config" "$work/run"
chmod 700 "$work/run"
make_photo "$photo" "$work/base.jpg" -quality 90
# The camera's form: an Exif JPEG with its date taken, as downloaded pictures are.
"$bin/vokexif" to-camera "$work/base.jpg" "$work/camera.jpg" --max 2048x1536 > /dev/null
for i in $(seq -w 1 100); do cp "$work/camera.jpg" "$work/pictures/DSC000$i.jpg"; done
"$bin/vokalbum" make "$work/album.alb" "$work"/pictures/*.jpg
cat "$work"/pictures/*.jpg "$work/album.alb" > /dev/null

# Best wall time of ten runs, in milliseconds with one decimal.
best_ms10() { awk -v us="$(best_us 10 "$@")" 'BEGIN { printf "%.1f", us / 1000 }'; }
bytes_and_dates() { cat "$work/album.alb" > /dev/null; "$bin/vokexif" info "$work"/pictures/*.jpg; }
bytes_and_exiftool() {
    cat "$work/album.alb" > /dev/null
    exiftool -q -fast -DateTimeOriginal "$work"/pictures/*.jpg
}

# qubex offscreen with a private user, driven through its socket.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=ffmpeg VOK_MSG_ANSWER=ok
export VOK_MSG_LOG="$work/messages.log" VOK_STATE_DUMP="$work/state.json" VOK_DRIVE="$work/drive"
"$bin/qubex" > /dev/null 2>&1 &
qubex_pid=$!
open_ms=$(python3 - "$work" <<'EOF'
import json, os, socket, sys, time
work = sys.argv[1]
def ready():
    try:
        d = json.load(open(os.path.join(work, "state.json")))
        return d["frame"]["visible"] and not d["dialogs"]
    except (OSError, ValueError, KeyError):
        return False
for _ in range(600):
    if ready():
        break
    time.sleep(0.1)
s = socket.socket(socket.AF_UNIX)
s.connect(os.path.join(work, "drive"))
f = s.makefile("rw")
def drive(line):
    f.write(line + "\n")
    f.flush()
    answer = f.readline().strip()
    if not answer.startswith("ok"):
        sys.exit("drive: %s: %s" % (line, answer))
best = None
for _ in range(10):
    start = time.perf_counter()
    drive("file " + os.path.join(work, "album.alb"))
    drive("command 100")
    ms = (time.perf_counter() - start) * 1000
    drive("dump")
    d = json.load(open(os.path.join(work, "state.json")))
    if len(d["children"]) != 1 or len(d["children"][0]["entries"]) != 100:
        sys.exit("the album did not open")
    drive("command 106")
    best = ms if best is None else min(best, ms)
drive("quit")
print("%.1f" % best)
EOF
)
wait "$qubex_pid" || true
qubex_pid=""
bytes_ms=$(best_ms10 bytes_and_dates)
exiftool_ms=""
if command -v exiftool > /dev/null; then exiftool_ms=$(best_ms10 bytes_and_exiftool); fi
if [ -s "$work/messages.log" ]; then
    echo "open_compare.sh: qubex showed messages:" >&2
    cat "$work/messages.log" >&2
fi

echo "100 Exif JPEGs of 2048 x 1536, $(stat -c %s "$work/camera.jpg") bytes each; album $(stat -c %s "$work/album.alb") bytes"
echo "qubex File Open of the album (window with 100 buttons): ${open_ms} ms"
echo "album bytes + vokexif info of the 100 pictures:         ${bytes_ms} ms"
[ -n "$exiftool_ms" ] && echo "album bytes + exiftool DateTimeOriginal of the 100:     ${exiftool_ms} ms"
echo "ratio qubex open / bytes + dates:  $(ratio "$open_ms" "$bytes_ms")  (goal <= 2)"
[ -n "$exiftool_ms" ] && echo "ratio qubex open / bytes + exiftool: $(ratio "$open_ms" "$exiftool_ms")"
exit 0
