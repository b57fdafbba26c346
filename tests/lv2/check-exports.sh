#!/bin/sh
# Checks that an LV2 library exports its one entry point and nothing else and, with
# "own-runtime", needs no C++ runtime library of the system (it links its own in).
# usage: check-exports.sh BINARY ENTRY [own-runtime]
set -eu
binary=$1
entry=$2
runtime=${3:-}
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$binary" ] || fail "$binary does not exist"
names=$(nm -D --defined-only "$binary" | awk '{print $3}' | tr '\n' ' ')
echo "exports: $names"
[ "$names" = "$entry " ] || fail "exports are '$names'"
[ "$runtime" = own-runtime ] || { echo "exports ok"; exit 0; }
needed=$(objdump -p "$binary" | awk '/NEEDED/{print $2}' | tr '\n' ' ')
echo "needs: $needed"
case " $needed" in
    *libstdc++*|*libgcc_s*) fail "depends on the system's C++ runtime" ;;
esac
echo "exports ok"
