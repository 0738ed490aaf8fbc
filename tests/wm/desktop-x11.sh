#!/usr/bin/env bash
# The X11 desktop sources against a real X server: a private Xvfb with openbox, the pointer moved
# by xdotool. Runs the X11 tests of the test program there.
#   bash tests/wm/desktop-x11.sh <quillet_tests binary>
set -euo pipefail
tests=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

start_x_with_wm 1024x768
# The sources keep their own X connection; Qt itself stays off screen.
export QT_QPA_PLATFORM=offscreen
"$tests" --gtest_filter='X11*' --gtest_brief=1
