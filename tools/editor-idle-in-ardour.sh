#!/bin/bash
# Measures what an open editor costs Ardour 7.3 while nothing happens (transport stopped, the
# viewer on FFT): Ardour's CPU time (all its threads, the editors' included) and the X
# server's, with pidstat over the same seconds, for Ardour without an open editor, with the
# VST 2.4 editor and with the LV2 editor, one Ardour run each, back to back. The machine's
# other load in those seconds is reported beside them: on a shared machine, compare numbers
# of one round only.
#
#   tools/editor-idle-in-ardour.sh [--seconds N] [--rounds N] [--view fft|env] [--keep]
#
#   --seconds  length of each measurement (default 30)
#   --rounds   how often the three runs are repeated (default 2)
#   --view     the viewer shown in the editors (default fft)
#   --keep     keep the work folder (screenshots of each run, Ardour's logs)
#
# Run by hand after a build (build/bin/linux-x86_64/VRN-07.so and build/lv2/VRN-07.lv2) as
# root on Debian 12: it installs Debian's ardour and sysstat when missing, and runs itself
# under an Xvfb of its own. Ardour gets a private configuration (dummy backend, the plug-in
# folders, the window of the editor to open with the session); the session is made by
# tools/ardour/editor-session.lua.
set -Eeu -o pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
seconds=30
rounds=2
view=fft
keep=0
lv2_uri=urn:norvik:vrn07
# The ENV/FFT switch of the panel, relative to the editor's window. The panel is 754x374; a
# host may make the editor's window taller (Ardour's LV2 windows do).
switch_x=442
switch_y=40
panel="754x3[0-9][0-9]"
viewer="20 10 400 180"

usage() {
    sed -n '2,14s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

arguments=("$@")
while [ $# -gt 0 ]; do
    case "$1" in
    --seconds) [ $# -ge 2 ] || usage; seconds=$2; shift ;;
    --rounds) [ $# -ge 2 ] || usage; rounds=$2; shift ;;
    --view) [ $# -ge 2 ] || usage; view=$2; shift ;;
    --keep) keep=1 ;;
    *) usage ;;
    esac
    shift
done

if [ "${VRN07_UNDER_XVFB:-}" != 1 ]; then
    "$top/tools/setup-debian.sh" ardour sysstat
    exec env VRN07_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "${arguments[@]}"
fi

plugin="$top/build/bin/linux-x86_64/VRN-07.so"
bundle="$top/build/lv2/VRN-07.lv2"
[ -f "$plugin" ] && [ -f "$bundle/manifest.ttl" ] || { echo "Build first (tools/demo.sh)" >&2; exit 2; }
work=$(mktemp -d /tmp/vrn07-idle.XXXXXX)
ardour_pid=""

finish() {
    local status=$?
    stop_ardour
    if [ "$keep" -eq 1 ] || [ "$status" -ne 0 ]; then
        echo "Work folder kept: $work"
    else
        rm -rf "$work"
    fi
}
trap finish EXIT

ardour_env() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
        LXVST_PATH="$work/vst" LV2_PATH="$work/lv2" NO_AT_BRIDGE=1 "$@"
}

# Copies of both editions, the VST plug-in indexed by Ardour's scanner, and the session.
prepare() {
    mkdir -p "$work/home" "$work/config/ardour7" "$work/cache" "$work/vst" "$work/lv2"
    cp "$plugin" "$work/vst/"
    # The scanner stamps its entry in whole seconds; Ardour ignores one older than the file.
    touch -d "2 seconds ago" "$work/vst/VRN-07.so"
    cp -r "$bundle" "$work/lv2/"
    # Ardour's first-run welcome is shown until this file exists.
    touch "$work/config/ardour7/.a7"
    "$top/tools/ardour/write-config.sh" "$work/config/ardour7/config" "$work/vst"
    local scanner
    scanner=$(dpkg -L ardour | grep '/ardour-vst-scanner$' | head -n 1)
    ardour_env env LD_LIBRARY_PATH="$(dirname "$scanner")" "$scanner" -f "$work/vst/VRN-07.so" \
        > "$work/scan.log" 2>&1 || { cat "$work/scan.log"; exit 2; }
    ardour_env timeout 120 ardour7-lua "$top/tools/ardour/editor-session.lua" \
        "$work/session" "$work/vst/VRN-07.so" "$lv2_uri" > "$work/session.log" 2>&1 ||
        { cat "$work/session.log"; exit 2; }
    cp "$work/session/editor.ardour" "$work/session/editor.ardour.made"
    window_vst=$(sed -n 's/^vrn07-window: VST //p' "$work/session.log")
    window_lv2=$(sed -n 's/^vrn07-window: LV2 //p' "$work/session.log")
}

