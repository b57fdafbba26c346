#!/bin/sh
# Writes the release packages of a built build folder into OUT: the Debian package
# vrn07_VERSION_ARCH.deb (the plug-in under /usr/lib/vst/VRN-07/, vrn07-render and its
# manual page) and, for each Windows plug-in folder given (bin/windows-x86, ...), the zip
# VRN-07-VERSION-windows-x86.zip holding a VRN-07 folder with the DLL, its documents, the
# VST3 bundle of that architecture and a README. Run by the build target "packages".
# usage: make-packages.sh BUILD VERSION OUT MAINTAINER [WINDOWS-PLUGIN-FOLDER...]
set -eu
build=$1
version=$2
out=$3
maintainer=$4
shift 4
source=$(cd "$(dirname "$0")/../.." && pwd)
work="$build/packaging"
# Dates inside the packages come from SOURCE_DATE_EPOCH when it is set, for builds that
# must come out byte for byte the same.
epoch=${SOURCE_DATE_EPOCH:-$(date +%s)}

rm -rf "$work"
mkdir -p "$work" "$out"
rm -f "$out"/vrn07_*.deb "$out"/VRN-07-*-windows-*.zip

# A licence file as the text of a copyright file's License field: indented by one space,
# empty lines as " .".
licence_field() {
    sed -e 's/^$/./' -e 's/^/ /' "$1"
}

write_copyright() {
    cat <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: VRN-07
Upstream-Contact: $maintainer

Files: *
Copyright: 2026 [Norvik] Tesmora.K
License: VRN-07
EOF
    licence_field "$source/documents/licences/VRN-07.txt"
    cat <<EOF

Files: LiberationSans-Regular.ttf LiberationSans-Bold.ttf
Copyright: 2010 Google Corporation
 2012 Red Hat, Inc.
License: OFL-1.1
Comment: Built into VRN-07.so, VRN-07-ui.so and vrn07-render (from Debian's
 fonts-liberation2).
EOF
    licence_field "$source/documents/licences/LiberationSans.txt"
    cat <<EOF

Files: DejaVuSans.ttf
Copyright: 2003 Bitstream, Inc.
 2006 Tavmjong Bah
License: Bitstream-Vera
Comment: Built into VRN-07.so, VRN-07-ui.so and vrn07-render (from Debian's
 fonts-dejavu-core).
 DejaVu changes are in the public domain; the text below also holds the
 licence of the glyphs taken from the Arev fonts.
EOF
    licence_field "$source/documents/licences/DejaVuSans.txt"
}

write_changelog() {
    cat <<EOF
vrn07 ($version) unstable; urgency=medium

  * Release $version.

 -- $maintainer  $(date -R -u -d "@$epoch")
EOF
}

