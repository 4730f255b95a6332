#!/bin/sh
# Installs the Debian 12 packages TavroDesk needs to build, run and test.
set -eu
# libglib2.0-dev: GIO, through which the GNOME Shell extension is enabled in GNOME's settings.
PACKAGES="
    cmake ninja-build g++ ccache pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6svg6
    qt6-httpserver-dev qt6-websockets-dev
    libxcb1-dev libxcb-res0-dev libxcb-screensaver0-dev libx11-dev libxcb-ewmh-dev libxcb-icccm4-dev
    adwaita-icon-theme hicolor-icon-theme
    xvfb openbox xdotool xterm x11-apps x11-xserver-utils trayer dbus imagemagick tinyproxy openssl
    python3 python3-dbus
    gnome-shell
    kwin-wayland
    weston
    gjs
    libglib2.0-bin libglib2.0-dev
    qt6-declarative-dev
    qtkeychain-qt6-dev
    gnome-keyring libsecret-tools
    desktop-file-utils appstream dpkg-dev file x11-utils
    tzdata
    libsqlite3-dev
    sqlite3
    libwayland-dev wayland-protocols plasma-wayland-protocols
    sway foot
    qt6-wayland
    clang-14 libclang-rt-14-dev
"
missing=""
for package in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
