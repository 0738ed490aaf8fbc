#!/usr/bin/env bash
# Draws every picture of the program: data/Pictures (start sequence, journeys, figures, yoga
# poses, eye pictures, button icons) and the window design's pictures in app/design; writes
# tools/pictures/manifest.txt and the contact sheet tools/pictures/out/contact-sheet.png, and
# checks the pixel contracts the program relies on.
#
# Usage: bash tools/pictures/generate.sh            everything (data/Pictures is rebuilt)
#        bash tools/pictures/generate.sh --only REGEX --fast
#                                                    just some pictures, quickly (for drawing)
#
# Needs: g++, cmake, Qt 6 (qt6-base-dev; JPEG writing uses Qt's own jpeg plugin), the DejaVu
# fonts. The output is deterministic: running it twice leaves the files unchanged.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${QUILLET_PICTURES_BUILD:-$ROOT/build-pictures}"

generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
    cmake -S "$ROOT/tools/pictures" -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD" --target quillet_picturegen quillet_picturecheck >/dev/null

export LC_ALL=C
if [[ $# -eq 0 ]]; then
    # The folder is made wholly by the generator: start empty, so no stale file survives.
    rm -rf "$ROOT/data/Pictures"
fi
"$BUILD/quillet_picturegen" --root "$ROOT" --sheet "$ROOT/tools/pictures/out/contact-sheet.png" "$@"
if [[ $# -eq 0 ]]; then
    "$BUILD/quillet_picturecheck" "$ROOT/data" "$ROOT/tools/pictures/manifest.txt"
    echo "contact sheet: tools/pictures/out/contact-sheet.png"
fi
