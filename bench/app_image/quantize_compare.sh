#!/usr/bin/env bash
# Times, in one run, qubex's 256-colour reduction of a 2048 x 1536 photo beside ImageMagick's
# `convert -dither None -colors 256` of the same BMP, each as a whole process (read, reduce,
# write a BMP), and QuantizeTo256 alone from the Google Benchmark; prints the ratios.
# Usage: bench/app_image/quantize_compare.sh [BIN_DIR] [PHOTO]  (BIN_DIR holds
# bench_qubex_image, default build/bin; PHOTO any picture ImageMagick reads, default a
# generated one). Use a Release build.
set -euo pipefail
. "$(dirname "$0")/../lib/compare.sh"
bin=${1:-build/bin}
photo=${2:-}
[ -x "$bin/bench_qubex_image" ] || { echo "quantize_compare.sh: build bench_qubex_image" >&2; exit 2; }
need_commands convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_photo "$photo" BMP3:"$work/photo.bmp" -type truecolor
cat "$work/photo.bmp" > /dev/null

qubex_ms=$(best_ms 5 "$bin/bench_qubex_image" --quantize "$work/photo.bmp" "$work/qubex.bmp")
magick_ms=$(best_ms 5 convert "$work/photo.bmp" -dither None -colors 256 BMP3:"$work/magick.bmp")
alone_ms=$(VOK_BENCH_PHOTO="$work/photo.bmp" "$bin/bench_qubex_image" --benchmark_filter=QuantizeTo256 \
    --benchmark_format=csv --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
    awk -F, '/_median/ { printf "%.1f", $3 }')

echo "picture: 2048 x 1536, $(identify -format '%k' "$work/photo.bmp") colours"
echo "qubex read + QuantizeTo256 + write, one process: ${qubex_ms} ms"
echo "convert -dither None -colors 256, one process:   ${magick_ms} ms"
echo "QuantizeTo256 alone (median):                    ${alone_ms} ms"
echo "ratio convert / qubex (whole process):  $(ratio "$magick_ms" "$qubex_ms" 1)"
echo "ratio convert / QuantizeTo256 alone:    $(ratio "$magick_ms" "$alone_ms" 1)"