build_deb() {
    arch=$(dpkg --print-architecture)
    # Staged as a Debian source tree's package folder, where dpkg-shlibdeps expects it.
    root="$work/debian/vrn07"
    DESTDIR="$root" cmake --install "$build" --prefix /usr --strip > /dev/null
    # Sections a stripped binary does not need, as Debian's own packaging removes them.
    lv2="$root/usr/lib/lv2/VRN-07.lv2"
    strip --remove-section=.comment --remove-section=.note "$root/usr/bin/vrn07-render" \
        "$root/usr/lib/vst/VRN-07/VRN-07.so" "$lv2/VRN-07.so" "$lv2/VRN-07-ui.so"
    vst3="usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux"
    strip --remove-section=.comment --remove-section=.note "$root/$vst3/VRN-07.so"
    gzip -9n "$root/usr/share/man/man1/vrn07-render.1"
    mkdir -p "$root/usr/share/lintian/overrides"
    cat > "$root/usr/share/lintian/overrides/vrn07" <<EOF
# The plug-in opens its manual, and its licences lie, in the documents folder beside it.
vrn07: package-contains-documentation-outside-usr-share-doc [usr/lib/vst/VRN-07/documents/*]
vrn07: package-contains-documentation-outside-usr-share-doc [usr/lib/lv2/VRN-07.lv2/documents/*]
vrn07: package-contains-documentation-outside-usr-share-doc [usr/lib/vst3/VRN-07.vst3/Contents/x86_64-linux/documents/*]
EOF
    doc="$root/usr/share/doc/vrn07"
    mkdir -p "$doc"
    write_copyright > "$doc/copyright"
    write_changelog | gzip -9n > "$doc/changelog.gz"

    # dpkg-shlibdeps finds the package's root by its DEBIAN folder.
    mkdir -p "$root/DEBIAN"
    printf 'Source: vrn07\n\nPackage: vrn07\nArchitecture: any\n' > "$work/debian/control"
    depends=$(cd "$work" &&
        dpkg-shlibdeps -O -edebian/vrn07/usr/bin/vrn07-render \
            -edebian/vrn07/usr/lib/vst/VRN-07/VRN-07.so \
            -edebian/vrn07/usr/lib/lv2/VRN-07.lv2/VRN-07.so \
            -edebian/vrn07/usr/lib/lv2/VRN-07.lv2/VRN-07-ui.so \
            -edebian/vrn07/$vst3/VRN-07.so | sed -n 's/^shlibs:Depends=//p')

    find "$root" -type d -exec chmod 0755 {} +
    find "$root" -type f -exec chmod 0644 {} +
    chmod 0755 "$root/usr/bin/vrn07-render"
    (cd "$root" && find usr -type f | LC_ALL=C sort | xargs md5sum) > "$root/DEBIAN/md5sums"
    size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
    cat > "$root/DEBIAN/control" <<EOF
Package: vrn07
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $size
Depends: $depends
Section: sound
Priority: optional
Description: three-band limiter and loudness maximizer (VST 2.4 and LV2 plug-in)
 VRN-07 makes a stereo mix louder without letting it clip: it splits the
 signal into three bands, limits each with its own threshold and gain, and
 finishes with a look-ahead soft clipper. The plug-in brings its own editor
 with band meters and a waveform and spectrum viewer.
 .
 The LV2 edition has the same sound and editor, reports its delay to the host
 and adds a true-peak ceiling.
 .
 The VST3 edition (/usr/lib/vst3/VRN-07.vst3) has the same sound and editor,
 reports its delay, carries the true-peak ceiling and the factory programs.
 .
 The package also holds vrn07-render, an offline host that plays audio files
 through the plug-in and reports their peaks and loudness.
EOF
    chmod 0644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
    deb="$out/vrn07_${version}_${arch}.deb"
    SOURCE_DATE_EPOCH=$epoch dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" > /dev/null
    echo "$deb"
}

build_zip() {
    folder=$1
    platform=$(basename "$folder")
    stage="$work/$platform"
    mkdir -p "$stage/VRN-07"
    case $platform in
        windows-x86) strip=i686-w64-mingw32-strip ;;
        *) strip=x86_64-w64-mingw32-strip ;;
    esac
    # The release DLL without its symbol tables, as the Debian package's binaries.
    "$strip" -o "$stage/VRN-07/VRN-07.dll" "$folder/VRN-07.dll"
    "$strip" -o "$stage/VRN-07/VRN-07.clap" "$folder/VRN-07.clap"
    cp -R "$folder/documents" "$stage/VRN-07/"
    # The VST3 bundle with this architecture's module and its documents.
    case $platform in
        windows-x86) vst3_arch=x86-win ;;
        *) vst3_arch=x86_64-win ;;
    esac
    vst3="VRN-07.vst3/Contents/$vst3_arch"
    mkdir -p "$stage/VRN-07/$vst3"
    "$strip" -o "$stage/VRN-07/$vst3/VRN-07.vst3" "$build/vst3/$vst3/VRN-07.vst3"
    cp -R "$build/vst3/$vst3/documents" "$stage/VRN-07/$vst3/"
    # Windows programs expect CR LF line ends.
    sed -e "s/@VERSION@/$version/g" -e "s/@PLATFORM@/$platform/g" -e 's/$/\r/' \
        "$source/tools/packaging/README-windows.txt" > "$stage/VRN-07/README.txt"
    zip="$out/VRN-07-$version-$platform.zip"
    stamp="$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S') UTC"
    (cd "$stage" && cmake -E tar cf "$zip" --format=zip --mtime="$stamp" VRN-07)
    echo "$zip"
}

build_deb
for folder in "$@"; do
    build_zip "$folder"
done
