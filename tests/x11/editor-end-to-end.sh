#!/bin/sh
# The plug-in's editor in a real X window under its own Xvfb: the test host opens it, xdotool
# drags, clicks and turns the wheel, the host checks the automation it received and takes a
# screenshot of the screen.
# Usage: editor-end-to-end.sh <X11Host> <plug-in binary> <screenshot.png>
set -eu
host=$1
plugin=$2
screenshot=$3
for tool in xvfb-run xdotool import; do
    command -v "$tool" >/dev/null || { echo "missing $tool (tools/setup-debian.sh installs it)"; exit 1; }
done
rm -f "$screenshot"
xvfb-run -a -s "-screen 0 1024x768x24" "$host" "$plugin" "$screenshot"
test -s "$screenshot" || { echo "no screenshot at $screenshot"; exit 1; }
echo "screenshot: $screenshot"
