#!/bin/sh
# Installs the Debian packages the build, the tests and the demo need, when missing, and
# the further packages named as arguments. The fonts of fonts-liberation2 and
# fonts-dejavu-core are built into the Linux binaries; the URW and Noto fonts give the
# tests the ordinary desktop fonts the panel must not depend on.
set -eu

packages="cmake ninja-build g++ pkg-config file binutils
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
    libgtest-dev libbenchmark-dev libfftw3-dev
    libfreetype-dev fonts-liberation2 fonts-dejavu-core libx11-dev libpng-dev
    libsndfile1-dev libebur128-dev lv2-dev lilv-utils sordi jalv jackd2
    xvfb xauth xdotool imagemagick x11-utils clang libclang-rt-14-dev clang-format git
    fonts-urw-base35 fonts-noto-core lintian dpkg-dev python3
    wine wine32:i386 wine64 $*"

# The 32-bit Windows plug-in is tested under 32-bit Wine, on kernels that run 32-bit programs.
# Elsewhere wine32 still installs (the maintainer scripts that start 32-bit tools tolerate
# their failure) and its tests report themselves skipped.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root (dpkg --add-architecture i386 is needed for 32-bit Wine)" >&2
        exit 1
    fi
    dpkg --add-architecture i386
fi

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root (or install these packages yourself):$missing" >&2
        exit 1
    fi
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi
