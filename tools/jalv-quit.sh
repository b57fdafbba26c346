#!/bin/bash
# Quits jalv.gtk3 with Ctrl+Q while it shows the LV2 editor, over and over, and counts the
# runs that did not end cleanly: an X error (jalv's GTK ends the process on any error of
# its own connection, such as BadWindow for a request to a window that is gone), another
# non-zero exit status, or no exit within 5 s. A metronome plays into the plug-in, so that
# the meters and the viewer move while the editor closes.
#
#   tools/jalv-quit.sh [--tries N] [--wait SECONDS] [--bundles LV2_FOLDER] [--keep]
#
#   --tries    runs of jalv (default 20)
#   --wait     seconds between the editor's appearance and Ctrl+Q (default 8)
#   --bundles  the folder holding VRN-07.lv2 (default build/lv2)
#   --keep     keep the work folder with jalv's output of every run
#
# Run by hand after a build, on Debian 12 with the packages of tools/setup-debian.sh; it
# runs a dummy JACK server and an Xvfb of its own. Exit status 0 when every run ended
# cleanly, 1 otherwise.
set -Eeu -o pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
tries=20
wait_seconds=8
bundles="$top/build/lv2"
keep=0
uri=urn:norvik:vrn07

usage() {
    sed -n '2,16s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

arguments=("$@")
while [ $# -gt 0 ]; do
    case "$1" in
    --tries) [ $# -ge 2 ] || usage; tries=$2; shift ;;
    --wait) [ $# -ge 2 ] || usage; wait_seconds=$2; shift ;;
    --bundles) [ $# -ge 2 ] || usage; bundles=$2; shift ;;
    --keep) keep=1 ;;
    *) usage ;;
    esac
    shift
done

if [ "${VRN07_UNDER_XVFB:-}" != 1 ]; then
    for tool in xvfb-run xdotool jackd jack_wait jack_metro jack_connect jalv.gtk3; do
        command -v "$tool" >/dev/null ||
            { echo "missing $tool (tools/setup-debian.sh installs it)"; exit 2; }
    done
    exec env VRN07_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "${arguments[@]}"
fi

[ -f "$bundles/VRN-07.lv2/manifest.ttl" ] || { echo "No VRN-07.lv2 in $bundles" >&2; exit 2; }
work=$(mktemp -d /tmp/vrn07-jalv-quit.XXXXXX)
export LV2_PATH
LV2_PATH=$(cd "$bundles" && pwd)
export JACK_DEFAULT_SERVER="vrn07-jalv-quit-$$"
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
jack_pid=""
jalv_pid=""
metro_pid=""

finish() {
    for pid in $jalv_pid $metro_pid $jack_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ "$keep" -eq 1 ]; then echo "Work folder kept: $work"; else rm -rf "$work"; fi
}
trap finish EXIT

# Waits up to 20 s for a command to succeed.
wait_for() {
    for _ in $(seq 1 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

editor_shown() { xwininfo -root -tree | grep -qE ' 754x3[0-9][0-9]\+'; }
jalv_window() { xdotool search --onlyvisible --name "^VRN-07$" | head -n 1; }

jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 > "$work/jackd.log" 2>&1 &
jack_pid=$!
jack_wait -w -t 20 > /dev/null 2>&1 || { echo "the JACK server did not start"; exit 2; }

failed=0
for try in $(seq 1 "$tries"); do
    log="$work/jalv-$try.log"
    jalv.gtk3 "$uri" > "$log" 2>&1 &
    jalv_pid=$!
    wait_for editor_shown || { echo "run $try: no editor"; cat "$log"; exit 2; }
    jack_metro -n "metro$try" -b 300 > /dev/null 2>&1 &
    metro_pid=$!
    wait_for jack_connect "metro$try:300_bpm" VRN-07:in_left || true
    sleep "$wait_seconds"
    window=$(jalv_window)
    xdotool windowfocus "$window" 2> /dev/null || true
    xdotool key ctrl+q
    status=timeout
    for _ in $(seq 1 50); do
        if ! kill -0 "$jalv_pid" 2> /dev/null; then
            status=0
            wait "$jalv_pid" || status=$?
            break
        fi
        sleep 0.1
    done
    if [ "$status" = timeout ]; then
        kill -KILL "$jalv_pid" 2> /dev/null || true
        wait "$jalv_pid" 2> /dev/null || true
    fi
    jalv_pid=""
    kill "$metro_pid" 2> /dev/null || true
    wait "$metro_pid" 2> /dev/null || true
    metro_pid=""
    if grep -q "X Window System error" "$log"; then
        result="X error: $(grep -o 'error_code [0-9]* request_code [0-9]*' "$log" | head -n 1)"
    elif [ "$status" != 0 ]; then
        result="exit status $status"
    else
        result=clean
    fi
    [ "$result" = clean ] || failed=$((failed + 1))
    echo "run $try: $result"
done
echo "$failed of $tries runs did not end cleanly"
[ "$failed" -eq 0 ]
