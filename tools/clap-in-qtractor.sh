#!/bin/bash
# VRN-07.clap in Qtractor 0.9.31 as a user meets it, under an Xvfb of its own: a session with
# the plug-in on an audio track (latency compensation on) is opened, the plug-in's editor is
# opened from the track, a knob is dragged, the session is saved and opened again, and the
# saved settings, the parameters Qtractor offers for automation and the reopened editor are
# checked. Screenshots of each step go to the work folder; look at them.
#
#   tools/clap-in-qtractor.sh [--display N] [--keep]
#
#   --display  the X display for Xvfb (default 71)
#   --keep     keep the work folder (screenshots, sessions, Qtractor's output)
#
# Run by hand after a build (build/bin/linux-x86_64/VRN-07.clap) on Debian 12 with qtractor,
# jackd, xdotool and imagemagick installed. Qtractor's engine needs the ALSA sequencer
# (/dev/snd/seq) besides JACK (a dummy server is started here): without it the transport does
# not run, so no audio is played and no automation is recorded or played back; loading, the
# editor, parameters, the program choice and the session are what is tested then.
set -Eeu -o pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
display=71
keep=0
while [ $# -gt 0 ]; do
    case "$1" in
    --display) display=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) sed -n '2,13s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done

clap=$top/build/bin/linux-x86_64/VRN-07.clap
[ -f "$clap" ] || { echo "build $clap first" >&2; exit 1; }
for tool in qtractor jackd xdotool import Xvfb python3; do
    command -v $tool >/dev/null || { echo "needs $tool" >&2; exit 1; }
done

work=$(mktemp -d /tmp/clap-in-qtractor.XXXXXX)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ $keep = 1 ]; then echo "work folder: $work"; else rm -rf "$work"; fi
}
trap finish EXIT

# A private home: Qtractor's settings, and ~/.clap with the built plug-in and its manual.
export HOME=$work/home DISPLAY=:$display JACK_DEFAULT_SERVER=vrn07-clap-$display
export XDG_RUNTIME_DIR=$work/runtime JACK_NO_AUDIO_RESERVATION=1
mkdir -p "$HOME/.clap" "$XDG_RUNTIME_DIR" "$work/session"
chmod 700 "$XDG_RUNTIME_DIR"
ln -s "$clap" "$HOME/.clap/VRN-07.clap"
ln -s "$(dirname "$clap")/documents" "$HOME/.clap/documents"

Xvfb :$display -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 512 >"$work/jackd.log" 2>&1 &
pids+=($!)
sleep 2

session=$work/session/vrn07-clap.qtr
sed -e "s|@CLAP_FILE@|$HOME/.clap/VRN-07.clap|" -e "s|@SESSION_DIR@|$work/session|" \
    "$top/tools/qtractor/vrn07-clap-session.qtr" >"$session"

shot() { import -window root "$work/$1.png"; echo "screenshot $work/$1.png"; }

# The window whose title matches, once it shows.
window() {
    for _ in $(seq 300); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    echo "no window \"$1\"; there are:" >&2
    xdotool search --onlyvisible --name . getwindowname %@ >&2 || true
    return 1
}

# Moves the pointer to a point of Qtractor's main window, and does what follows there.
at() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    local x=$((X + $1)) y=$((Y + $2))
    shift 2
    xdotool mousemove $x $y "$@"
}

qtractor_pid=
start_qtractor() {
    (cd "$work/session" && exec qtractor "$session" >>"$work/qtractor.log" 2>&1) &
    qtractor_pid=$!
    pids+=($qtractor_pid)
    # The engine's error box (no ALSA sequencer) waits for its OK before the session opens.
    local error
    if error=$(window "^Error"); then
        eval "$(xdotool getwindowgeometry --shell "$error")"
        xdotool mousemove $((X + WIDTH - 52)) $((Y + HEIGHT - 24)) click 1
    fi
    main=$(window "vrn07-clap") || { shot failed-to-open; exit 1; }
    sleep 2
}

stop_qtractor() {
    kill "$qtractor_pid" 2>/dev/null || true
    wait "$qtractor_pid" 2>/dev/null || true
}

# Double-clicking the plug-in in the track's list opens its editor: the panel, 754x374.
open_editor() {
    at 188 182 click --repeat 2 1
    editor=$(window "VRN-07 - Track 1")
    xdotool windowmove --sync "$editor" 300 600
    sleep 1
    xdotool getwindowgeometry "$editor" | grep -q "Geometry: 754x374" ||
        { echo "the editor is not 754x374" >&2; exit 1; }
}

# The session's saved controls and the plug-in's saved state (Qtractor keeps it compressed).
saved_settings() {
    python3 - "$session" <<'EOF'
import base64, re, sys, zlib
text = open(sys.argv[1]).read()
for name, value in re.findall(r'<param name="([^"]+)" index="\d+">([^<]*)</param>', text):
    print(f"param {name} = {value}")
state = re.search(r'<config key="state">([^<]*)</config>', text)
if state:
    raw = base64.b64decode("".join(state.group(1).split()))
    print(zlib.decompress(raw[4:]).decode())
EOF
}

echo "== the session opens with the plug-in on its track"
start_qtractor
shot 1-session-opened
grep -i "vrn-07\|clap" "$work/qtractor.log" || true

echo "== its editor opens from the track; Limiter Gain is dragged up"
open_editor
shot 2-editor-opened
# The Limiter Gain knob, relative to the panel.
xdotool mousemove 596 827 mousedown 1
for y in 820 810 800 790 780 770; do xdotool mousemove 596 $y; sleep 0.1; done
xdotool mouseup 1
sleep 1
shot 3-knob-moved

echo "== the parameters Qtractor offers for automation (Track > Automation)"
at 60 150 click 1
at 95 9 click 1
sleep 1
at 130 421 click 1
sleep 1
at 382 423 click 1
sleep 1
at 530 577 click 1
sleep 1
shot 4-automation-menu
# Limiter Gain's curve becomes the track's automation lane.
at 665 879 click 1
sleep 1
shot 4-automation-lane

echo "== saved and opened again"
at 400 400 click 1
sleep 1
# File > Save.
at 18 9 click 1
sleep 1
shot 5-file-menu
at 47 113 click 1
sleep 3
stop_qtractor
saved_settings | tee "$work/saved.txt"
grep -q "param Limiter Gain = 18$" "$work/saved.txt" &&
    { echo "the drag did not reach the saved session" >&2; exit 1; }
grep -q "^VRN-07 settings 1" "$work/saved.txt" ||
    { echo "the plug-in's state was not saved" >&2; exit 1; }
start_qtractor
open_editor
shot 6-reopened
echo "compare the Limiter Gain of 3-knob-moved.png and 6-reopened.png"
stop_qtractor
echo "done"
