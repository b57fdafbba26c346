#!/bin/bash
# Renders an audio file through the built VRN-07.so inside Ardour 7 and compares Ardour's
# export with vrn07-render's output of the same file and settings.
#
#   tools/render-in-ardour.sh [IN] [--program N|NAME] [--set "Name=value"]... \
#                             [--plugin PATH] [--lv2|--vst3 [--ceiling DBTP]] [--keep]
#
#   IN        audio file, mono or stereo (default: the demo input of vrn07-render --demo)
#   --program, --set
#             passed to vrn07-render as they are, and given to the plug-in in Ardour: the
#             program through Ardour's preset of that program number, each setting as the
#             normalised parameter value vrn07-render sends for it
#   --plugin  the plug-in binary (default: build/bin/linux-x86_64/VRN-07.so)
#   --lv2     the LV2 bundle instead (--plugin names it; default build/lv2/VRN-07.lv2): the
#             program through the bundle's preset, each setting as its real value
#   --vst3    the VST3 bundle instead (--plugin names it; default build/vst3/VRN-07.vst3): the
#             program through Ardour's preset of that name (the bundle's program list), each
#             setting as its real value; with --ceiling DBTP also the true-peak ceiling
#             (vrn07-render --ceiling), whose look-ahead Ardour compensates as it is reported
#   --keep    keep the work folder (it is kept anyway when Ardour fails or the answer is FAIL)
#
# Run by hand as root on Debian 12 after a build: it installs Debian's ardour,
# python3-numpy and python3-soundfile when missing. Ardour 7.3's exporter corrupts its heap
# now and then (about one Ardour run in five here, with or without VRN-07 loaded), which is
# why this is not part of .ci/run and why the Ardour part is tried up to 4 times.
#
# Steps: vrn07-render writes the reference (raw, as an uncompensated host records; with
# --lv2 aligned with the input, as Ardour compensates the delay the LV2 plug-in reports);
# Ardour gets a private configuration that shows the dummy backend and looks for Linux VST
# plug-ins in a folder holding a copy of the plug-in, which ardour-vst-scanner indexes (LV2
# plug-ins in a folder holding a copy of the bundle, through LV2_PATH); ardour7-lua
# then records a take on a stereo track of a new session at the input's rate
# (tools/ardour/record-take.lua), the take's files are replaced with the input's channels,
# and a second run of ardour7-lua exports the session twice as float WAV
# (tools/ardour/render-session.lua): once without plug-in, to show that the track passes the
# input unchanged, and once with VRN-07 on the track. A try counts when both runs end
# cleanly and both exports have the input's length. Last, the exports are compared sample by
# sample with the input and with the reference (tools/ardour/compare-renders.py).
#
# Exit status: 0 PASS, 1 FAIL, 2 Ardour failed 4 times or the script could not run.
set -Eeu -o pipefail
# Anything that fails unexpectedly means the script could not run.
trap 'exit 2' ERR

top=$(cd "$(dirname "$0")/.." && pwd)
helpers="$top/tools/ardour"
renderer="$top/build/bin/vrn07-render"
python=/usr/bin/python3
block_frames=512
max_tries=4

input=""
plugin=""
lv2=0
lv2_uri=urn:norvik:vrn07
vst3=0
# The VST3 class id, as Ardour names the plug-in.
vst3_uid=56524E3037A14C3D9E0B5F276C8D4B19
render_options=()
settings=()
keep=0
keep_on_failure=0

usage() {
    sed -n '2,19s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

parse_arguments() {
    while [ $# -gt 0 ]; do
        case "$1" in
        --program) [ $# -ge 2 ] || usage; render_options+=(--program "$2"); shift ;;
        --set) [ $# -ge 2 ] || usage; render_options+=(--set "$2"); settings+=("$2"); shift ;;
        --plugin) [ $# -ge 2 ] || usage; plugin="$2"; shift ;;
        --lv2) lv2=1 ;;
        --vst3) vst3=1 ;;
        --ceiling) [ $# -ge 2 ] || usage; render_options+=(--ceiling "$2")
                   settings+=("True Peak Ceiling=$2"); shift ;;
        --keep) keep=1 ;;
        --help | -h | -*) usage ;;
        *) [ -z "$input" ] || usage; input="$1" ;;
        esac
        shift
    done
}

seconds_now() { date +%s.%N; }
seconds_since() { awk -v start="$1" -v now="$(seconds_now)" 'BEGIN { printf "%.1f", now - start }'; }

frames_of() {
    "$python" -c 'import sys, soundfile; print(soundfile.info(sys.argv[1]).frames)' "$1" \
        2>/dev/null || echo 0
}

rate_of() {
    "$python" -c 'import sys, soundfile; print(soundfile.info(sys.argv[1]).samplerate)' "$1"
}

