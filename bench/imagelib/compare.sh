#!/usr/bin/env bash
# Times, in one run, `vokexif info` over a folder of 1000 generated JPEGs against
# `exiftool -fast` and `exiv2` over the same folder, and prints the ratios.
# Usage: bench/imagelib/compare.sh [BIN_DIR]   (BIN_DIR holds vokexif and bench_imagelib;
# default build/bin). Use a Release build.
set -euo pipefail
. "$(dirname "$0")/../lib/compare.sh"
bin=${1:-build/bin}
for tool in "$bin/vokexif" "$bin/bench_imagelib"; do
    [ -x "$tool" ] || { echo "compare.sh: $tool is missing; build vokexif and bench_imagelib" >&2; exit 2; }
done
need_commands exiftool exiv2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/bench_imagelib" --make-folder "$work/img" 1000
files=("$work"/img/*.jpg)
cat "${files[@]}" > /dev/null # page cache warm for every contender

per_file() { for f in "${files[@]}"; do "$bin/vokexif" info "$f"; done; }

vok_one=$(best_ms 3 "$bin/vokexif" info "${files[@]}")
vok_each=$(best_ms 3 per_file)
exiftool_ms=$(best_ms 3 exiftool -fast "$work/img")
exiv2_ms=$(best_ms 3 exiv2 "${files[@]}")

echo "files: ${#files[@]}"
echo "vokexif info, one process:        ${vok_one} ms"
echo "vokexif info, one process a file: ${vok_each} ms"
echo "exiftool -fast, one process:      ${exiftool_ms} ms"
echo "exiv2, one process:               ${exiv2_ms} ms"
echo "ratio exiftool -fast / vokexif (one process):  $(ratio "$exiftool_ms" "$vok_one")"
echo "ratio exiv2 / vokexif (one process):           $(ratio "$exiv2_ms" "$vok_one")"
echo "ratio exiftool -fast / vokexif (a process per file): $(ratio "$exiftool_ms" "$vok_each")"
echo "ratio exiv2 / vokexif (a process per file):          $(ratio "$exiv2_ms" "$vok_each")"
