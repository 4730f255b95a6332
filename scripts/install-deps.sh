#!/bin/sh
# Installs the Debian 12 packages TavroDesk needs to build, run and test, each with its reason.
set -eu
PACKAGES=$(sed -e 's/#.*//' <<'LIST'
cmake                     # build: the build system
ninja-build               # build: the generator scripts/build.sh and the package use
g++                       # build: the compiler
ccache                    # build: keeps rebuilds and the package build short
pkg-config                # build: finds xcb, X11 and wayland-client
clang-format              # build: the code style of .clang-format, run before every commit
qt6-base-dev              # build: Qt Core, Gui, Widgets, Network, Sql, Xml, DBus and Test
qt6-base-dev-tools        # build: moc, uic and rcc
qt6-l10n-tools            # build: lupdate and lrelease for the translations
qt6-tools-dev             # build: the CMake side of lupdate and lrelease (qt_add_translations)
qt6-translations-l10n     # run: Qt's own texts (standard buttons, edit menus) in the user's language
libqt6sql6-sqlite         # run: Qt's SQLite driver for the database
libqt6svg6                # run: draws the SVG theme icons of applications
libxcb1-dev               # build: the X11 window probe
libxcb-res0-dev           # build: the process of an X11 window without _NET_WM_PID
libxcb-screensaver0-dev   # build: X11 idle time
libx11-dev                # build: decodes COMPOUND_TEXT window titles
libsqlite3-dev            # build: the day reads that go through SQLite's own interface
qtkeychain-qt6-dev        # build: passwords and session tokens in the desktop's keyring
libwayland-dev            # build: wayland-client and wayland-scanner for the Wayland sources
wayland-protocols         # build: ext-idle-notify, the Wayland idle protocol
plasma-wayland-protocols  # build: KDE's idle protocol
qt6-wayland               # run: Qt's Wayland platform, for scripts/run.sh on a Wayland desktop
adwaita-icon-theme        # test: application icons resolve from a real theme
hicolor-icon-theme        # run, test: the theme our own icons are installed into
xvfb                      # test: the X server of the X11 and start-up tests
openbox                   # test: a window manager that sets _NET_ACTIVE_WINDOW
xdotool                   # test: focuses windows, moves the mouse, presses keys
xterm                     # test: an X client that sets only WM_NAME as COMPOUND_TEXT
x11-utils                 # test: xprop reads the installed program's window class
x11-xserver-utils         # test: xset starts and ends the X screen saver the lock tests lock with
trayer                    # test: a system tray on Xvfb
dbus                      # test: private session and system buses
imagemagick               # docs: import takes the README's screenshots
tinyproxy                 # test: a real HTTP proxy for the service client
python3                   # test: reads the CSV export back; runs the crash-loss benchmark
at-spi2-core              # test: the accessibility bus the screen-reader walk runs on
python3-pyatspi           # test: walks every window as a screen reader sees it
gnome-shell               # test: the GNOME Shell extension in a headless shell
kwin-wayland              # test: the KWin script in a virtual KWin
weston                    # test: a Wayland compositor without a window source of its own
sway                      # test: the wlroots toplevel protocol and sway's IPC
foot                      # test: a Wayland client that takes the focus under sway
gjs                       # test: runs the GNOME Shell extension's code outside the shell
libglib2.0-bin            # test: gsettings enables the extension before the shell starts
libglib2.0-dev            # build: GIO's headers; GIO enables the GNOME Shell extension in GNOME's settings
qt6-declarative-dev       # test: the KWin script's JavaScript runs in a QJSEngine
gnome-keyring             # test: the Secret Service on a private bus
libsecret-tools           # test: secret-tool reads what the program stored in the keyring
desktop-file-utils        # test: desktop-file-validate on the menu and autostart entries
appstream                 # test: appstreamcli validates the metainfo
file                      # test: checks the installed icons' sizes
tzdata                    # test: exports across a daylight saving change
sqlite3                   # bench: the shell whose read times the benchmarks compare against
dpkg-dev                  # package: dpkg-buildpackage, dpkg-buildflags
debhelper                 # package: builds debian/ with dh and its cmake support
lintian                   # package: holds the package to Debian's rules
clang-14                  # fuzz: the fuzz targets' compiler
libclang-rt-14-dev        # fuzz: libFuzzer, ASan and UBSan
LIST
)
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
