#!/usr/bin/env bash
# Times, in one run, what one process of `vokexif info` and of `vokexif kind` costs against one
# process of `exiv2` on the same camera JPEG: wall and processor time per process, and the peak
# resident memory of one process. Start-up dominates all three.
# Usage: bench/imagelib/startup_compare.sh [BIN_DIR] [RUNS]   (BIN_DIR holds vokexif and
# bench_imagelib; default build/bin. RUNS processes per round, default 200). Use a Release
# build.
set -euo pipefail
bin=${1:-build/bin}
runs=${2:-200}
rounds=5
for tool in "$bin/vokexif" "$bin/bench_imagelib"; do
    [ -x "$tool" ] || { echo "startup_compare.sh: $tool is missing; build vokexif and bench_imagelib" >&2; exit 2; }
done
command -v exiv2 >/dev/null || { echo "startup_compare.sh: exiv2 is not installed" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "startup_compare.sh: /usr/bin/time is not installed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/bench_imagelib" --make-folder "$work/img" 1
file=("$work"/img/*.jpg)
file=${file[0]}
cat "$file" > /dev/null

# One round: runs processes of the command, one after the other. Prints the wall and the
# processor (user + system) milliseconds per process.
round() {
    local out
    out=$( { /usr/bin/time -f '%e %U %S' bash -c \
        'n=$1; shift; for ((i = 0; i < n; i++)); do "$@" > /dev/null 2>&1; done' _ "$runs" "$@"; } \
        2>&1 > /dev/null | tail -n 1)
    awk -v n="$runs" '{ printf "%.3f %.3f\n", $1 * 1000 / n, ($2 + $3) * 1000 / n }' <<< "$out"
}

# The largest resident set of one process, in KiB, over three runs.
peak_kib() {
    local best=0
    for _ in 1 2 3; do
        /usr/bin/time -o "$work/peak" -f '%M' "$@" > /dev/null 2>&1 || true
        local kib
        kib=$(tail -n 1 "$work/peak")
        if [ "$kib" -gt "$best" ]; then best=$kib; fi
    done
    echo "$best"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

names=("vokexif info" "vokexif kind" "exiv2")
commands=("$bin/vokexif info $file" "$bin/vokexif kind $file" "exiv2 $file")
declare -a walls cpus
for ((c = 0; c < ${#commands[@]}; c++)); do walls[c]=""; cpus[c]=""; done
# Rounds alternate between the contenders, so that a change in the machine's speed meets all.
for ((r = 0; r < rounds; r++)); do
    for ((c = 0; c < ${#commands[@]}; c++)); do
        read -r wall cpu < <(round ${commands[c]})
        walls[c]+="$wall "
        cpus[c]+="$cpu "
    done
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-14s %12s %12s %12s\n' "per process" "wall ms" "cpu ms" "peak KiB"
declare -a wall_med cpu_med peak
for ((c = 0; c < ${#commands[@]}; c++)); do
    wall_med[c]=$(tr ' ' '\n' <<< "${walls[c]}" | grep . | median)
    cpu_med[c]=$(tr ' ' '\n' <<< "${cpus[c]}" | grep . | median)
    peak[c]=$(peak_kib ${commands[c]})
    printf '%-14s %12s %12s %12s\n' "${names[c]}" "${wall_med[c]}" "${cpu_med[c]}" "${peak[c]}"
done
echo "(median of $rounds rounds of $runs processes; the loop's own fork is in every figure)"
for c in 0 1; do
    printf '%-30s wall %s  cpu %s  peak %s\n' "ratio ${names[c]} / exiv2:" \
        "$(ratio "${wall_med[c]}" "${wall_med[2]}")" "$(ratio "${cpu_med[c]}" "${cpu_med[2]}")" \
        "$(ratio "${peak[c]}" "${peak[2]}")"
done
