#!/usr/bin/env bash
# For maintainers, not CI (it downloads a whole Debian system, needs root and
# a few minutes): installs the .debs that `make package` left in this folder
# into a clean Debian root made with mmdebstrap, as a user's apt would, and
# checks there that both programs run, the converter converts a PNG, the
# editor opens a PNG given on its command line as a picture (under Xvfb: it
# imports it and keeps it in the recovery file at close, which the converter
# reads back), and that removing the packages leaves none of their files.
# It also prints how many packages each install takes.
# Usage: tools/check_clean_install.sh [SUITE]   (default bookworm)
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${1:-bookworm}
editor_deb=$(ls pixolat_*.deb 2>/dev/null | tail -1 || true)
convert_deb=$(ls pixolat-convert_*.deb 2>/dev/null | tail -1 || true)
[ -n "$editor_deb" ] && [ -n "$convert_deb" ] || {
    echo "no pixolat_*.deb and pixolat-convert_*.deb here: run 'make package' first" >&2
    exit 1
}
tools/install_packages.sh mmdebstrap librsvg2-bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/check"
cp "$editor_deb" "$convert_deb" tools/clean_root_checks.sh "$work/check/"
# A picture of the default image's size: a larger one would make the editor
# ask whether to enlarge the image.
rsvg-convert -w 320 -h 200 -o "$work/check/picture.png" data/desktop/pixolat.svg

mmdebstrap --variant=apt \
    --customize-hook="copy-in $work/check /tmp" \
    --customize-hook='chroot "$1" bash /tmp/check/clean_root_checks.sh '"$editor_deb $convert_deb" \
    "$suite" /dev/null
