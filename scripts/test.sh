#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every test on Qt's offscreen platform. Fails on any test failure or
# sanitizer report.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${MJ_TEST_BUILD_DIR:-$here/build-asan}"

"$here/scripts/setup.sh"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMJ_SANITIZE=ON
fi
cmake --build "$build"

export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  # A runtime folder of this run's own, removed when the run ends.
  XDG_RUNTIME_DIR="$(mktemp -d)"
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
# Any sanitizer report fails the test that caused it. Leaks inside the system's
# own libraries (fontconfig, the GL stack) are not ours to fix.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$here/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

cd "$build"
# A selection that runs no test (a mistyped name) fails: ctest says "No tests
# were found!!!".
ctest --output-on-failure --no-tests=error -j "$(nproc)" "$@"
