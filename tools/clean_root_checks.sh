#!/usr/bin/env bash
# Runs inside the clean root of tools/check_clean_install.sh, from /tmp/check:
# installs the packages step by step and checks them as a user meets them.
# Usage: clean_root_checks.sh EDITOR.deb CONVERT.deb CODEC.deb
set -euo pipefail
cd /tmp/check
editor_deb=./$1
convert_deb=./$2
codec_deb=./$3
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
passes=0
failures=0
check() {  # check "what" test-command...
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
        passes=$((passes + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}
installs() {  # how many packages apt would install for the arguments, and the disk they take
    local count size
    count=$(apt-get install -s "$@" | grep -c '^Inst ')
    size=$(apt-get install --assume-no "$@" 2>/dev/null |
        sed -n 's/^After this operation, \(.*\) of additional disk space will be used.*/\1/p')
    echo "$count packages, $size"
}

# mmdebstrap's apt leaves recommends out unless asked; a user's apt takes them.
echo "pixolat-convert alone: $(installs --no-install-recommends "$convert_deb")"
echo "pixolat-convert and pixolat-picture-codec: $(installs --no-install-recommends \
    "$convert_deb" "$codec_deb");" \
    "with recommends $(installs --install-recommends "$convert_deb" "$codec_deb")"
echo "pixolat with its Depends only: $(installs --no-install-recommends "$editor_deb" "$codec_deb");" \
    "with recommends $(installs --install-recommends "$editor_deb" "$codec_deb" "$convert_deb")"
check "pixolat-convert alone takes at most 10 packages" \
    test "$(apt-get install -s --no-install-recommends "$convert_deb" | grep -c '^Inst ')" -le 10

apt-get install -y -qq --no-install-recommends "$convert_deb" >/dev/null
check "pixolat-convert --version" pixolat-convert --version
check "the converter's manual page is there" test -s /usr/share/man/man1/pixolat-convert.1.gz
check "the converter alone says which package a picture needs" bash -c \
    '! pixolat-convert picture.png alone.prg 2>alone.txt &&
     grep -q "install the package pixolat-picture-codec" alone.txt && ! test -e alone.prg'

apt-get install -y -qq --no-install-recommends "$codec_deb" >/dev/null
check "with the codec package it turns a PNG into a .prg of 10050 bytes" \
    bash -c 'pixolat-convert picture.png picture.prg && [ "$(stat -c %s picture.prg)" = 10050 ]'
apt-get purge -y -qq pixolat-picture-codec >/dev/null
check "the converter alone turns .prg into source text and back" \
    bash -c 'pixolat-convert picture.prg picture.asm && pixolat-convert picture.asm back.prg &&
             cmp picture.prg back.prg'

# The editor with its Depends only, as on a system that leaves recommends out.
apt-get install -y -qq --no-install-recommends "$editor_deb" "$codec_deb" >/dev/null
check "pixolat --version" pixolat --version
check "pixolat's manual page is there" test -s /usr/share/man/man1/pixolat.1.gz
check "the desktop knows .prg files" grep -q 'application/x-plus4-prg' /usr/share/mime/globs2

# The editor opens the PNG from its command line, as a file manager does.
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-apps x11-utils >/dev/null
export HOME=/tmp/check/home
mkdir -p "$HOME"
cat >editor.sh <<'INNER'
set -euo pipefail
pixolat picture.png >editor.log 2>&1 &
pid=$!
for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name "Plus/4 Graphics Editor" 2>/dev/null | head -1) &&
        [ -n "$window" ] && break
    sleep 0.1
done
sleep 2
# A message box (an unknown .PRG, a picture it could not read) is a second window.
for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    xdotool getwindowname "$id"
done >windows.txt
xprop -id "$window" WM_CLASS >wm_class.txt 2>/dev/null || true
xwd -root -silent >shots/editor.xwd
xdotool windowfocus --sync "$window" key F12
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
INNER
xvfb-run -a -s "-screen 0 1280x1024x24" bash editor.sh
recovery=$(find "$HOME/.local/share/Pixolat" -name '*.asm' 2>/dev/null | head -1 || true)
echo "windows shown: $(tr '\n' '|' <windows.txt)"
check "the editor showed no message over its window" test "$(wc -l <windows.txt)" = 1
check "the window's class is the menu entry's StartupWMClass" bash -c \
    "grep -q '\"Pixolat\"' wm_class.txt &&
     grep -qx 'StartupWMClass=Pixolat' /usr/share/applications/org.pixolat.pixolat.desktop"
check "the editor imported the PNG as a picture (kept in the recovery file)" test -n "$recovery"
if [ -n "$recovery" ]; then
    check "the editor read the same picture as the converter" bash -c \
        "pixolat-convert '$recovery' from-editor.prg && cmp from-editor.prg picture.prg"
fi

[ "$failures" -eq 0 ] || cat editor.log
apt-get purge -y -qq pixolat pixolat-convert pixolat-picture-codec >/dev/null
check "removal leaves no file of the packages" \
    bash -c '! ls /usr/bin/pixolat* /usr/share/pixolat /usr/share/doc/pixolat* \
                  /usr/lib/*/pixolat 2>/dev/null'
echo "Clean install: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
