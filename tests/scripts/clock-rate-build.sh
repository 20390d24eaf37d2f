#!/usr/bin/env bash
# Only a build made for the tests honours MJ_CLOCK_RATE: the build that
# ./scripts/run.sh configures compiles the client's clock without the switch
# that reads the variable, this build (made for the tests) compiles it with
# the switch, and the clock compiled without it runs at rate 1 whatever the
# variable says.
# Arguments: the source folder, this build folder, the probe program.
set -euo pipefail
src="$1" build="$2" probe="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# run.sh itself, with stand-ins: the set-up installs nothing, cmake
# configures the real source into the work folder, and the build step ends
# the script (status 3).
mkdir -p "$work/tree/scripts" "$work/bin"
cp "$src/scripts/run.sh" "$work/tree/scripts/"
printf '#!/bin/sh\nexit 0\n' > "$work/tree/scripts/setup.sh"
real_cmake="$(command -v cmake)"
cat > "$work/bin/cmake" <<EOF
#!/usr/bin/env bash
[ "\$1" = --build ] && exit 3
args=()
while [ \$# -gt 0 ]; do
  if [ "\$1" = -S ]; then args+=(-S "$src"); shift 2; else args+=("\$1"); shift; fi
done
exec "$real_cmake" "\${args[@]}"
EOF
chmod +x "$work/tree/scripts/setup.sh" "$work/bin/cmake"
status=0
MJ_RUN_BUILD_DIR="$work/build" PATH="$work/bin:$PATH" bash "$work/tree/scripts/run.sh" \
  > "$work/run.log" 2>&1 || status=$?
[ "$status" -eq 3 ] || { cat "$work/run.log" >&2; fail "run.sh did not configure and go on to build (status $status)"; }

# The compile command of the client's clock (the client's library's object).
clock_command() {
  grep -F 'mjcore.dir/platform/Clock.cpp.o' "$1/compile_commands.json" || fail "no compile command of the clock in $1"
}
player="$(clock_command "$work/build")"
tests="$(clock_command "$build")"
case "$player" in *-DMJ_HONOUR_CLOCK_RATE*) fail "the client run.sh builds reads MJ_CLOCK_RATE" ;; esac
case "$tests" in *-DMJ_HONOUR_CLOCK_RATE*) ;; *) fail "the build made for the tests does not read MJ_CLOCK_RATE" ;; esac

# The clock compiled without the switch, with the variable set.
expected="rate 1, a 4000-ms pause takes 4000 ms"
for rate in 4 100; do
  seen="$(MJ_CLOCK_RATE=$rate "$probe")"
  [ "$seen" = "$expected" ] || fail "with MJ_CLOCK_RATE=$rate the clock says \"$seen\", not \"$expected\""
done
echo "passed"
