#!/bin/sh
# Runs a Windows program under Wine on a private X server, each architecture with its own
# loader and its own prefix: x86 programs under the 32-bit loader in a win32 prefix, x64
# programs under the 64-bit loader in a win64 prefix. (Debian's /usr/bin/wine always starts
# the 32-bit loader first, which fails on kernels that cannot run 32-bit programs.)
# usage: run-under-wine.sh PREFIX x86|x64 PROGRAM.exe [ARGUMENTS...]
#        run-under-wine.sh --probe x86|x64
# Paths in the arguments are Unix paths; they reach the program as Wine's Z: drive paths.
# --probe exits 0 when this machine can start the architecture's loader, and otherwise prints
# why not and exits 1.
set -eu

select_loader() {
    case $1 in
        x86) loader=/usr/lib/wine/wine server=/usr/lib/wine/wineserver32 WINEARCH=win32 ;;
        x64) loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64 WINEARCH=win64 ;;
        *) echo "unknown architecture $1 (x86 or x64)" >&2 && exit 2 ;;
    esac
    export WINEARCH WINESERVER="$server" WINELOADER="$loader"
}

# Starting the loader is the test: a kernel without 32-bit support answers "Exec format
# error" for the x86 one.
probe() {
    if complaint=$("$loader" --version 2>&1); then
        return 0
    fi
    case $complaint in
        *"Exec format error"*) echo "this kernel cannot run 32-bit programs ($complaint)" ;;
        *) echo "$loader does not start here (${complaint:-no message})" ;;
    esac
    return 1
}

if [ "$1" = --probe ]; then
    select_loader "$2"
    probe
    exit
fi

export WINEPREFIX=$1
select_loader "$2"
program=$3
shift 3
export WINEDEBUG=-all
# Wine's first start in a new prefix takes a while and must not race with a test.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    xvfb-run -a "$loader" wineboot -i >/dev/null 2>&1 || true
    "$server" -w
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
xvfb-run -a -s "-screen 0 1280x1024x24" "$loader" "$program" $arguments || status=$?
# The prefix's server outlives the program by a few seconds; the next test waits for it.
"$server" -w
exit $status
