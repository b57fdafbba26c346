#!/bin/sh
# Runs a Windows program under Wine on a private X server, in the Wine prefix given.
# usage: run-under-wine.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# Paths in the arguments are Unix paths; they reach the program as Wine's Z: drive paths.
set -eu
export WINEPREFIX=$1
shift
program=$1
shift
export WINEDEBUG=-all
# Wine's first start in a new prefix takes a while and must not race with a test.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
arguments=""
for argument in "$@"; do
    case $argument in
        /*) argument="Z:$(echo "$argument" | tr / '\\\\')" ;;
    esac
    arguments="$arguments $argument"
done
status=0
# Twenty-four bits deep: the panel's bitmaps are copied without rounding.
# shellcheck disable=SC2086
xvfb-run -a -s "-screen 0 1280x1024x24" wine "$program" $arguments || status=$?
# The prefix's server outlives the program by a few seconds; the next test waits for it.
wineserver -w
exit $status
