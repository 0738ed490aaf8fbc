#!/usr/bin/env bash
# Makes every picture and narration file in data/ (and the window pictures in app/design/)
# anew: the picture generator, then the narration generator. Both check their output.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/pictures/generate.sh
bash tools/narration/generate.sh
