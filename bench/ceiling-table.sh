#!/bin/sh
# The true peak that comes out of VRN-07's true-peak stage and out of x42-dpl (Debian's
# x42-plugins, its digital peak limiter in true-peak mode, through lv2file: lv2apply refuses its
# atom ports), both at -1 dBTP, on the stress signals at each rate, by three measures: a 16x
# band-limited interpolation (±64-tap Kaiser-windowed sinc), libebur128 and ffmpeg's ebur128
# filter. Needs lv2file, x42-plugins and ffmpeg. Run by hand:
#   bench/ceiling-table.sh [BUILD_DIR]
set -eu
for tool in lv2file ffmpeg; do
    command -v "$tool" >/dev/null || { echo "$0: needs $tool" >&2; exit 1; }
done
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
x42=http://gareus.org/oss/lv2/dpl#stereo

cmake --build "$build" --target vrn07-bench-ceiling >/dev/null
bench="$build/bench/vrn07-bench-ceiling"

# ffmpeg's largest true peak of any channel and frame, in dBTP.
ffmpeg_dbtp() {
    ffmpeg -nostdin -hide_banner -nostats -i "$1" \
        -af "ebur128=peak=true:metadata=1,ametadata=print:file=-" -f null - 2>/dev/null |
        awk -F= '/true_peaks_ch/ { if ($2 > m) m = $2 } END { printf "%.2f", 20 * log(m) / log(10) }'
}

printf '%-7s %-30s | %-20s | %-20s\n' "" "" "VRN-07 stage" "x42-dpl true peak"
printf '%-7s %-30s | %6s %6s %6s | %6s %6s %6s\n' rate signal 16x ebur ffmpeg 16x ebur ffmpeg
"$bench" "$work" | while read -r input; do
    base=${input%.wav}
    name=$(basename "$base")
    lv2file -p threshold:-1 -p truepeak:1 --ignore-clipping -i "$input" -o "$base.x42.wav" \
        "$x42" </dev/null >/dev/null 2>&1
    ours=$("$bench" --measure "$base.vrn07.wav")
    theirs=$("$bench" --measure "$base.x42.wav")
    printf '%-7s %-30s | %6s %6s %6s | %6s %6s %6s\n' "${name%%-*}" "${name#*-}" \
        ${ours} "$(ffmpeg_dbtp "$base.vrn07.wav")" ${theirs} "$(ffmpeg_dbtp "$base.x42.wav")"
done
