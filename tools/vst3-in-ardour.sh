#!/bin/bash
# Checks the VST3 edition in Ardour 7's window, as a user would: the plug-in on a track of a
# new session, its editor opened from the mixer strip, a drag on the Limiter Gain knob while
# the transport rolls, recorded in the knob's automation lane, the session saved on quitting,
# and the reopened session giving the recorded lane back.
#
#   tools/vst3-in-ardour.sh [--plugin BUNDLE] [--keep]
#
#   --plugin  the bundle folder (default: build/vst3/VRN-07.vst3)
#   --keep    keep the work folder (it is kept anyway when the answer is not PASS)
#
# Run by hand as root on Debian 12 after a build: it installs Debian's ardour, xvfb, xdotool
# and imagemagick when missing, and starts an Xvfb on display :72 (VRN07_DISPLAY overrides
# the number). The clicks go to places of Ardour 7.3's mixer window on a 1280x1024 screen at
# Ardour's default scale. Screenshots of each step go to the work folder: look at them.
#
# Steps: ardour-vst3-scanner indexes a copy of the bundle; ardour7-lua makes a session with
# VRN-07 on a stereo track, the Limiter Gain lane in Touch (tools/ardour/vst3-session.lua),
# and prints the latency, the parameters and their lanes' events; Ardour opens the session
# on the dummy backend; a double-click on the plug-in in the mixer strip opens its editor;
# the transport rolls while the Limiter Gain knob is dragged up (the plug-in's begin, perform
# and end edits are Ardour's touch); Ctrl+Q must bring up Ardour's "Unsaved Session"
# question, answered with "Save and quit"; ardour7-lua reopens the session and prints it
# again: the Limiter Gain lane must hold more events than before.
#
# Exit status: 0 PASS, 1 FAIL, 2 the script could not run.
set -Eeu -o pipefail
trap 'exit 2' ERR

top=$(cd "$(dirname "$0")/.." && pwd)
session_script="$top/tools/ardour/vst3-session.lua"
uid=56524E3037A14C3D9E0B5F276C8D4B19
display=${VRN07_DISPLAY:-72}
plugin=""
keep=0
# Where the clicks go: the plug-in's entry in the strip's processor box, in the main window,
# and the Limiter Gain knob's centre in the plug-in's panel (754 x 374).
strip_plugin=(324 219)
panel_size=754x374
limiter_gain_knob=(288 219)
ardour_pid=""
xvfb_pid=""

usage() {
    sed -n '2,9s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
    --plugin) [ $# -ge 2 ] || usage; plugin="$2"; shift ;;
    --keep) keep=1 ;;
    *) usage ;;
    esac
    shift
done

"$top/tools/setup-debian.sh" ardour xvfb xdotool imagemagick > /dev/null
plugin=$(cd "${plugin:-$top/build/vst3/VRN-07.vst3}" && pwd)
module=Contents/x86_64-linux/VRN-07.so
[ -f "$plugin/$module" ] || { echo "No VST3 bundle at $plugin" >&2; exit 2; }
work=$(mktemp -d /tmp/vrn07-vst3-ardour.XXXXXX)
session="$work/session"
verdict=2

finish() {
    [ -z "$ardour_pid" ] || kill "$ardour_pid" 2> /dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2> /dev/null || true
    if [ "$keep" -eq 1 ] || [ "$verdict" -ne 0 ]; then
        echo "Work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap finish EXIT

ardour_env() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" "$@"
}

# Ardour reads and writes only below the work folder. The configuration starts the dummy
# backend at once (tools/ardour/write-config.sh), marks the first-run wizard as done and
# names the VST3 folder, whose bundle the scanner indexes.
prepare_ardour() {
    mkdir -p "$work/home" "$work/config/ardour7" "$work/cache" "$work/vst3"
    cp -r "$plugin" "$work/vst3/"
    # The scanner stamps its cache entry in whole seconds, and Ardour ignores an entry older
    # than the module: a copy made in the same second would look newer than its entry.
    touch -d "2 seconds ago" "$work/vst3/VRN-07.vst3/$module"
    touch "$work/config/ardour7/.a7"
    "$top/tools/ardour/write-config.sh" "$work/config/ardour7/config"
    sed -i "s|<Config>|<Config>\n    <Option name=\"plugin-path-vst3\" value=\"$work/vst3\"/>|" \
        "$work/config/ardour7/config"
    local scanner
    scanner=$(dpkg -L ardour | grep '/ardour-vst3-scanner$' | head -n 1)
    ardour_env env LD_LIBRARY_PATH="$(dirname "$scanner")" "$scanner" -f \
        "$work/vst3/VRN-07.vst3" > "$work/scan.log" 2>&1 || { cat "$work/scan.log"; exit 2; }
}

