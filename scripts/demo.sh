#!/usr/bin/env bash
# Installs what is needed, builds `flummel` and renders the built-in demo through the effect:
# a tempo-synced 1/8 loop with feedback and an LFO-swept filter, plus a picture of the waveforms.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target flummel
./build/host/flummel/flummel render "${1:-flummel-demo.wav}" --tempo 120 \
  --set "Host Tempo=1" --set "Beat Divisor=1/8" --set Feedback=55 \
  --set "Filter Type=1.6" --set "Filter LFO Amount=1.5" --set "LFO Host Tempo=1" \
  --plot "${2:-flummel-demo.png}"
