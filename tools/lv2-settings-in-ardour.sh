#!/bin/bash
# Checks in Ardour 7 that a setting changed only in the LV2 plug-in's editor is kept: the
# session is marked modified, Ardour asks before quitting, saves, and the reopened session
# gives the setting back to the plug-in.
#
#   tools/lv2-settings-in-ardour.sh [--plugin BUNDLE] [--keep]
#
#   --plugin  the bundle folder (default: build/lv2/VRN-07.lv2)
#   --keep    keep the work folder (it is kept anyway when the answer is not PASS)
#
# Run by hand as root on Debian 12 after a build: it installs Debian's ardour, xvfb, xdotool
# and imagemagick when missing, and starts an Xvfb of its own. The clicks go to places of
# Ardour 7.3's mixer window on a 1280x1024 screen at Ardour's default scale.
#
# Steps: ardour7-lua makes a session with VRN-07 on a stereo track
# (tools/ardour/lv2-settings-session.lua). Ardour opens it on the dummy backend; a
# double-click on the plug-in in the mixer strip opens its editor, and a click on the
# viewer's ENV/FFT switch changes viewer_mode, a setting that only the plug-in's saved state
# keeps. Ctrl+Q must then bring up Ardour's "Unsaved Session" question, which is answered
# with "Save and quit". Last, ardour7-lua reopens the session and saves it as the snapshot
# "reopened": the plug-in's state there must hold the spectrum (viewer_mode 0). Screenshots
# of each step go to the work folder.
#
# Exit status: 0 PASS, 1 FAIL, 2 the script could not run.
set -Eeu -o pipefail
trap 'exit 2' ERR

top=$(cd "$(dirname "$0")/.." && pwd)
session_script="$top/tools/ardour/lv2-settings-session.lua"
uri=urn:norvik:vrn07
plugin=""
keep=0
# Where the clicks go: the plug-in's entry in the strip's processor box, in the main window,
# and the ENV/FFT switch in the plug-in's panel (754 x 374).
strip_plugin=(324 219)
panel_size=754x374
viewer_switch=(434 36)
ardour_pid=""
xvfb_pid=""

usage() {
    sed -n '2,10s/^# \{0,1\}//p' "$0" >&2
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
plugin=$(cd "${plugin:-$top/build/lv2/VRN-07.lv2}" && pwd)
[ -f "$plugin/manifest.ttl" ] || { echo "No LV2 bundle at $plugin" >&2; exit 2; }
work=$(mktemp -d /tmp/vrn07-ardour-settings.XXXXXX)
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

# Ardour reads and writes only below the work folder. The configuration starts the dummy
# backend at once (tools/ardour/write-config.sh) and marks the first-run wizard as done.
prepare_ardour() {
    mkdir -p "$work/home" "$work/config/ardour7" "$work/cache" "$work/lv2"
    cp -r "$plugin" "$work/lv2/"
    touch "$work/config/ardour7/.a7"
    "$top/tools/ardour/write-config.sh" "$work/config/ardour7/config"
}

ardour_env() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
        LV2_PATH="$work/lv2" "$@"
}

run_lua() {
    ardour_env timeout 120 ardour7-lua "$session_script" "$@" >> "$work/lua.log" 2>&1
}

start_xvfb() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 3> "$work/display" 2> "$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$work/display")"
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

# The viewer_mode stored in the plug-in's state of a snapshot.
viewer_mode_of() {
    local snapshot="$session/$1.ardour" dir
    dir=$(sed -n 's/.*<lv2 .*state-dir="\([^"]*\)".*/\1/p' "$snapshot" | head -n 1)
    sed -n 's/.*#viewer_mode> "\([^"]*\)".*/\1/p' "$session"/plugins/*/"$dir"/state.ttl
}

change_setting_and_quit() {
    local main strip panel
    ardour_env ardour "$session/settings.ardour" > "$work/ardour.log" 2>&1 &
    ardour_pid=$!
    main=$(window_named "^settings - Ardour$" 60) || { echo "Ardour's window did not open"; return 2; }
    sleep 3
    xdotool windowfocus --sync "$main" key alt+m
    sleep 2
    xdotool mousemove --window "$main" "${strip_plugin[@]}" click --repeat 2 --delay 80 1
    window_named "VRN-07 .by .*LV2" 20 > /dev/null || { shot no-editor; echo "The editor did not open"; return 2; }
    sleep 2
    panel=$(panel_window) || { echo "No panel of $panel_size"; return 2; }
    shot before-click
    xdotool mousemove --window "$panel" "${viewer_switch[@]}" click 1
    sleep 2
    shot after-click
    echo "Ardour's title after the click: $(xdotool getwindowname "$main")"
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

echo "Host: $(ardour7-lua --version | head -n 1) (Debian $(dpkg-query -W -f='${Version}' ardour))"
prepare_ardour
run_lua create "$session" "$uri" || { cat "$work/lua.log"; exit 2; }
echo "viewer_mode in the new session: $(viewer_mode_of settings)"
start_xvfb
status=0
change_setting_and_quit || status=$?
[ "$status" -ne 2 ] || exit 2
run_lua reopen "$session" || { cat "$work/lua.log"; exit 2; }
reopened=$(viewer_mode_of reopened)
echo "viewer_mode in the reopened session: $reopened"
verdict=1
[ "$status" -eq 0 ] && [ "$reopened" = "0.0" ] && verdict=0
echo "$([ "$verdict" -eq 0 ] && echo PASS || echo FAIL)"
exit "$verdict"
