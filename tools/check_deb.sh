#!/usr/bin/env bash
# `make deb-check`: clones the last commit twice, into two folders of
# different paths and a few seconds apart (so every file time differs), runs
# `make deb` in each (the same build root for both) and checks that every
# package of the two builds has the same bytes. Then looks into the first
# build's packages: the copyright file, the changelogs, the hardening of the
# programs and the codec module (readelf), the icons, the file types, that
# the converter alone converts .prg and source text and names the package a
# picture needs, that with the codec package it converts pictures, and that
# its manual page says every option as --help does. Needs what `make deb`
# needs; uncommitted changes are not part of it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/deb-check
rm -rf "$work"
mkdir -p "$work"
commit=$(git rev-parse HEAD)
suite=${DEB_SUITE:-bookworm}
deps=$(sed -n '/^Build-Depends/,/^[A-Z][A-Za-z-]*:/p' debian/control | sha256sum | cut -c1-12)
export DEB_ROOT=${DEB_ROOT:-$root/build/deb-root/$suite-$(dpkg --print-architecture)-$deps.tar}

clones=("$work/one" "$work/a/second/clone")
lintian_failed=0
for clone in "${clones[@]}"; do
    git clone --quiet --no-local --no-checkout "$root" "$clone"
    git -C "$clone" checkout --quiet --detach "$commit"
    echo "Building $(git log -1 --format=%h) in $clone"
    # A failing lintian still leaves the packages to compare and look into.
    if ! make -C "$clone" deb >"$clone.log" 2>&1; then
        tail -30 "$clone.log"
        echo "make deb failed: $clone.log"
        ls "$clone"/build/deb/*.changes >/dev/null 2>&1 || exit 1
        lintian_failed=1
    fi
    sleep 2
done
one=${clones[0]}/build/deb
two=${clones[1]}/build/deb

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: counts the command's outcome
    local description=$1
    shift
    if "$@" >/dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $description"
    fi
}
contains() { grep -qF -- "$2" "$1"; }

check "lintian: no error or warning in either build" test "$lintian_failed" = 0
for file in "$one"/*.deb "$one"/*.dsc; do
    check "two clones give the same ${file##*/}" cmp "$file" "$two/${file##*/}"
done

version=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' debian/changelog)
license_text=$work/license.txt
sed -n '/^Permission is hereby granted/,$p' LICENSE | sed 's/^$/./; s/^/ /' >"$license_text"
all=$work/root/all
mkdir -p "$all"
for package in pixolat pixolat-convert pixolat-picture-codec; do
    deb=$(ls "$one/${package}_${version}_"*.deb 2>/dev/null | head -1 || true)
    check "$package: a .deb of version $version is built" test -f "$deb"
    [ -f "$deb" ] || continue
    check "$package: a -dbgsym package is built" \
        bash -c "ls '$one/${package}-dbgsym_${version}_'*.deb"
    tree=$work/root/$package
    mkdir -p "$tree"
    dpkg-deb -x "$deb" "$tree"
    dpkg-deb -x "$deb" "$all"
    doc=$tree/usr/share/doc/$package
    check "$package: copyright names LICENSE's holder and carries its whole text" \
        bash -c "grep -qx \"Copyright: \$(sed -n 's/^Copyright (c) //p' LICENSE)\" '$doc/copyright' &&
                 diff <(tail -n $(wc -l <"$license_text") '$doc/copyright') '$license_text'"
    check "$package: changelog.gz is CHANGELOG.md" \
        bash -c "zcat '$doc/changelog.gz' | cmp - CHANGELOG.md"
    check "$package: changelog.Debian.gz names the package version" \
        bash -c "zcat '$doc/changelog.Debian.gz' | head -1 | grep -qF '($version)'"
    for program in "$tree"/usr/bin/* "$tree"/usr/lib/*/pixolat/*.so; do
        [ -e "$program" ] || continue
        name=$package:${program##*/}
        check "$name: RELRO" bash -c "readelf -lW '$program' | grep -q GNU_RELRO"
        check "$name: bound at start (BIND_NOW)" \
            bash -c "readelf -dW '$program' | grep -Eq 'BIND_NOW|FLAGS_1.*NOW'"
        check "$name: stack protector" \
            bash -c "readelf --dyn-syms -W '$program' | grep -q __stack_chk_fail"
        # The codec module makes no call the fortified library would check.
        if [ "${program%.so}" = "$program" ]; then
            check "$name: fortified calls" \
                bash -c "readelf --dyn-syms -W '$program' | grep -Eq '__[a-z_]+_chk(@| )'"
        fi
        # -fcf-protection marks every function entry with ENDBR64.
        if [ "$(uname -m)" = x86_64 ]; then
            check "$name: control-flow protection (ENDBR64 at function entries)" \
                bash -c "[ \$(objdump -d '$program' | grep -c endbr64) -ge 100 ]"
        fi
    done
