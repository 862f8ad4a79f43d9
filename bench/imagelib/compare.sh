#!/usr/bin/env bash
# Times, in one run, `vokexif info` over a folder of 1000 generated JPEGs against
# `exiftool -fast` and `exiv2` over the same folder, and prints the ratios.
# Usage: bench/imagelib/compare.sh [BIN_DIR]   (BIN_DIR holds vokexif and bench_imagelib;
# default build/bin). Use a Release build.
set -euo pipefail
bin=${1:-build/bin}
for tool in "$bin/vokexif" "$bin/bench_imagelib"; do
    [ -x "$tool" ] || { echo "compare.sh: $tool is missing; build vokexif and bench_imagelib" >&2; exit 2; }
done
for tool in exiftool exiv2; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/bench_imagelib" --make-folder "$work/img" 1000
files=("$work"/img/*.jpg)
cat "${files[@]}" > /dev/null # page cache warm for every contender

# Runs a command three times and prints the best wall time in milliseconds.
best_ms() {
    local best=""
    for _ in 1 2 3; do
        local start end
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        end=$(date +%s%N)
        local ms=$(( (end - start) / 1000000 ))
        if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    done
    [ "$best" -gt 0 ] || best=1
    echo "$best"
}

per_file() { for f in "${files[@]}"; do "$bin/vokexif" info "$f"; done; }

vok_one=$(best_ms "$bin/vokexif" info "${files[@]}")
vok_each=$(best_ms per_file)
exiftool_ms=$(best_ms exiftool -fast "$work/img")
exiv2_ms=$(best_ms exiv2 "${files[@]}")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "files: ${#files[@]}"
echo "vokexif info, one process:        ${vok_one} ms"
echo "vokexif info, one process a file: ${vok_each} ms"
echo "exiftool -fast, one process:      ${exiftool_ms} ms"
echo "exiv2, one process:               ${exiv2_ms} ms"
echo "ratio exiftool -fast / vokexif (one process):  $(ratio "$exiftool_ms" "$vok_one")"
echo "ratio exiv2 / vokexif (one process):           $(ratio "$exiv2_ms" "$vok_one")"
echo "ratio exiftool -fast / vokexif (a process per file): $(ratio "$exiftool_ms" "$vok_each")"
echo "ratio exiv2 / vokexif (a process per file):          $(ratio "$exiv2_ms" "$vok_each")"
