#!/bin/sh
# Checks that a Linux binary does not load fontconfig: its text comes from fonts built in,
# and a plug-in should bring no more libraries into the host's process than it needs.
# usage: check-libraries.sh BINARY
set -eu
binary=$1
[ -f "$binary" ] || { echo "FAIL: $binary does not exist" >&2; exit 1; }
libraries=$(ldd "$binary")
echo "$libraries"
if echo "$libraries" | grep -qi fontconfig; then
    echo "FAIL: $binary loads fontconfig" >&2
    exit 1
fi
echo "libraries ok"
