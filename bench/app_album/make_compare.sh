#!/usr/bin/env bash
# Times, in one run, `vokalbum make` of 100 camera-size JPEGs (2048 x 1536) beside ImageMagick
# making 96 x 72 thumbnails of the same files in one process (with its scaled-decoding hint)
# and beside djpeg decoding each picture at full size; then `vokalbum ls` of that album beside
# reading the album's bytes and the pictures' file dates. Prints the ratios.
# Usage: bench/app_album/make_compare.sh [BIN_DIR] [PHOTO]  (BIN_DIR holds vokalbum, default
# build/bin; PHOTO any picture ImageMagick reads, default a generated one). Use a Release build.
set -euo pipefail
. "$(dirname "$0")/../lib/compare.sh"
bin=${1:-build/bin}
photo=${2:-}
[ -x "$bin/vokalbum" ] || { echo "make_compare.sh: build vokalbum" >&2; exit 2; }
need_commands convert mogrify djpeg

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pictures" "$work/magick"
make_photo "$photo" "$work/base.jpg" -quality 90
for i in $(seq -w 1 100); do cp "$work/base.jpg" "$work/pictures/DSC000$i.jpg"; done
cat "$work"/pictures/*.jpg > /dev/null

djpeg_all() { for f in "$work"/pictures/*.jpg; do djpeg -bmp "$f" > /dev/null; done; }
read_and_dates() { cat "$work/album.alb" > /dev/null; stat -c %y "$work"/pictures/*.jpg; }

make_ms=$(best_ms 5 "$bin/vokalbum" make "$work/album.alb" "$work"/pictures/*.jpg)
"$bin/vokalbum" make "$work/album.alb" "$work"/pictures/*.jpg
magick_ms=$(best_ms 5 mogrify -path "$work/magick" -define jpeg:size=192x144 -thumbnail 96x72 \
    -format bmp "$work"/pictures/*.jpg)
djpeg_ms=$(best_ms 5 djpeg_all)
ls_ms=$(best_ms 5 "$bin/vokalbum" ls "$work/album.alb")
bytes_ms=$(best_ms 5 read_and_dates)

echo "100 JPEGs of 2048 x 1536, $(stat -c %s "$work/base.jpg") bytes each; album $(stat -c %s "$work/album.alb") bytes"
echo "vokalbum make (scaled decoding, one process):        ${make_ms} ms"
echo "mogrify -thumbnail 96x72 (jpeg:size hint, one process): ${magick_ms} ms"
echo "djpeg of each picture at full size:                  ${djpeg_ms} ms"
echo "vokalbum ls of the album:                            ${ls_ms} ms"
echo "reading the album's bytes and the pictures' dates:   ${bytes_ms} ms"
echo "ratio vokalbum make / mogrify:       $(ratio "$make_ms" "$magick_ms")"
echo "ratio vokalbum make / djpeg (full):  $(ratio "$make_ms" "$djpeg_ms")  (goal <= 0.5)"
echo "ratio vokalbum ls / bytes + dates:   $(ratio "$ls_ms" "$bytes_ms")  (goal <= 2)"
