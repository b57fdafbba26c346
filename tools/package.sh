#!/bin/sh
# Builds the release packages into build/packages: the Debian package
# vrn07_VERSION_amd64.deb and the Windows zips VRN-07-VERSION-windows-x86.zip and
# VRN-07-VERSION-windows-x64.zip (the version is the CMake project's).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/setup-debian.sh"

build="$top/build"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVRN07_WINDOWS=ON -DVRN07_SANITIZE=
cmake --build "$build" -j "$(nproc)" --target packages
