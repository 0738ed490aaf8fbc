#!/usr/bin/env bash
# Installs what Quillet needs to build, run and be tested, from Debian's packages. Only what is
# missing is installed; with sudo when not run as root.
set -euo pipefail

packages=(
    # build
    g++ cmake ninja-build pkg-config clang-format
    qt6-base-dev libglib2.0-dev libjpeg62-turbo-dev libsndfile1-dev libpulse-dev libfontconfig-dev
    libxcb-sync-dev libxcb-xfixes0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # run: the one font every window uses, the X11 platform
    fonts-dejavu-core libqt6gui6
    # Qt's German catalogue: the tests check the program's own German texts of Qt's dialogs
    # against it
    qt6-translations-l10n
    # tests and measurements: a private sound server, a virtual X server with a window manager,
    # a hand on its pointer, screenshots, private mount namespaces (util-linux's unshare)
    pulseaudio pulseaudio-utils xvfb xauth x11-utils openbox xdotool imagemagick dbus dbus-daemon util-linux
    # the desktop's services stood in for on private buses, and GNOME's settings tool
    python3-dbusmock libglib2.0-bin
    # the desktops themselves: XFCE's window manager, panel and a terminal to type into; GNOME's
    # compositor with XWayland, its settings in dconf, and Python's GObject bindings to reach it
    xfwm4 xfce4-panel xterm mutter xwayland gsettings-desktop-schemas dconf-gsettings-backend python3-gi
    # the record of breaks (SQLite) and its command-line reader for tests
    libsqlite3-dev sqlite3
    # what a screen reader sees (the accessibility bus and its Python client), two monitors, an
    # XEmbed tray for the status icon
    at-spi2-core python3-pyatspi x11-xserver-utils trayer
    # what a screen reader says: Orca, speaking through speech-dispatcher (into a file)
    orca speech-dispatcher
    # the generators of pictures and narration
    sox libsox-fmt-base espeak-ng pngquant
    # the Debian package and its checks (scripts/package.sh)
    dpkg-dev file desktop-file-utils appstream lintian
    # the fuzz targets (clang with libFuzzer) and the soak runs at a faster clock
    clang libclang-rt-dev libfaketime faketime
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
