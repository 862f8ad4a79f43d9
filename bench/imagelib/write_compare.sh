#!/usr/bin/env bash
# Times, in one run, vokexif's camera conversions of a 2048 x 1536 JPEG against
# libjpeg-turbo's own djpeg and cjpeg (package libjpeg-turbo-progs) doing the decode and
# encode work of the same file, and prints the ratios.
# Usage: bench/imagelib/write_compare.sh [BIN_DIR]   (BIN_DIR holds vokexif and
# bench_imagelib_write; default build/bin). Use a Release build.
set -euo pipefail
bin=${1:-build/bin}
for tool in "$bin/vokexif" "$bin/bench_imagelib_write"; do
    [ -x "$tool" ] || { echo "write_compare.sh: $tool is missing; build vokexif and bench_imagelib_write" >&2; exit 2; }
done
for tool in djpeg cjpeg; do
    command -v "$tool" >/dev/null || { echo "write_compare.sh: $tool is not installed (libjpeg-turbo-progs)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work
"$bin/bench_imagelib_write" --make-files "$work"
# The scaled encode's input: the source at 640 x 480, made once outside the timing.
djpeg -outfile "$work/full.ppm" "$work/src21.jpg"
"$bin/vokexif" jpg2bmp "$work/src21.jpg" "$work/full.bmp"
"$bin/vokexif" fit "$work/full.bmp" "$work/small.bmp" 640x480
cat "$work"/*.jpg > /dev/null

# Runs a command five times and prints the best wall time in milliseconds.
best_ms() {
    local best=""
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1
        end=$(date +%s%N)
        local ms=$(( (end - start) / 1000000 ))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    [ "$best" -gt 0 ] || best=1
    echo "$best"
}

decode() { djpeg -outfile "$work/d.ppm" "$1"; }
decode_encode() { djpeg -outfile "$work/d.ppm" "$1" && cjpeg -quality 75 -sample 2x1 -outfile "$work/e.jpg" "$work/d.ppm"; }
decode_encode_small() { djpeg -outfile "$work/d.ppm" "$1" && cjpeg -quality 75 -sample 2x1 -outfile "$work/e.jpg" "$work/small.bmp"; }

kept=$(best_ms "$bin/vokexif" to-camera "$work/src21.jpg" "$work/out.jpg")
kept_ref=$(best_ms decode "$work/src21.jpg")
recomp=$(best_ms "$bin/vokexif" to-camera "$work/src11.jpg" "$work/out.jpg")
recomp_ref=$(best_ms decode_encode "$work/src11.jpg")
scaled=$(best_ms "$bin/vokexif" to-camera "$work/src21.jpg" "$work/out.jpg" --max 640x480)
scaled_ref=$(best_ms decode_encode_small "$work/src21.jpg")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-46s %8s %8s %7s\n' "2048x1536 JPEG" "vokexif" "libjpeg" "ratio"
printf '%-46s %6d ms %6d ms %7s\n' "to-camera, 2x1 kept (vs djpeg)" "$kept" "$kept_ref" "$(ratio "$kept" "$kept_ref")"
printf '%-46s %6d ms %6d ms %7s\n' "to-camera, 1x1 recompressed (vs djpeg+cjpeg)" "$recomp" "$recomp_ref" "$(ratio "$recomp" "$recomp_ref")"
printf '%-46s %6d ms %6d ms %7s\n' "to-camera --max 640x480 (vs djpeg+cjpeg)" "$scaled" "$scaled_ref" "$(ratio "$scaled" "$scaled_ref")"
