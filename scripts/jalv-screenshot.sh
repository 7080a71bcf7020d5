#!/usr/bin/env bash
# Refreshes docs/flummel-in-jalv.png: runs the jalv test of a build (default build/) under the
# X display in DISPLAY (default :99) and copies the screenshot it takes.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
export DISPLAY="${DISPLAY:-:99}"
cmake --build "$build" --target test_lv2ui
"$build/tests/test_lv2ui" --gtest_filter=Jalv.ItsWindowShowsOurEditor
mkdir -p "$root/docs"
cp "$build/docs/flummel-in-jalv.png" "$root/docs/flummel-in-jalv.png"
echo "docs/flummel-in-jalv.png updated"
