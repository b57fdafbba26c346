#!/bin/sh
# Checks that an LV2 library exports its one entry point and nothing else; with
# "own-runtime", that it needs no C++ runtime library of the system (it links its own in);
# with "audio-only", that it needs no window system or font library (no editor code).
# usage: check-exports.sh BINARY ENTRY [own-runtime] [audio-only]
set -eu
binary=$1
entry=$2
shift 2
runtime=no
audio_only=no
for option in "$@"; do
    case $option in
    own-runtime) runtime=yes ;;
    audio-only) audio_only=yes ;;
    '') ;;
    *) echo "unknown option $option" >&2; exit 2 ;;
    esac
done
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$binary" ] || fail "$binary does not exist"
names=$(nm -D --defined-only "$binary" | awk '{print $3}' | tr '\n' ' ')
echo "exports: $names"
[ "$names" = "$entry " ] || fail "exports are '$names'"
needed=$(objdump -p "$binary" | awk '/NEEDED/{print $2}' | tr '\n' ' ')
echo "needs: $needed"
case " $needed" in
    *libstdc++*|*libgcc_s*) [ "$runtime" = no ] || fail "depends on the system's C++ runtime" ;;
esac
case " $needed" in
    *libX11*|*libfreetype*|*libxcb*) [ "$audio_only" = no ] || fail "links the editor's libraries" ;;
esac
echo "exports ok"
