#!/bin/sh
# Builds everything, shows what was built and renders the demo: a built-in test signal
# through the plug-in, the processed WAV, a loudness report and a picture of the editor in
# each of its two viewers.
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
echo "  $build/bin/vrn07-render"
echo "    the offline host: renders audio files through the plug-in"

echo
echo "Demo:"
mkdir -p "$build/demo"
"$build/bin/vrn07-render" --demo "$build/demo" \
    --snapshot "$build/demo/editor-waveform.png" --view waveform
"$build/bin/vrn07-render" --demo "$build/demo" \
    --snapshot "$build/demo/editor-spectrum.png" --view spectrum > /dev/null
echo
echo "Editor snapshots: $build/demo/editor-waveform.png, $build/demo/editor-spectrum.png"