# The session as made, with the window of the editor named (if any) open: Ardour reopens the
# plug-in windows that were open when the session was saved.
write_session() {
    local window=""
    [ -z "$1" ] || window="  <Extra><UI><Window name=\"$1\" visible=\"1\" x-off=\"0\" y-off=\"0\" x-size=\"754\" y-size=\"414\" custom-ui=\"1\"/></UI></Extra>"
    awk -v window="$window" '/^<\/Session>/ && window != "" { print window } { print }' \
        "$work/session/editor.ardour.made" > "$work/session/editor.ardour"
}

# Started without a function around it, so that $! is Ardour's own process.
start_ardour() {
    env HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" \
        LXVST_PATH="$work/vst" LV2_PATH="$work/lv2" NO_AT_BRIDGE=1 \
        ardour --no-announcements -n "$work/session/editor.ardour" > "$work/ardour-$1.log" 2>&1 &
    ardour_pid=$!
}

stop_ardour() {
    [ -n "$ardour_pid" ] || return 0
    kill "$ardour_pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$ardour_pid" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$ardour_pid" 2>/dev/null || true
    wait "$ardour_pid" 2>/dev/null || true
    ardour_pid=""
}

# Waits up to 60 s for a command to succeed.
wait_for() {
    for _ in $(seq 1 300); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

main_window() { xdotool search --onlyvisible --name " - Ardour$"; }

# The editor's own window, the innermost of the panel's size; sets editor_x and editor_y.
editor_window() {
    local line
    line=$(xwininfo -root -tree | grep -E " $panel\+" | tail -n 1) || return 1
    read -r editor_x editor_y < <(echo "$line" |
        sed -E "s/.* $panel\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2/")
    [ -n "$editor_x" ]
}

viewer_shot() {
    local x y w h
    read -r x y w h <<<"$viewer"
    import -window root -crop "${w}x${h}+$((editor_x + x))+$((editor_y + y))" "$work/$1.png"
}

# Ardour's and the X server's CPU time over the measurement, as pidstat reports them, and
# the rest of the machine's from /proc/stat. Prints "ardour xvfb others" in % of one core.
measure() {
    local xvfb before after
    xvfb=$(cat "/tmp/.X${DISPLAY#:}-lock" | tr -d ' ')
    before=$(awk '/^cpu /{print $2+$3+$4+$7+$8, $2+$3+$4+$5+$6+$7+$8}' /proc/stat)
    pidstat -p "$ardour_pid,$xvfb" "$seconds" 1 > "$work/pidstat.txt"
    after=$(awk '/^cpu /{print $2+$3+$4+$7+$8, $2+$3+$4+$5+$6+$7+$8}' /proc/stat)
    awk -v a="$ardour_pid" -v x="$xvfb" -v before="$before" -v after="$after" \
        -v cores="$(nproc)" '
        $1 == "Average:" && $3 == a { ardour = $8 }
        $1 == "Average:" && $3 == x { xvfb = $8 }
        END {
            split(before, b); split(after, e)
            busy = 100 * cores * (e[1] - b[1]) / (e[2] - b[2])
            printf "%6.1f %6.1f %6.1f\n", ardour, xvfb, busy - ardour - xvfb
        }' "$work/pidstat.txt"
}

# One Ardour run with the given editor open ("none", "vst" or "lv2"); prints its line.
run() {
    local edition=$1 window=""
    [ "$edition" = vst ] && window=$window_vst
    [ "$edition" = lv2 ] && window=$window_lv2
    write_session "$window"
    start_ardour "$edition-$2"
    wait_for main_window || { echo "Ardour did not start"; exit 2; }
    if [ "$edition" != none ]; then
        wait_for editor_window || { echo "the $edition editor did not open"; exit 2; }
        # Ardour places its window after the editor has opened in it.
        sleep 3
        editor_window
        viewer_shot "$edition-$2-before"
        [ "$view" = env ] || xdotool mousemove $((editor_x + switch_x)) $((editor_y + switch_y)) click 1
        xdotool mousemove 1270 1010
        sleep 2
        viewer_shot "$edition-$2-after"
        if [ "$view" = fft ] &&
            [ "$(compare -metric AE "$work/$edition-$2-before.png" "$work/$edition-$2-after.png" null: 2>&1 || true)" = 0 ]; then
            echo "the $edition editor did not switch to FFT"
            exit 2
        fi
    fi
    sleep 5
    printf "%-7s %5d %s\n" "$edition" "$2" "$(measure)"
    import -window root "$work/$edition-$2.png"
    stop_ardour
}

echo "Host: $(ardour7-lua --version | head -n 1), $(nproc) cores, view $view, ${seconds} s each"
prepare
echo "editor  round  Ardour   Xvfb  other processes  (% of one core)"
for round in $(seq 1 "$rounds"); do
    for edition in none vst lv2; do
        run "$edition" "$round"
    done
done
