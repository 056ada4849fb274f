#!/usr/bin/env bash
# Checks what `make package` makes (`make package-check`): packages the last
# commit twice, in two fresh trees at different paths, and checks the .debs of
# the first: the copyright files, the changelogs, the hardening of both
# programs and the converter's codec module (readelf), that the packaged
# converter converts pictures through that module, the icon sizes, the file
# types, the converter's manual page against its --help, lintian; and that
# the second pair has the same bytes. Uncommitted changes are not part of it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/package-check
rm -rf "$work"
mkdir -p "$work"
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
# ccache finds the first tree's objects for the second when both lie under its
# base folder; the bytes must match either way.
case "$work" in "${CCACHE_BASEDIR:-/nonexistent}"/*) ;; *) export CCACHE_BASEDIR=$work ;; esac

for tree in one two; do
    mkdir -p "$work/$tree"
    git archive HEAD | tar -x -C "$work/$tree"
    echo "Packaging $(git log -1 --format=%h) in $work/$tree"
    if ! make -C "$work/$tree" package SOURCE_DATE_EPOCH="$epoch" JOBS="${JOBS:-2}" \
        >"$work/$tree.log" 2>&1; then
        tail -20 "$work/$tree.log"
        echo "make package failed: $work/$tree.log"
        exit 1
    fi
done

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

version=$(sed -n 's/^project(Pixolat VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
license_text=$work/license.txt
sed -n '/^Permission is hereby granted/,$p' LICENSE | sed 's/^$/./; s/^/ /' >"$license_text"

for package in pixolat pixolat-convert; do
    debs=("$work"/one/"$package"_*.deb)
    deb=${debs[0]}
    check "$package: a .deb is built" test -f "$deb"
    [ -f "$deb" ] || continue
    tree=$work/root/$package
    mkdir -p "$tree"
    dpkg-deb -x "$deb" "$tree"
    doc=$tree/usr/share/doc/$package

    check "$package: version $version-N" \
        bash -c "dpkg-deb -f '$deb' Version | grep -qx '$version-[0-9]*'"
    check "$package: copyright file in the machine-readable format" \
        bash -c "head -1 '$doc/copyright' |
                 grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/'"
    check "$package: copyright names LICENSE's holder and the MIT (Expat) licence" \
        bash -c "grep -qx \"Copyright: \$(sed -n 's/^Copyright (c) //p' LICENSE)\" '$doc/copyright' &&
                 grep -qx 'License: Expat' '$doc/copyright'"
    check "$package: copyright carries LICENSE's whole text" \
        bash -c "diff <(tail -n $(wc -l <"$license_text") '$doc/copyright') '$license_text'"
    check "$package: changelog.gz is CHANGELOG.md" \
        bash -c "zcat '$doc/changelog.gz' | cmp - CHANGELOG.md"
    check "$package: CHANGELOG.md's newest entry is version $version" \
        bash -c "grep -m1 '^## ' CHANGELOG.md | grep -q '^## $version ('"
    check "$package: changelog.Debian.gz names the package version" \
        bash -c "zcat '$doc/changelog.Debian.gz' | head -1 |
                 grep -qF \"(\$(dpkg-deb -f '$deb' Version))\""

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
        # -fcf-protection marks every function entry with ENDBR64 (a Debian
        # program without it has a handful, from the C library's start files).
        # The IBT/SHSTK property note stays off: those start files lack it.
        if [ "$(uname -m)" = x86_64 ]; then
            check "$name: control-flow protection (ENDBR64 at function entries)" \
                bash -c "[ \$(objdump -d '$program' | grep -c endbr64) -ge 100 ]"
        fi
    done
done

icons=$work/root/pixolat/usr/share/icons/hicolor
for size in 16 22 24 32 48 64 128 256; do
    check "icon ${size}x$size" \
        bash -c "file '$icons/${size}x$size/apps/pixolat.png' | grep -q 'PNG image data, $size x $size'"
done
check "scalable icon" test -f "$icons/scalable/apps/pixolat.svg"

desktop=$work/root/pixolat/usr/share/applications/org.pixolat.pixolat.desktop
for type in image/png image/bmp image/gif image/jpeg application/x-plus4-prg; do
    check "the menu entry opens $type" bash -c "grep '^MimeType=' '$desktop' | grep -qF '$type;'"
done
mime=$work/root/pixolat/usr/share/mime
check "application/x-plus4-prg is *.prg and *.p4i" \
    bash -c "update-mime-database '$mime' && grep -qx 'application/x-plus4-prg:\\*.prg' '$mime/globs' &&
             grep -qx 'application/x-plus4-prg:\\*.p4i' '$mime/globs'"

# The converter opens its picture codec from the package's own folder.
convert_root=$work/root/pixolat-convert
convert=$convert_root/usr/bin/pixolat-convert
check "pixolat-convert: holds the picture codec module" \
    bash -c "ls '$convert_root'/usr/lib/*/pixolat/pixolat-picture-codec.so"
rsvg-convert -w 320 -h 200 -o "$work/picture.png" data/desktop/pixolat.svg
check "pixolat-convert: reads and writes pictures through it" \
    bash -c "'$convert' '$work/picture.png' '$work/picture.prg' &&
             '$convert' '$work/picture.prg' '$work/back.png' &&
             file '$work/back.png' | grep -q 'PNG image data, 320 x 200'"

# Every option the converter prints in --help is in its manual page.
"$convert_root/usr/bin/pixolat-convert" --help >"$work/help.txt"
MANWIDTH=200 man -l "$convert_root/usr/share/man/man1/pixolat-convert.1.gz" 2>/dev/null |
    sed 's/\x08.//g' >"$work/man.txt"
while read -r option; do
    check "pixolat-convert(1) has $option" contains "$work/man.txt" "$option"
done < <(grep -oE '^  (-h, )?--[a-z]+( [A-Z]+)?' "$work/help.txt" | sed 's/^  //')
check "pixolat-convert --help lists its options" grep -q '^  --' "$work/help.txt"

# Warnings of lintian that do not apply, each with its reason:
# - initial-upload-closes-no-bugs: the packages are the project's own, not
#   uploaded to Debian, so there is no request-for-packaging bug to close.
check "lintian: no errors or warnings" \
    lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs \
    "$work"/one/pixolat_*.deb "$work"/one/pixolat-convert_*.deb
for deb in "$work"/one/*.deb; do
    check "two builds give the same ${deb##*/}" cmp "$deb" "$work/two/${deb##*/}"
done

lintian --fail-on none --suppress-tags initial-upload-closes-no-bugs "$work"/one/*.deb 2>/dev/null |
    grep -E '^[EW]:' || true
echo "Package check: $passed of $((passed + failed)) checks passed"
[ "$failed" -eq 0 ]
