#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite: under AddressSanitizer +
# UndefinedBehaviorSanitizer, the threaded tests (names with Stress, Thread or Concurrency) under
# ThreadSanitizer, bounded fuzz runs of the saved-state reader and the LV2 atom readers, then the
# release build.
# Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs=$(nproc)
configure() {  # configure DIR CMAKE-ARGS...
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
build() {  # build DIR CMAKE-ARGS...
  configure "$@"
  cmake --build "$1" -j "$jobs"
}

# Window and GL tests need a display.
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:97
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done 2>/dev/null || true
fi

# Line tables are all the sanitizers' reports need, and quicker to build than full debug information.
build build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DFLUMMEL_SANITIZE=ON -DFLUMMEL_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

# Only the executables that hold threaded tests.
configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" \
  -DFLUMMEL_TSAN=ON -DFLUMMEL_BENCH=OFF
cmake --build build-tsan -j "$jobs" --target test_platform test_framework test_desktop test_gui test_lv2
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -R 'Stress|Thread|Concurren' -j "$jobs")

# The fuzz targets (saved state, LV2 atoms), each run for a bounded time.
CC=clang CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLUMMEL_FUZZ=ON -DFLUMMEL_TESTS=OFF \
  -DFLUMMEL_BENCH=OFF
cmake --build build-fuzz -j "$jobs" --target state_fuzz lv2_atom_fuzz
(cd build-fuzz && ctest --output-on-failure -j "$jobs")

build build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure -j "$jobs")
