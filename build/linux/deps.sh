#!/usr/bin/env bash
# Installs every Debian package the game needs to build, test, measure and
# package.
# Idempotent: packages already present are skipped, apt runs only if needed.
set -euo pipefail

packages=(
    # build
    g++ cmake make pkg-config libsdl2-dev libsdl2-ttf-dev libx11-dev
    # the monitors of an X screen; a Wayland connection the compositor ended
    libxrandr-dev libxinerama-dev libwayland-dev
    # tests
    libgtest-dev xvfb xauth xdotool wmctrl x11-utils x11-xserver-utils imagemagick faketime valgrind
    # window managers the window is tested under (i3 tiles); the Xfce and MATE ones read
    # their settings over a session bus (dbus-run-session), MATE's need its
    # settings schemas
    openbox xfwm4 xfconf dbus-daemon metacity marco mate-settings-daemon-common icewm fluxbox jwm i3-wm
    # a Wayland compositor for the native Wayland session, and the title bar
    # SDL draws there through libdecor
    weston libdecor-0-plugin-1-cairo
    # more Wayland compositors: mutter nested (over a session bus), the tiling
    # sway with its XWayland, run as an unprivileged user (setpriv) and read
    # through its IPC; pgrep finds mutter under its session
    mutter sway xwayland util-linux procps
    # the end-to-end window sync: a frame shown, seen through X's damage reports
    libxdamage-dev
    # benchmarks: the rest probe drives the game through XTest
    libxtst-dev
    # package and its checks: cpack -G DEB with shlibdeps (dpkg-dev, file),
    # validators for the desktop entry, metainfo and man page, python3 for
    # reading the metainfo and the window icon
    dpkg-dev file desktop-file-utils appstream groff-base mandoc python3
    # fuzzing: clang with libFuzzer
    clang libclang-rt-14-dev
    # lint: layout, clang-tidy, shell scripts
    clang-format clang-tidy shellcheck
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
