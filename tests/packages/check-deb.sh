#!/bin/sh
# Checks the Debian package the build target "packages" wrote.
# usage: check-deb.sh lintian|contents|installed DEB VERSION [PLUGIN-CHECK]
#   lintian    lintian finds neither errors nor warnings
#   contents   the package holds exactly the product's files, under the version given
#   installed  unpacked into an empty root, the plug-in loads, processes and finds its
#              manual (PLUGIN-CHECK), vrn07-render renders through it, and lv2apply
#              through the LV2 bundle
set -eu
mode=$1
deb=$2
version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "$deb does not exist (build the target packages)"

case $mode in
lintian)
    lintian --fail-on error,warning --info "$deb" 2>&1 || fail "lintian"
    ;;
contents)
    [ "$(basename "$deb")" = "vrn07_${version}_amd64.deb" ] || fail "named $(basename "$deb")"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
    dpkg-deb -f "$deb" Depends | grep -q libfreetype6 || fail "no computed dependencies"
    if dpkg-deb -f "$deb" Depends | grep -q fontconfig; then fail "depends on fontconfig"; fi
    found=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||; s|/$||' | grep . | LC_ALL=C sort)
    expected=$(LC_ALL=C sort <<LIST
usr
usr/bin
usr/bin/vrn07-render
usr/lib
usr/lib/clap
usr/lib/clap/VRN-07.clap
usr/lib/clap/VRN-07
usr/lib/clap/VRN-07/documents
usr/lib/clap/VRN-07/documents/index.htm
usr/lib/clap/VRN-07/documents/licences
usr/lib/clap/VRN-07/documents/licences/DejaVuSans.txt
usr/lib/clap/VRN-07/documents/licences/LiberationSans.txt
usr/lib/clap/VRN-07/documents/licences/VRN-07.txt
usr/lib/lv2
usr/lib/lv2/VRN-07.lv2
usr/lib/lv2/VRN-07.lv2/VRN-07-ui.so
usr/lib/lv2/VRN-07.lv2/VRN-07.so
usr/lib/lv2/VRN-07.lv2/VRN-07.ttl
usr/lib/lv2/VRN-07.lv2/documents
usr/lib/lv2/VRN-07.lv2/documents/index.htm
usr/lib/lv2/VRN-07.lv2/documents/licences
usr/lib/lv2/VRN-07.lv2/documents/licences/DejaVuSans.txt
usr/lib/lv2/VRN-07.lv2/documents/licences/LiberationSans.txt
usr/lib/lv2/VRN-07.lv2/documents/licences/VRN-07.txt
usr/lib/lv2/VRN-07.lv2/manifest.ttl
usr/lib/lv2/VRN-07.lv2/presets.ttl
usr/lib/vst
usr/lib/vst/VRN-07
usr/lib/vst/VRN-07/VRN-07.so
usr/lib/vst/VRN-07/documents
usr/lib/vst/VRN-07/documents/index.htm
usr/lib/vst/VRN-07/documents/licences
usr/lib/vst/VRN-07/documents/licences/DejaVuSans.txt
usr/lib/vst/VRN-07/documents/licences/LiberationSans.txt
usr/lib/vst/VRN-07/documents/licences/VRN-07.txt
usr/lib/vst3
usr/lib/vst3/VRN-07.vst3
usr/lib/vst3/VRN-07.vst3/Contents
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/VRN-07.so
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/index.htm
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/licences
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/licences/DejaVuSans.txt
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/licences/LiberationSans.txt
usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/licences/VRN-07.txt
usr/share
usr/share/doc
usr/share/doc/vrn07
usr/share/doc/vrn07/changelog.gz
usr/share/doc/vrn07/copyright
usr/share/lintian
usr/share/lintian/overrides
usr/share/lintian/overrides/vrn07
usr/share/man
usr/share/man/man1
usr/share/man/man1/vrn07-render.1.gz
LIST
)
    echo "$found"
    [ "$found" = "$expected" ] || fail "the package holds other files than expected"
    ;;
installed)
    check=$4
    root=$(mktemp -d)
    trap 'rm -rf "$root"' EXIT
    dpkg-deb -x "$deb" "$root"
    "$check" "$root/usr/lib/vst/VRN-07/VRN-07.so" "$version" || fail "the installed plug-in"
    mkdir "$root/render"
    "$root/usr/bin/vrn07-render" --demo "$root/render" \
        --plugin "$root/usr/lib/vst/VRN-07/VRN-07.so" || fail "vrn07-render"
    [ -s "$root/render/demo-out.wav" ] || fail "vrn07-render wrote no output"
    LV2_PATH="$root/usr/lib/lv2" lv2apply -i "$root/render/demo-in.wav" \
        -o "$root/render/lv2-out.wav" urn:norvik:vrn07 || fail "the installed LV2 bundle"
    [ -s "$root/render/lv2-out.wav" ] || fail "the LV2 bundle wrote no output"
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "$mode ok"
