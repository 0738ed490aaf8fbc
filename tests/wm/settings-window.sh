#!/usr/bin/env bash
# The settings window under a window manager (openbox on a private Xvfb): the test
# SettingsWindowOnADesktop.* in the test program, with the real frame of a desktop.
#   bash tests/wm/settings-window.sh <quillet_tests>
set -euo pipefail
tests=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

begin_run menue
start_x_with_wm 1024x768
sanitizer_options

status=0
out=$(XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    QUILLET_WM_DESKTOP=1 "$tests" --gtest_filter='SettingsWindowOnADesktop.*' 2>&1) || status=$?
echo "$out" >&2
if ((status != 0)); then
    exit 1
fi
if ! grep -q '^\[  PASSED  \] 1 test' <<<"$out"; then
    echo "settings-window: the test did not run" >&2
    exit 1
fi

# A window's frame on a screen scaled to 200 %.
status=0
out=$(XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    QT_SCALE_FACTOR=2 QUILLET_WM_DESKTOP=1 "$tests" --gtest_filter='FrameOnAScaledDesktop.*' 2>&1) ||
    status=$?
echo "$out" >&2
if ((status != 0)) || ! grep -q '^\[  PASSED  \] 1 test' <<<"$out"; then
    echo "settings-window: the frame at 200 % is wrong or was not checked" >&2
    exit 1
fi