# The export format the preset names: Ardour's own 32-bit float format (float WAV at the
# session rate, no dither, no normalisation, no silence trimming), as plain WAV without the
# broadcast chunk, under the id of tools/ardour/export/vrn07-float.preset.
write_export_format() {
    sed -e 's/name="BWAV 32float Export" id="[^"]*"/name="VRN-07 float WAV" id="00a36240-be3f-40b3-9276-a917fa251ff1"/' \
        -e 's/name="BWF"/name="WAV"/' \
        -e 's/"broadcast-info" value="true"/"broadcast-info" value="false"/' \
        "/usr/share/ardour7/export/BWAV 32float Export.format" > "$1"
    grep -q 'id="00a36240-be3f-40b3-9276-a917fa251ff1"' "$1"
}

# Ardour reads and writes only below the work folder: configuration, plug-in cache, export
# presets. The configuration shows the dummy backend and names the plug-in folder.
prepare_ardour() {
    mkdir -p "$work/home" "$work/config/ardour7/export" "$work/cache" "$work/vst" "$work/lv2" \
        "$work/vst3"
    if [ "$lv2" -eq 1 ]; then
        cp -r "$plugin" "$work/lv2/"
    elif [ "$vst3" -eq 1 ]; then
        cp -r "$plugin" "$work/vst3/"
        touch -d "2 seconds ago" "$work/vst3/$(basename "$plugin")/Contents/x86_64-linux/VRN-07.so"
    else
        cp "$plugin" "$work/vst/"
    fi
    # The scanner stamps its cache entry in whole seconds, and Ardour ignores an entry older
    # than the plug-in file: a copy made in the same second would look newer than its entry.
    touch -d "2 seconds ago" "$work/vst/$(basename "$plugin")"
    cp "$helpers"/export/* "$work/config/ardour7/export/"
    write_export_format "$work/config/ardour7/export/vrn07-float.format"
    cat > "$work/config/ardour7/config" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="hide-dummy-backend" value="0"/>
    <Option name="plugin-path-lxvst" value="$work/vst"/>
    <Option name="plugin-path-vst3" value="$work/vst3"/>
  </Config>
</Ardour>
EOF
    [ "$lv2" -eq 0 ] || return 0
    local scanner scanned="$work/vst/$(basename "$plugin")"
    scanner=$(dpkg -L ardour | grep '/ardour-vst-scanner$' | head -n 1)
    if [ "$vst3" -eq 1 ]; then
        scanner=$(dpkg -L ardour | grep '/ardour-vst3-scanner$' | head -n 1)
        scanned="$work/vst3/$(basename "$plugin")"
    fi
    if ! ardour_env env LD_LIBRARY_PATH="$(dirname "$scanner")" "$scanner" -f \
        "$scanned" > "$work/scan.log" 2>&1; then
        cat "$work/scan.log" >&2
        echo "ardour-vst-scanner cannot index $plugin" >&2
        exit 2
    fi
}

ardour_env() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
        LXVST_PATH="$work/vst" LV2_PATH="$work/lv2" "$@"
}

# Writes the demo input when no input is given, then the reference render. Sets input and
# program (the program number vrn07-render chose, also for a program given by name).
render_reference() {
    if [ -z "$input" ]; then
        mkdir -p "$work/demo"
        "$renderer" --demo "$work/demo" > /dev/null
        input="$work/demo/demo-in.wav"
    fi
    # --raw: Ardour does not know the VST plug-in's unreported delay, so its export is
    # delayed and cut to the input's length, as the raw render is. The LV2 plug-in reports
    # it, and Ardour's export is aligned with the input, as the default render is.
    local timing=(--raw --plugin "$plugin")
    [ "$lv2" -eq 0 ] && [ "$vst3" -eq 0 ] || timing=()
    "$renderer" "$input" "$work/reference.wav" "${timing[@]}" \
        --block "$block_frames" "${render_options[@]}" > "$work/reference.txt" || exit 2
    cat "$work/reference.txt"
    program=$(sed -n 's/^program *\([0-9]*\) .*/\1/p' "$work/reference.txt")
    local name
    name=$(sed -n 's/^program *[0-9]* "\([^"]*\)".*/\1/p' "$work/reference.txt")
    if [ "$lv2" -eq 1 ]; then
        program="$lv2_uri#preset-$name"
    elif [ "$vst3" -eq 1 ]; then
        program=$name
    fi
}

# Runs one Lua script in ardour7-lua within the time limit, its output added to the log.
run_lua() {
    local log=$1 step=$2 status=0
    shift 2
    ardour_env timeout "$limit" ardour7-lua "$@" >> "$log" 2>&1 || status=$?
    [ "$status" -ne 0 ] || return 0
    if [ "$status" -eq 124 ]; then
        echo "vrn07-exit: $step timed out after $limit s" >> "$log"
    elif [ "$status" -gt 128 ]; then
        echo "vrn07-exit: $step killed by SIG$(kill -l $((status - 128)))" >> "$log"
    else
        echo "vrn07-exit: $step exited with status $status" >> "$log"
    fi
    return 1
}