run_lua() {
    ardour_env timeout 120 ardour7-lua "$session_script" "$@" > "$work/lua-$1.log" 2>&1 ||
        { cat "$work/lua-$1.log"; return 1; }
    sed -n 's/^vrn07: /  /p' "$work/lua-$1.log"
}

start_xvfb() {
    Xvfb ":$display" -screen 0 1280x1024x24 2> "$work/xvfb.log" &
    xvfb_pid=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
        xdpyinfo > /dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb :$display did not start (in use?)"
    exit 2
}

shot() {
    import -window root "$work/$1.png"
}

# Waits up to SECONDS for a visible window whose name matches; prints its id.
window_named() {
    local name=$1 seconds=$2
    for _ in $(seq $((seconds * 4))); do
        local id
        id=$(xdotool search --onlyvisible --name "$name" 2> /dev/null | head -n 1 || true)
        [ -z "$id" ] || { echo "$id"; return 0; }
        sleep 0.25
    done
    return 1
}

panel_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "" 2> /dev/null); do
        if xdotool getwindowgeometry "$id" | grep -q "Geometry: $panel_size"; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

drag_knob_and_quit() {
    local main panel
    ardour_env ardour "$session/vst3.ardour" > "$work/ardour.log" 2>&1 &
    ardour_pid=$!
    main=$(window_named "^vst3 - Ardour$" 60) || { echo "Ardour's window did not open"; return 2; }
    sleep 3
    xdotool windowfocus --sync "$main" key alt+m
    sleep 2
    shot mixer
    xdotool mousemove --window "$main" "${strip_plugin[@]}" click --repeat 2 --delay 80 1
    sleep 3
    panel=$(panel_window) || { shot no-editor; echo "The editor did not open"; return 2; }
    echo "Editor window: $(xdotool getwindowname "$(xdotool search --onlyvisible --name "VRN-07" | head -n 1)")"
    shot editor
    # The transport rolls while the knob moves: the Limiter Gain lane (in Touch) records it.
    xdotool windowfocus --sync "$main" key space
    sleep 1
    xdotool mousemove --window "$panel" "${limiter_gain_knob[@]}" mousedown 1
    for step in $(seq 1 12); do
        xdotool mousemove --window "$panel" "${limiter_gain_knob[0]}" \
            $((limiter_gain_knob[1] - 5 * step))
        sleep 0.05
    done
    xdotool mouseup 1
    sleep 1
    xdotool windowfocus --sync "$main" key space
    sleep 2
    shot after-drag
    xdotool windowfocus --sync "$main" key ctrl+q
    local question=""
    if question=$(window_named "^Unsaved Session$" 10); then
        echo "Ctrl+Q: Ardour asks to save the modified session; answering \"Save and quit\""
        shot question
        xdotool windowfocus --sync "$question" key Return
    else
        echo "Ctrl+Q: Ardour quits without asking: the session was not marked modified"
    fi
    for _ in $(seq 120); do
        kill -0 "$ardour_pid" 2> /dev/null || break
        sleep 0.25
    done
    if kill -0 "$ardour_pid" 2> /dev/null; then
        echo "Ardour did not quit"
        return 2
    fi
    ardour_pid=""
    [ -n "$question" ] || return 1
}

lane_events_of() {
    sed -n 's/^vrn07: parameter Limiter Gain = .*, \([0-9]*\) automation events/\1/p' \
        "$work/lua-$1.log"
}

echo "Host: $(ardour7-lua --version | head -n 1) (Debian $(dpkg-query -W -f='${Version}' ardour))"
prepare_ardour
echo "New session:"
run_lua create "$session" "$uid" || exit 2
start_xvfb
status=0
drag_knob_and_quit || status=$?
[ "$status" -ne 2 ] || exit 2
echo "Reopened session:"
run_lua reopen "$session" || exit 2
verdict=1
[ "$status" -eq 0 ] && [ "$(lane_events_of reopen)" -gt "$(lane_events_of create)" ] && verdict=0
echo "$([ "$verdict" -eq 0 ] && echo PASS || echo FAIL)"
exit "$verdict"
