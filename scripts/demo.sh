#!/usr/bin/env bash
# Installs what is needed, builds, and renders the built-in demo phrase through the effect.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target flummel-demo
./build/host/flummel-demo "${1:-flummel-demo.wav}"
