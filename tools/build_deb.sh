#!/usr/bin/env bash
# `make deb`: the Debian source package of the last commit and its binary
# packages, built with dpkg-buildpackage in a clean Debian root (mmdebstrap),
# then lintian on the .changes. Everything lands in build/deb (DEB_OUT).
#
# The source comes from `git archive`, so the result depends on the commit
# alone, not on the clone's folder, its file times or uncommitted changes.
# The root (the suite's build-essential and debian/control's Build-Depends)
# is made once and kept as a tarball in build/deb-root (DEB_ROOT names
# another one, e.g. a second clone's); it is made again when debian/control
# changes or when it is older than a week.
# Needs root (mmdebstrap mounts /proc in the root) and the suite's mirror.
# Usage: tools/build_deb.sh   (DEB_SUITE=bookworm, JOBS=nproc)
set -euo pipefail
cd "$(dirname "$0")/.."
suite=${DEB_SUITE:-bookworm}
jobs=${JOBS:-$(nproc)}
out=$(realpath -m "${DEB_OUT:-build/deb}")

# The build dependencies decide the root, so their hash names its tarball.
deps=$(sed -n '/^Build-Depends/,/^[A-Z][A-Za-z-]*:/p' debian/control | sha256sum | cut -c1-12)
root=$(realpath -m "${DEB_ROOT:-build/deb-root/$suite-$(dpkg --print-architecture)-$deps.tar}")
if [ ! -s "$root" ] || [ -n "$(find "$root" -mtime +7)" ]; then
    echo "Making the $suite build root $root"
    mkdir -p "$(dirname "$root")"
    scratch=$(mktemp -d)
    mkdir -p "$scratch/deps/debian"
    cp debian/control "$scratch/deps/debian/"
    # /dev is left out of the tarball: mmdebstrap makes it again at each use.
    mmdebstrap --variant=buildd --quiet \
        --customize-hook="copy-in $scratch/deps /tmp" \
        --customize-hook='chroot "$1" apt-get build-dep -qq --yes --no-install-recommends /tmp/deps >/dev/null' \
        --customize-hook='rm -rf "$1/tmp/deps"' \
        "$suite" - | mmtarfilter --path-exclude='/dev/*' >"$root.part"
    rm -rf "$scratch"
    mv "$root.part" "$root"
fi

upstream=$(sed -n '1s/^[^ ]* (\([^-)]*\).*/\1/p' debian/changelog)
version=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' debian/changelog)
source=$(sed -n '1s/^\([^ ]*\) .*/\1/p' debian/changelog)
project=$(sed -n 's/^project(Pixolat VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
[ "$upstream" = "$project" ] || {
    echo "debian/changelog's version $version is not the project's version $project" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
# The upstream tarball leaves out debian/ (the packaging's own tarball
# carries it) and what debian/copyright's Files-Excluded names.
read -ra excluded < <(sed -n 's/^Files-Excluded: *//p' debian/copyright)
git archive --format=tar --prefix="$source-$upstream/" HEAD -- . ':!debian' \
    "${excluded[@]/#/:!}" | xz -6 -T1 >"$work/src/${source}_$upstream.orig.tar.xz"
git archive --format=tar HEAD debian >"$work/src/debian.tar"
echo "Building $source $version ($(git log -1 --format=%h)) in a clean $suite root"

# Built as nobody: Rules-Requires-Root: no says nothing needs root.
mmdebstrap --variant=custom --skip=update --quiet \
    --setup-hook="tar-in $root /" \
    --customize-hook="copy-in $work/src /" \
    --customize-hook='chroot "$1" sh -ec "
        cd /src
        tar -xf '"${source}_$upstream"'.orig.tar.xz
        tar -C '"$source-$upstream"' -xf debian.tar
        rm debian.tar
        mkdir out
        chown -R 65534:65534 /src"' \
    --customize-hook='chroot --userspec=65534:65534 "$1" env HOME=/src \
        DEB_BUILD_OPTIONS="parallel='"$jobs"'" sh -ec "
        cd /src/'"$source-$upstream"'
        dpkg-buildpackage --build=full --no-sign >/src/out/build.log 2>&1 ||
            { tail -40 /src/out/build.log; exit 1; }
        cd /src
        find . -maxdepth 1 -type f -exec mv {} out/ \\;"' \
    --customize-hook="copy-out /src/out $work" \
    "$suite" /dev/null

rm -rf "$out"
mkdir -p "$(dirname "$out")"
mv "$work/out" "$out"
echo "Built in $out:"
(cd "$out" && ls -1 ./*.dsc ./*.deb)

# Tags lintian may report that do not apply, each with its reason:
# - initial-upload-closes-no-bugs: the packages are the project's own, not
#   uploaded to Debian, so there is no request-for-packaging bug to close.
lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs \
    --info "$out"/*.changes
echo "lintian: no error and no warning"
