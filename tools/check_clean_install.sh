#!/usr/bin/env bash
# For maintainers, not CI (it downloads a whole Debian system, needs root and
# a few minutes): installs the packages that `make deb` left in build/deb
# into a clean Debian root made with mmdebstrap, as a user's apt would, and
# checks there what a user meets: the converter alone converts .prg and
# source text and names the package a picture needs; with that package it
# converts a PNG; the editor, installed with its Depends only, opens a PNG
# given on its command line as a picture under Xvfb (a screenshot of its
# window is kept in SHOTS, build/clean-install unless told); removing the
# packages leaves none of their files. It prints how many packages and how
# much disk each install takes.
# Usage: tools/check_clean_install.sh [SUITE [SHOTS]]   (default bookworm)
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${1:-bookworm}
shots=$(realpath -m "${2:-build/clean-install}")
debs=()
for package in pixolat pixolat-convert pixolat-picture-codec; do
    deb=$(ls build/deb/"$package"_*.deb 2>/dev/null | tail -1 || true)
    [ -n "$deb" ] || {
        echo "no build/deb/${package}_*.deb: run 'make deb' first" >&2
        exit 1
    }
    debs+=("$deb")
done
tools/install_packages.sh mmdebstrap librsvg2-bin imagemagick
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/check"
cp "${debs[@]}" tools/clean_root_checks.sh "$work/check/"
# A picture of the default image's size: a larger one would make the editor
# ask whether to enlarge the image.
rsvg-convert -w 320 -h 200 -o "$work/check/picture.png" data/desktop/pixolat.svg

rm -rf "$shots"
mkdir -p "$shots"
mkdir "$work/check/shots"
# A failed check still brings the screenshot out.
mmdebstrap --variant=apt --quiet \
    --customize-hook="copy-in $work/check /tmp" \
    --customize-hook='chroot "$1" bash /tmp/check/clean_root_checks.sh '"${debs[*]##*/}"' ||
        touch "$1/tmp/check/shots/failed"' \
    --customize-hook="copy-out /tmp/check/shots $work" \
    "$suite" /dev/null
if [ -s "$work/shots/editor.xwd" ]; then
    convert "xwd:$work/shots/editor.xwd" "$shots/editor.png"
    echo "The editor's window: $shots/editor.png"
fi
[ ! -e "$work/shots/failed" ]
