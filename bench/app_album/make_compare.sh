#!/usr/bin/env bash
# Times, in one run, `vokalbum make` of 100 camera-size JPEGs (2048 x 1536) beside ImageMagick
# making 96 x 72 thumbnails of the same files in one process (with its scaled-decoding hint)
# and beside djpeg decoding each picture at full size; then `vokalbum ls` of that album beside
# reading the album's bytes and the pictures' file dates. Prints the ratios.
# Usage: bench/app_album/make_compare.sh [BIN_DIR] [PHOTO]  (BIN_DIR holds vokalbum, default
# build/bin; PHOTO any picture ImageMagick reads, default a generated one). Use a Release build.
set -euo pipefail
bin=${1:-build/bin}
photo=${2:-}
[ -x "$bin/vokalbum" ] || { echo "make_compare.sh: build vokalbum" >&2; exit 2; }
for tool in convert mogrify djpeg; do
    command -v $tool >/dev/null || { echo "make_compare.sh: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pictures" "$work/magick"
if [ -n "$photo" ]; then
    convert "$photo" -resize '2048x1536!' -quality 90 "$work/base.jpg"
else
    # A photo-like picture: fractal plasma (smooth regions, fine detail), slightly blurred.
    convert -size 2048x1536 -seed 42 plasma:fractal -blur 0x1 -quality 90 "$work/base.jpg"
fi
for i in $(seq -w 1 100); do cp "$work/base.jpg" "$work/pictures/DSC000$i.jpg"; done
cat "$work"/pictures/*.jpg > /dev/null

# Best wall time of five runs, in milliseconds.
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
djpeg_all() { for f in "$work"/pictures/*.jpg; do djpeg -bmp "$f" > /dev/null; done; }
read_and_dates() { cat "$work/album.alb" > /dev/null; stat -c %y "$work"/pictures/*.jpg; }

make_ms=$(best_ms "$bin/vokalbum" make "$work/album.alb" "$work"/pictures/*.jpg)
"$bin/vokalbum" make "$work/album.alb" "$work"/pictures/*.jpg
magick_ms=$(best_ms mogrify -path "$work/magick" -define jpeg:size=192x144 -thumbnail 96x72 \
    -format bmp "$work"/pictures/*.jpg)
djpeg_ms=$(best_ms djpeg_all)
ls_ms=$(best_ms "$bin/vokalbum" ls "$work/album.alb")
bytes_ms=$(best_ms read_and_dates)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "100 JPEGs of 2048 x 1536, $(stat -c %s "$work/base.jpg") bytes each; album $(stat -c %s "$work/album.alb") bytes"
echo "vokalbum make (scaled decoding, one process):        ${make_ms} ms"
echo "mogrify -thumbnail 96x72 (jpeg:size hint, one process): ${magick_ms} ms"
echo "djpeg of each picture at full size:                  ${djpeg_ms} ms"
echo "vokalbum ls of the album:                            ${ls_ms} ms"
echo "reading the album's bytes and the pictures' dates:   ${bytes_ms} ms"
echo "ratio vokalbum make / mogrify:       $(ratio "$make_ms" "$magick_ms")"
echo "ratio vokalbum make / djpeg (full):  $(ratio "$make_ms" "$djpeg_ms")  (goal <= 0.5)"
echo "ratio vokalbum ls / bytes + dates:   $(ratio "$ls_ms" "$bytes_ms")  (goal <= 2)"
