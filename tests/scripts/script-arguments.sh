#!/usr/bin/env bash
# The scripts' arguments: ./scripts/test.sh fails, saying so, when its
# selection runs no test (a mistyped name) and passes when it runs one;
# ./scripts/run.sh takes none and stops when given one, before it sets
# anything up, while without one it goes on.
# Argument: the source folder.
set -euo pipefail
src="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The two scripts as they are, with stand-ins: a set-up that notes that it
# ran, a cmake whose build step does nothing and whose configure step ends
# the script (status 3), and a configured build folder holding one test.
mkdir -p "$work/tree/scripts" "$work/bin" "$work/build" "$work/xdg"
cp "$src/scripts/test.sh" "$src/scripts/run.sh" "$work/tree/scripts/"
printf '#!/bin/sh\necho ran >> "%s"\n' "$work/setup-ran" > "$work/tree/scripts/setup.sh"
printf '#!/bin/sh\n[ "$1" = --build ] && exit 0\nexit 3\n' > "$work/bin/cmake"
chmod +x "$work/tree/scripts/setup.sh" "$work/bin/cmake"
touch "$work/build/build.ninja"
echo 'add_test([=[Probe.Passes]=] "/bin/true")' > "$work/build/CTestTestfile.cmake"
export PATH="$work/bin:$PATH" XDG_RUNTIME_DIR="$work/xdg"

# Runs a script; its status in $status, its output in $out.
run() {
  status=0
  out="$("$@" 2>&1)" || status=$?
}

run env MJ_TEST_BUILD_DIR="$work/build" bash "$work/tree/scripts/test.sh" -R Probe.Passes
[ "$status" -eq 0 ] || fail "a selection that runs a test failed (status $status): $out"
case "$out" in *"1 tests passed"*|*"100% tests passed"*) ;; *) fail "the test did not run: $out" ;; esac

run env MJ_TEST_BUILD_DIR="$work/build" bash "$work/tree/scripts/test.sh" -R NoSuchTest
[ "$status" -ne 0 ] || fail "a selection that runs no test passed: $out"
case "$out" in *"No tests were found"*) ;; *) fail "no clear message for a selection that runs no test: $out" ;; esac

rm -f "$work/setup-ran"
run env MJ_RUN_BUILD_DIR="$work/run-build" bash "$work/tree/scripts/run.sh" --size 800x600
[ "$status" -ne 0 ] || fail "run.sh given an argument ended well: $out"
case "$out" in *"takes no arguments"*) ;; *) fail "run.sh did not say that it takes no arguments: $out" ;; esac
[ ! -e "$work/setup-ran" ] || fail "run.sh given an argument went on to set up: $out"

run env MJ_RUN_BUILD_DIR="$work/run-build" bash "$work/tree/scripts/run.sh"
[ "$status" -eq 3 ] && [ -e "$work/setup-ran" ] || fail "run.sh without arguments did not go on to set up and configure (status $status): $out"
echo "passed"