done
check "pixolat-convert depends on nothing beyond the C++ runtime" \
    bash -c "dpkg-deb -f '$one'/pixolat-convert_*.deb Depends |
             tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -vxE 'libc6|libgcc-s1|libstdc\\+\\+6' |
             { ! grep -q .; }"
check "pixolat-convert recommends the codec package" \
    bash -c "dpkg-deb -f '$one'/pixolat-convert_*.deb Recommends | grep -q pixolat-picture-codec"
check "pixolat depends on the codec package" \
    bash -c "dpkg-deb -f '$one'/pixolat_*.deb Depends | grep -q pixolat-picture-codec"

icons=$work/root/pixolat/usr/share/icons/hicolor
for size in 16 22 24 32 48 64 128 256; do
    check "icon ${size}x$size" \
        bash -c "file '$icons/${size}x$size/apps/pixolat.png' | grep -q 'PNG image data, $size x $size'"
done
check "scalable icon" test -f "$icons/scalable/apps/pixolat.svg"
desktop=$work/root/pixolat/usr/share/applications/org.pixolat.pixolat.desktop
check "the menu entry names the window's class" contains "$desktop" "StartupWMClass=Pixolat"
for type in image/png image/bmp image/gif image/jpeg application/x-plus4-prg; do
    check "the menu entry opens $type" bash -c "grep '^MimeType=' '$desktop' | grep -qF '$type;'"
done
mime=$work/root/pixolat/usr/share/mime
check "application/x-plus4-prg is *.prg and *.p4i" \
    bash -c "update-mime-database '$mime' && grep -qx 'application/x-plus4-prg:\\*.prg' '$mime/globs' &&
             grep -qx 'application/x-plus4-prg:\\*.p4i' '$mime/globs'"

# The converter alone: .prg and source text, and for a picture the package.
alone=$work/root/pixolat-convert/usr/bin/pixolat-convert
rsvg-convert -w 320 -h 200 -o "$work/picture.png" data/desktop/pixolat.svg
check "pixolat-convert alone: .prg to source text and back" \
    bash -c "'$all/usr/bin/pixolat-convert' '$work/picture.png' '$work/picture.prg' &&
             '$alone' '$work/picture.prg' '$work/picture.asm' &&
             '$alone' '$work/picture.asm' '$work/back.prg' && cmp '$work/picture.prg' '$work/back.prg'"
check "pixolat-convert alone: a picture names the package to install" \
    bash -c "! '$alone' '$work/picture.png' '$work/alone.prg' 2>'$work/alone.txt' &&
             grep -q 'install the package pixolat-picture-codec' '$work/alone.txt'"
check "pixolat-convert with the codec package: pictures both ways" \
    bash -c "'$all/usr/bin/pixolat-convert' '$work/picture.prg' '$work/back.png' &&
             file '$work/back.png' | grep -q 'PNG image data, 320 x 200'"

# Every option of --help is in the manual page, its text starting as there
# (the values a program takes keep their case).
"$alone" --help >"$work/help.txt"
MANWIDTH=200 man -l "$work"/root/pixolat-convert/usr/share/man/man1/pixolat-convert.1.gz \
    2>/dev/null | sed 's/\x08.//g' >"$work/man.txt"
while IFS=$'\t' read -r option text; do
    check "pixolat-convert(1) has $option" contains "$work/man.txt" "$option"
    check "pixolat-convert(1) says \"$text\" for $option" contains "$work/man.txt" "$text"
done < <(sed -nE 's/^  ((-h, )?--[a-z]+( [A-Z]+)?) +([^ ]+( [^ ]+)?).*/\1\t\4/p' "$work/help.txt")
check "pixolat-convert --help lists its options" grep -q '^  --' "$work/help.txt"

echo "Package check: $passed of $((passed + failed)) checks passed"
[ "$failed" -eq 0 ]
