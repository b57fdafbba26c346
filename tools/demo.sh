#!/bin/sh
# Builds the plug-in for Linux and Windows and shows what was built.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"

build="$top/build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$(nproc)"

echo
echo "Built:"
for binary in "$build"/bin/*/VRN-07.*; do
    echo "  $binary"
    echo "    $(file -b "$binary")"
done
