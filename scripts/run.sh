#!/usr/bin/env bash
# Sets up, builds and runs the client against the bundled scripted server and
# replacement hall.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${MJ_RUN_BUILD_DIR:-$here/build}"

"$here/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMJ_TESTS=OFF
fi
cmake --build "$build"

echo "Built $build/mjtable. The client cannot start yet: start-up from the hall is not built."
