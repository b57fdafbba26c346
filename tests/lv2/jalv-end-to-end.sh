#!/bin/bash
# The LV2 edition in jalv (Debian's jalv.gtk3) on a dummy JACK server under its own Xvfb:
#  1. the editor appears embedded at 754x374 and its meters follow a metronome played into
#     the plug-in (instance access);
#  2. xdotool drags turn "Limiter Gain" and the true-peak ceiling's knob, and a click switches
#     the meter mode; jalv saves its state (File > Save), which holds the new port values and
#     the switched setting;
#  3. jalv started on that state shows the knobs and the switch where they were left;
#  4. presets picked from jalv's menu move the knobs to the values jalv prints;
#  5. jalv started on the SimpleMaximize preset prints its values.
# Screenshots of each step go to the output folder.
#
# Usage: jalv-end-to-end.sh LV2_FOLDER OUTPUT_FOLDER
# (LV2_FOLDER holds VRN-07.lv2.) Runs itself under xvfb-run -a when DISPLAY is not set
# by it.
set -Eeu -o pipefail

bundles=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
uri=urn:norvik:vrn07
if [ "${VRN07_UNDER_XVFB:-}" != 1 ]; then
    for tool in xvfb-run xdotool xwininfo import compare jackd jack_wait jack_metro jalv.gtk3 \
        stdbuf; do
        command -v "$tool" >/dev/null ||
            { echo "missing $tool (tools/setup-debian.sh installs it)"; exit 1; }
    done
    exec env VRN07_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d /tmp/vrn07-jalv.XXXXXX)
# One name for every run: a server that did not end cleanly leaves its entry in JACK's
# registry, and only a server of the same name takes the entry over.
export JACK_DEFAULT_SERVER=vrn07-jalv-test
export LV2_PATH="$bundles"
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
pids=()
jack_pid=""
status=1

fail() {
    echo "FAIL: $*"
    exit 1
}

# The clients first, then the server, each waited for: a server that ends cleanly leaves
# nothing behind in /dev/shm.
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    if [ -n "$jack_pid" ]; then
        kill "$jack_pid" 2>/dev/null || true
        wait "$jack_pid" 2>/dev/null || true
    fi
    [ "$status" -eq 0 ] && rm -rf "$work" || echo "work folder kept: $work"
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

start_jack() {
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 \
        >"$work/jackd.log" 2>&1 &
    jack_pid=$!
    jack_wait -w -t 20 >/dev/null 2>&1 || fail "the JACK server did not start"
}

# Starts jalv with its extra options; sets jalv_pid and the log, waits for the editor.
start_jalv() {
    log="$work/jalv-$1.log"
    shift
    # Line-buffered, so that what it prints can be read while it runs.
    (cd "$work" && exec stdbuf -oL jalv.gtk3 --print-controls "$@" "$uri") >"$log" 2>&1 &
    jalv_pid=$!
    pids+=("$jalv_pid")
    wait_for editor_window || { cat "$log"; fail "no editor window"; }
    # The first frames are drawn at the first idle calls, and jalv lays its window out.
    sleep 1.5
    editor_window || fail "the editor window went away"
}

stop_jalv() {
    kill "$jalv_pid" 2>/dev/null || true
    wait "$jalv_pid" 2>/dev/null || true
    sleep 0.5
}

# The editor's own window: a 754x374 window inside jalv's; sets editor_x and editor_y.
editor_window() {
    local line
    line=$(xwininfo -root -tree | grep -E ' 754x374\+' | tail -n 1) || return 1
    editor_x=$(echo "$line" | sed -E 's/.* 754x374\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1/')
    editor_y=$(echo "$line" | sed -E 's/.* 754x374\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\2/')
    [ -n "$editor_x" ] && [ -n "$editor_y" ]
}

jalv_window() {
    xdotool search --name "^VRN-07$" | head -n 1
}

shot() {
    import -window root "$out/$1.png"
}

# The region of a panel rectangle (x y w h in the editor) in a screenshot, as its own image.
region() {
    convert "$out/$1.png" -crop "$4x$5+$((editor_x + $2))+$((editor_y + $3))" +repage "$work/$6.png"
}

same_region() {
    [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true)" = 0 ]
}

# Clicks at a point of jalv's window (its menu bar), slowly enough for GTK.
click_jalv() {
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool click 1
    sleep 0.7
}

last_printed() {
    grep -E "^$1 = " "$log" | tail -n 1 | sed -E 's/.* = //'
}

# The panel's places: the "Limiter Gain" knob and its value, the meter mode switch, the
# output meter, the true-peak ceiling's knob.
knob="258 189 81 81"
knob_value="256 271 85 12"
meter_switch="624 174 26 36"
meter="590 54 100 43"
ceiling="456 236 33 33"

start_jack

