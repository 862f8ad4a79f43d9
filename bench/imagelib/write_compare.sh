#!/usr/bin/env bash
# Times, in one run, vokexif's camera conversions of a 2048 x 1536 JPEG against
# libjpeg-turbo's own djpeg and cjpeg (package libjpeg-turbo-progs) doing the decode and
# encode work of the same file, and prints the ratios of wall and processor time.
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

[ -x /usr/bin/time ] || { echo "write_compare.sh: /usr/bin/time is not installed" >&2; exit 2; }
runs=20
rounds=5

# One round: runs the shell command line runs times. Prints the wall and the processor (user
# + system, the command's children included) milliseconds per run.
round() {
    /usr/bin/time -o "$work/time" -f '%e %U %S' bash -c \
        "for ((i = 0; i < $runs; i++)); do $1 || exit 1; done" > /dev/null 2>&1
    tail -n 1 "$work/time" |
        awk -v n="$runs" '{ printf "%.2f %.2f\n", $1 * 1000 / n, ($2 + $3) * 1000 / n }'
}

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

djpeg_full="djpeg -outfile $work/d.ppm"
cjpeg_camera="cjpeg -quality 75 -sample 2x1 -outfile $work/e.jpg"
names=("to-camera, 2x1 kept (vs djpeg)"
       "to-camera, 1x1 recompressed (vs djpeg+cjpeg)"
       "to-camera --max 640x480 (vs djpeg+cjpeg)")
ours=("$bin/vokexif to-camera $work/src21.jpg $work/out.jpg"
      "$bin/vokexif to-camera $work/src11.jpg $work/out.jpg"
      "$bin/vokexif to-camera $work/src21.jpg $work/out.jpg --max 640x480")
theirs=("$djpeg_full $work/src21.jpg"
        "$djpeg_full $work/src11.jpg && $cjpeg_camera $work/d.ppm"
        "$djpeg_full $work/src21.jpg && $cjpeg_camera $work/small.bmp")
declare -a our_wall our_cpu their_wall their_cpu
# Rounds alternate between vokexif and libjpeg's programs, so that a change in the machine's
# speed meets both.
for ((r = 0; r < rounds; r++)); do
    for ((c = 0; c < ${#names[@]}; c++)); do
        read -r wall cpu < <(round "${ours[c]}")
        our_wall[c]+="$wall "
        our_cpu[c]+="$cpu "
        read -r wall cpu < <(round "${theirs[c]}")
        their_wall[c]+="$wall "
        their_cpu[c]+="$cpu "
    done
done

printf '%-46s %21s   %21s\n' "2048x1536 JPEG, ms per run" "wall: vokexif libjpeg" \
    "cpu: vokexif libjpeg"
for ((c = 0; c < ${#names[@]}; c++)); do
    ow=$(median <<< "${our_wall[c]}")
    tw=$(median <<< "${their_wall[c]}")
    oc=$(median <<< "${our_cpu[c]}")
    tc=$(median <<< "${their_cpu[c]}")
    printf '%-46s %7s %7s %5s   %7s %7s %5s\n' "${names[c]}" "$ow" "$tw" "$(ratio "$ow" "$tw")" \
        "$oc" "$tc" "$(ratio "$oc" "$tc")"
done
echo "(median of $rounds rounds of $runs runs; vokexif writes its file durably: flushed, then"
echo " renamed over the old one, whose copy is kept until the new one is in place)"