# One whole Ardour run in a fresh session folder; answers whether both exports exist with
# the input's length.
ardour_try() {
    local session="$work/session-$1" log="$work/ardour-$1.log" takes
    run_lua "$log" "recording the take" "$helpers/record-take.lua" "$session" "$rate" \
        "$frames" "$block_frames" || return 1
    grep -q '^vrn07: take recorded' "$log" || return 1
    mapfile -t takes < <(sed -n 's/^vrn07-take: [0-9]* //p' "$log")
    [ "${#takes[@]}" -eq 2 ] || return 1
    rm -rf "$session/peaks"
    "$python" "$helpers/replace-take.py" "$input" "${takes[@]}" >> "$log" 2>&1 || return 1
    run_lua "$log" "the exports" "$helpers/render-session.lua" "$session" "$frames" \
        "$block_frames" "$plugin_in_ardour" "$program" "${normalized[@]}" ||
        return 1
    grep -q '^vrn07: exported' "$log" &&
        [ "$(frames_of "$session/export/through.wav")" -eq "$frames" ] &&
        [ "$(frames_of "$session/export/vrn07.wav")" -eq "$frames" ]
}

describe_failure() {
    local log="$work/ardour-$1.log" reason
    reason=$(sed -n 's/^vrn07-\(error\|exit\): //p' "$log" | tr '\n' ' ')
    echo "${reason:-an export is missing or has the wrong length}"
}

run_ardour() {
    local try started
    for try in $(seq 1 "$max_tries"); do
        started=$(seconds_now)
        if ardour_try "$try"; then
            echo "Ardour try $try: both exports have $frames frames ($(seconds_since "$started") s)"
            grep '^vrn07: ' "$work/ardour-$try.log" | sed 's/^vrn07: /  /'
            exports="$work/session-$try/export"
            return 0
        fi
        echo "Ardour try $try failed after $(seconds_since "$started") s: $(describe_failure "$try")"
    done
    return 1
}

finish() {
    local status=$?
    if [ "$keep" -eq 1 ] || { [ "$status" -ne 0 ] && [ "$keep_on_failure" -eq 1 ]; }; then
        echo "Work folder kept: $work"
    else
        rm -rf "$work"
    fi
}

parse_arguments "$@"
"$top/tools/setup-debian.sh" ardour python3-numpy python3-soundfile
[ -x "$renderer" ] || { echo "No $renderer: build first (tools/demo.sh)" >&2; exit 2; }
if [ "$lv2" -eq 1 ]; then
    plugin=${plugin:-$top/build/lv2/VRN-07.lv2}
    [ -f "$plugin/manifest.ttl" ] || { echo "No LV2 bundle at $plugin" >&2; exit 2; }
    plugin=$(cd "$plugin" && pwd)
elif [ "$vst3" -eq 1 ]; then
    plugin=${plugin:-$top/build/vst3/VRN-07.vst3}
    [ -f "$plugin/Contents/x86_64-linux/VRN-07.so" ] || { echo "No VST3 bundle at $plugin" >&2; exit 2; }
    plugin=$(cd "$plugin" && pwd)
else
    plugin=${plugin:-$top/build/bin/linux-x86_64/VRN-07.so}
    [ -f "$plugin" ] || { echo "No plug-in at $plugin" >&2; exit 2; }
    plugin=$(cd "$(dirname "$plugin")" && pwd)/$(basename "$plugin")
fi
work=$(mktemp -d /tmp/vrn07-ardour.XXXXXX)
plugin_in_ardour="$work/vst/$(basename "$plugin")"
[ "$lv2" -eq 0 ] || plugin_in_ardour=$lv2_uri
[ "$vst3" -eq 0 ] || plugin_in_ardour=VST3:$vst3_uid
trap finish EXIT
started=$(seconds_now)

echo "Host: $(ardour7-lua --version | head -n 1) (Debian $(dpkg-query -W -f='${Version}' ardour))"
render_reference || exit 2
frames=$(frames_of "$input")
rate=$(rate_of "$input")
if [ "$lv2" -eq 1 ] || [ "$vst3" -eq 1 ]; then
    normalized=("${settings[@]}")
else
    mapfile -t normalized < <("$python" "$helpers/normalized-settings.py" \
        "$top/engine/ControlTable.cpp" "${settings[@]}")
fi
limit=$((120 + 2 * frames / rate))
keep_on_failure=1
echo
prepare_ardour
run_ardour || { echo "Ardour failed $max_tries times"; exit 2; }

echo
verdict=0
"$python" "$helpers/compare-renders.py" "$input" "$exports/through.wav" \
    "track without plug-in against the input" || verdict=1
"$python" "$helpers/compare-renders.py" "$work/reference.wav" "$exports/vrn07.wav" \
    "Ardour against vrn07-render" || verdict=1
echo
echo "$([ "$verdict" -eq 0 ] && echo PASS || echo FAIL) in $(seconds_since "$started") s"
exit "$verdict"
