#!/bin/sh
# Checks a Windows zip the build target "packages" wrote: exactly the DLL and the CLAP
# plug-in of its architecture, its documents, the VST3 bundle of that architecture and the
# README in a VRN-07 folder, a DLL that exports VSTPluginMain and main, a CLAP plug-in that
# exports clap_entry, and a VST3 module that exports its entry points.
# usage: check-zip.sh ZIP VERSION PLATFORM OBJDUMP CHECK-EXPORTS CHECK-VST3-EXPORTS
set -eu
zip=$1
version=$2
platform=$3
objdump=$4
check_exports=$5
check_vst3_exports=$6
case $platform in
    windows-x86) vst3=VRN-07/VRN-07.vst3/Contents/x86-win ;;
    *) vst3=VRN-07/VRN-07.vst3/Contents/x86_64-win ;;
esac
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$zip" ] || fail "$zip does not exist (build the target packages)"
[ "$(basename "$zip")" = "VRN-07-$version-$platform.zip" ] || fail "named $(basename "$zip")"

found=$(cmake -E tar tf "$zip" | sed 's|/$||' | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<LIST
VRN-07
VRN-07/README.txt
VRN-07/VRN-07.clap
VRN-07/VRN-07.dll
VRN-07/documents
VRN-07/documents/index.htm
VRN-07/documents/licences
VRN-07/documents/licences/DejaVuSans.txt
VRN-07/documents/licences/LiberationSans.txt
VRN-07/documents/licences/VRN-07.txt
VRN-07/VRN-07.vst3
VRN-07/VRN-07.vst3/Contents
$vst3
$vst3/VRN-07.vst3
$vst3/documents
$vst3/documents/index.htm
$vst3/documents/licences
$vst3/documents/licences/DejaVuSans.txt
$vst3/documents/licences/LiberationSans.txt
$vst3/documents/licences/VRN-07.txt
LIST
)
echo "$found"
[ "$found" = "$expected" ] || fail "the zip holds other files than expected"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
(cd "$folder" && cmake -E tar xf "$zip")
case $platform in
    windows-x86) format=pei-i386 ;;
    windows-x64) format=pei-x86-64 ;;
    *) fail "unknown platform $platform" ;;
esac
"$objdump" -f "$folder/VRN-07/VRN-07.dll" | grep -q "file format $format" ||
    fail "the DLL is not $format"
"$check_exports" windows "$folder/VRN-07/VRN-07.dll" "$objdump"
"$objdump" -f "$folder/$vst3/VRN-07.vst3" | grep -q "file format $format" ||
    fail "the VST3 module is not $format"
"$check_vst3_exports" windows "$folder/$vst3/VRN-07.vst3" "$objdump"
"$objdump" -f "$folder/VRN-07/VRN-07.clap" | grep -q "file format $format" ||
    fail "the CLAP plug-in is not $format"
"$(dirname "$0")/../clap/check-exports.sh" windows "$folder/VRN-07/VRN-07.clap" "$objdump"
grep -q "VRN-07 $version ($platform)" "$folder/VRN-07/README.txt" || fail "README names no version"
grep -q "version $version</p>" "$folder/VRN-07/documents/index.htm" || fail "manual names no version"
echo "zip ok"
