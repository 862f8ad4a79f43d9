# Shared by the bench scripts that time our programs beside their peers in one run: sourced,
# not run. Timing is wall time of whole commands, best of several runs with a warm page cache.

# Exits with status 2 unless every named command is installed.
need_commands() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$(basename "$0"): $tool is not installed" >&2; exit 2; }
    done
}

# Best wall time of RUNS runs of the command, in microseconds; its output and failure ignored.
best_us() {
    local runs=$1 best="" start end us i
    shift
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s%N)
        "$@" > /dev/null 2>&1 || true
        end=$(date +%s%N)
        us=$(((end - start) / 1000))
        if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
    done
    echo "$best"
}

# The same in whole milliseconds, at least 1 so that it can divide.
best_ms() {
    local ms
    ms=$(($(best_us "$@") / 1000))
    [ "$ms" -gt 0 ] || ms=1
    echo "$ms"
}

# a / b with DIGITS decimals (default 2).
ratio() { awk -v a="$1" -v b="$2" -v d="${3:-2}" 'BEGIN { printf "%.*f", d, a / b }'; }

# A 2048 x 1536 picture at OUT, from PHOTO when given, else a photo-like one (fractal plasma:
# smooth regions and fine detail, slightly blurred); the options go to ImageMagick's convert.
make_photo() {
    local photo=$1 out=$2
    shift 2
    if [ -n "$photo" ]; then
        convert "$photo" -resize '2048x1536!' "$@" "$out"
    else
        convert -size 2048x1536 -seed 42 plasma:fractal -blur 0x1 "$@" "$out"
    fi
}
