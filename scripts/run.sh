#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Quillet and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quillet
exec ./build/quillet "$@"
