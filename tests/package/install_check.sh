#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from a finished
# build directory, unpacked into a throwaway root (no system-wide install),
# and checked there: the control fields, the validators on the installed
# desktop entry, metainfo and manual page, one version everywhere, the
# icons, the installed game's --version and self-test, and, on a display of
# its own, that the game's window carries the icon and the class that the
# desktop entry names.
#
# Usage: bash tests/package/install_check.sh <build dir>
set -u
build=$(cd "${1:?usage: install_check.sh <build dir>}" && pwd)
# The end-to-end tests' checks and X server: ok, fail, check, die, summary,
# start_xvfb, game_window, and $work, removed on exit with the server.
# shellcheck source=../e2e/lib/xserver.bash
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib/xserver.bash"
game=""
on_exit() { end_process "$game"; }
on_failure() { summary; }

# --- Build and unpack ------------------------------------------------------
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; die "cpack -G DEB"; }
debs=("$work"/pkg/*.deb)
{ [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ]; } || die "cpack made ${#debs[@]} packages: ${debs[*]}"
deb=${debs[0]}
ok "cpack made $(basename "$deb")"
root=$work/root
dpkg-deb -x "$deb" "$root" || die "dpkg-deb -x"
zarn=$root/usr/games/zarn
[ -x "$zarn" ] || die "no /usr/games/zarn in the package"

field() { dpkg-deb -f "$deb" "$1"; }
check "package name zarn, section games" test "$(field Package) $(field Section)" = "zarn games"
depends=$(field Depends)
echo "   Depends: $depends"
has_depends() { local d; for d; do grep -Eq "(^|, )$d( |,|$)" <<<"$depends" || return 1; done; }
check "Depends computed from the linked libraries" has_depends libc6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libx11-6
check "maintainer and description" test -n "$(field Maintainer)" -a -n "$(field Description)"

# --- One version everywhere -------------------------------------------------
version=$("$zarn" --version)
status=$?
check "installed zarn --version exits 0" test "$status" -eq 0
echo "   version: $version"
check "version looks like <release>[-<commits>-g<hash>]" \
    grep -Eq '^[0-9]+(\.[0-9]+)*(-[0-9]+-g[0-9a-f]+)?$' <<<"$version"
# The package version, read back: "+<commits>.g<hash>" was "-<commits>-g<hash>".
upstream=$(field Version)
upstream=${upstream%-*}
check "package version $(field Version) stands for $version" \
    test "$(sed -E 's/\+([0-9]+)\.g/-\1-g/' <<<"$upstream")" = "$version"

share=$root/usr/share
desktops=("$share"/applications/*.desktop)
metainfos=("$share"/metainfo/*.metainfo.xml)
{ [ ${#desktops[@]} -eq 1 ] && [ -f "${desktops[0]}" ]; } || die "expected one desktop entry: ${desktops[*]}"
{ [ ${#metainfos[@]} -eq 1 ] && [ -f "${metainfos[0]}" ]; } || die "expected one metainfo file: ${metainfos[*]}"
desktop=${desktops[0]}
metainfo=${metainfos[0]}
app_id=$(basename "$desktop" .desktop)

# Text, or with a second argument that attribute, of metainfo elements.
meta() {
    python3 - "$metainfo" "$@" <<'EOF'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
for e in root.iterfind(sys.argv[2]):
    print(e.get(sys.argv[3]) if len(sys.argv) > 3 else (e.text or "").strip())
EOF
}
check "metainfo id $(meta ./id) is the desktop entry's name $app_id" test "$(meta ./id)" = "$app_id"
check "metainfo launches $app_id.desktop" test "$(meta "./launchable[@type='desktop-id']")" = "$app_id.desktop"
check "metainfo's latest release is $version" test "$(meta './releases/release[1]' version)" = "$version"
check "Debian changelog is of version $(field Version)" \
    grep -q "^zarn ($(field Version)) " <(zcat "$root/usr/share/doc/zarn/changelog.Debian.gz")
check "manual page is of version $version" \
    grep -q "^\.TH ZARN 6 .*\"zarn $version\"" <(zcat "$share/man/man6/zarn.6.gz")

# --- Validators on the installed files --------------------------------------
check "desktop-file-validate" desktop-file-validate "$desktop"
check "appstreamcli validate --no-net --strict" appstreamcli validate --no-net --strict "$metainfo"
check "appstreamcli validate-tree --no-net --strict" appstreamcli validate-tree --no-net --strict "$root"
zcat "$share/man/man6/zarn.6.gz" >"$work/zarn.6"
groff -ww -z -t -man -Tutf8 "$work/zarn.6" >"$work/groff.log" 2>&1
check "groff -ww renders the manual page without a warning" test $? -eq 0 -a ! -s "$work/groff.log"
cat "$work/groff.log"
mandoc -T lint -W style "$work/zarn.6" >"$work/mandoc.log" 2>&1
check "mandoc -T lint finds nothing" test $? -eq 0 -a ! -s "$work/mandoc.log"
cat "$work/mandoc.log"

# --- Icons --------------------------------------------------------------------
icon=$(sed -n 's/^Icon=//p' "$desktop")
check "desktop entry's icon is $app_id" test "$icon" = "$app_id"
for size in 48 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    check "icon ${size}x$size is an RGBA PNG of that size" \
        grep -q "PNG image data, $size x $size, 8-bit/color RGBA" <<<"$(file -b "$png" 2>&1)"
done
svg=$share/icons/hicolor/scalable/apps/$icon.svg
check "scalable icon is an SVG document" python3 -c '
import sys, xml.etree.ElementTree as ET
sys.exit(ET.parse(sys.argv[1]).getroot().tag != "{http://www.w3.org/2000/svg}svg")' "$svg"

# --- The installed game on a display of its own -----------------------------
start_xvfb 1280x1024x24 || die "Xvfb reported no display"
export SDL_AUDIODRIVER=dummy

"$zarn" --testmode --log "$work/selftest.log" 2>"$work/selftest.err"
status=$?
check "installed zarn --testmode exits 0" test "$status" -eq 0
check "self-test log says passed" test "$(cat "$work/selftest.log" 2>/dev/null)" = "Zarn Test mode: passed"
[ "$status" -eq 0 ] || cat "$work/selftest.err"

"$zarn" 2>"$work/game.err" &
game=$!
window=$(game_window 10 "$game") || { cat "$work/game.err"; die "the installed game showed no window"; }

wm_class=$(xprop -id "$window" -notype WM_CLASS | sed -n 's/^WM_CLASS = "\([^"]*\)", "\([^"]*\)"$/\2/p')
startup_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
check "window class \"$wm_class\" is the desktop entry's StartupWMClass \"$startup_class\"" \
    test -n "$wm_class" -a "$wm_class" = "$startup_class"

# _NET_WM_ICON as numbers: width, height, then one ARGB value per pixel.
xprop -id "$window" -notype -f _NET_WM_ICON 32c _NET_WM_ICON >"$work/icon.txt"
check "window icon: a square picture with transparent corners around an opaque card" python3 - "$work/icon.txt" <<'EOF'
import sys
text = open(sys.argv[1]).read()
if "=" not in text:
    sys.exit("no _NET_WM_ICON: " + text.strip())
values = [int(v) for v in text.split("=", 1)[1].replace(",", " ").split()]
w, h, pixels = values[0], values[1], values[2:]
print("   icon %d x %d" % (w, h))
if w != h or w < 32 or len(pixels) < w * h:
    sys.exit("icon of %d x %d with %d pixels" % (w, h, len(pixels)))
alpha = [p >> 24 for p in pixels[:w * h]]
opaque = sum(a == 255 for a in alpha)
corners = [alpha[0], alpha[w - 1], alpha[(h - 1) * w], alpha[h * w - 1]]
# The card covers a little under half the square; the rest is see-through.
if any(corners) or not 0.3 * w * h < opaque < 0.6 * w * h:
    sys.exit("corner alphas %s, %d of %d pixels opaque" % (corners, opaque, w * h))
EOF

kill -TERM "$game"
await_exit "$game" 30 && game=""
check "the game ends with status 0 on SIGTERM" test "$status" = 0

summary