echo "== the editor in jalv"
start_jalv first
echo "editor at +$editor_x+$editor_y, 754x374"
jack_metro -n metro -b 300 >/dev/null 2>&1 &
pids+=($!)
wait_for jack_connect metro:300_bpm VRN-07:in_left || fail "cannot play the metronome into jalv"
jack_connect metro:300_bpm VRN-07:in_right
shot 1-opened
region 1-opened $meter meter-first
moved=0
for try in $(seq 1 15); do
    sleep 0.2
    shot 1-playing
    region 1-playing $meter meter-now
    same_region meter-first meter-now || { moved=1; break; }
done
[ "$moved" = 1 ] || fail "the output meter does not follow the audio"
echo "the output meter follows the audio (instance access)"

# Drags upward from a point of the panel (x y).
drag_up() {
    local x=$((editor_x + $1)) y=$((editor_y + $2))
    xdotool mousemove "$x" "$y" mousedown 1
    for step in 1 2 3 4 5 6 7 8; do
        xdotool mousemove "$x" $((y - 5 * step))
        sleep 0.05
    done
    xdotool mouseup 1
    # The knob's drag loop polls the pointer: let it see the button up before the next press.
    sleep 0.5
}

echo "== drags and a click, saved by jalv"
region 1-opened $knob knob-before
region 1-opened $ceiling ceiling-before
read -r kx ky _ _ <<<"$knob"
drag_up $((kx + 40)) $((ky + 40))
read -r cx cy _ _ <<<"$ceiling"
drag_up $((cx + 16)) $((cy + 16))
read -r sx sy _ _ <<<"$meter_switch"
xdotool mousemove $((editor_x + sx + 13)) $((editor_y + sy + 18)) click 1
sleep 1
shot 2-dragged
region 2-dragged $knob knob-dragged
region 2-dragged $meter_switch switch-dragged
region 2-dragged $ceiling ceiling-dragged
region 1-opened $meter_switch switch-before
same_region knob-before knob-dragged && fail "the drag did not turn the knob"
same_region ceiling-before ceiling-dragged && fail "the drag did not turn the ceiling's knob"
same_region switch-before switch-dragged && fail "the click did not switch the meter mode"

# File > Save, into a new folder named in the dialog.
click_jalv 17 13
click_jalv 40 41
dialog=$(xdotool search --sync --name "Save" | head -n 1)
xdotool windowfocus "$dialog"
sleep 0.5
xdotool type --delay 20 "state"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
xdotool mousemove $((X + WIDTH - 45)) $((Y + HEIGHT - 22))
sleep 0.3
xdotool click 1
wait_for test -s "$work/state/state.ttl" || fail "jalv saved no state"
stop_jalv
limiter=$(grep -A1 '"limiter_gain"' "$work/state/state.ttl" | sed -n -E 's/.*pset:value (.*)/\1/p')
meter_mode=$(sed -n -E 's/.*#meter_mode> "([^"]*)".*/\1/p' "$work/state/state.ttl")
ceiling_db=$(grep -A1 '"true_peak_ceiling"' "$work/state/state.ttl" |
    sed -n -E 's/.*pset:value (.*)/\1/p')
echo "saved: limiter_gain = $limiter, meter_mode = $meter_mode, true_peak_ceiling = $ceiling_db"
awk -v v="$limiter" 'BEGIN { exit !(v > 3.0) }' || fail "the drag did not reach the port"
awk -v v="$ceiling_db" 'BEGIN { exit !(v >= -6.0) }' || fail "the ceiling is still off"
[ "$meter_mode" = 0.0 ] || fail "the switched setting was not saved"

echo "== jalv restores the state"
start_jalv restored -l "$work/state"
shot 3-restored
region 3-restored $knob knob-restored
region 3-restored $meter_switch switch-restored
same_region knob-dragged knob-restored || fail "the restored knob is not where it was left"
same_region switch-dragged switch-restored || fail "the restored switch is not as it was left"
region 3-restored $ceiling ceiling-restored
same_region ceiling-dragged ceiling-restored || fail "the restored ceiling is not where it was left"
[ "$(last_printed limiter_gain)" = "$(printf '%f' "$limiter")" ] ||
    fail "jalv did not print the restored value"

echo "== presets from jalv's menu"
for item in 0 1 2; do
    shot 4-before-$item
    region 4-before-$item $knob_value value-before
    before=$(last_printed limiter_gain)
    click_jalv 60 13
    # Presets, after "Save Preset..." and "Delete Current Preset...".
    click_jalv 110 $((100 + 28 * item))
    shot 4-preset-$item
    region 4-preset-$item $knob_value value-after
    after=$(last_printed limiter_gain)
    echo "preset item $item: limiter_gain $before -> $after"
    if [ "$before" != "$after" ]; then
        same_region value-before value-after && fail "jalv's change did not move the knob"
    fi
done
stop_jalv

echo "== jalv loads a preset of the bundle"
start_jalv preset -p "$uri#preset-SimpleMaximize"
shot 5-simple-maximize
for expected in "limiter_gain = 0.000000" "output_gain = 6.000000" "threshold_low = 18.000000"; do
    grep -q "^$expected" "$log" || fail "the preset did not set $expected"
done
stop_jalv

status=0
echo "PASS (screenshots in $out)"
