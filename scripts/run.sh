#!/usr/bin/env bash
# Sets up, builds and runs the client against the bundled scripted game
# server (mjserver) and replacement hall (mjhall).
#
# With a display the table window opens and the client runs until it ends
# (close it with its exit button, or Ctrl-C here). Without a display the
# client runs on Qt's offscreen platform, once at 1024x768 and once at
# 800x600, and saves a screenshot of the table window each time into the
# folder it names at the end.
set -euo pipefail
if [ $# -gt 0 ]; then
  echo "$(basename "$0") takes no arguments (given: $*); nothing was run." >&2
  exit 2
fi
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${MJ_RUN_BUILD_DIR:-$here/build}"

"$here/scripts/setup.sh"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMJ_TESTS=OFF
fi
cmake --build "$build"
# Our own quick phrases and rules text beside the client; the chat filter's
# names are the deployment's, so an existing filtchat.ini stays.
cp "$here/scripts/chat.ini" "$here/scripts/rule.ini" "$build/"
[ -f "$build/filtchat.ini" ] || cp "$here/scripts/filtchat.ini" "$build/"

# The run's temporary folder: the tools' output, the hall link's socket, the
# instance lock. It goes when the script ends; the client's logs stay in the
# build folder (see below).
work="$(mktemp -d)"
export TMPDIR="$work"          # the hall link's sockets live here
export MJ_INSTANCE_LOCK="$work/instance.lock"
# The web panels' engine refuses to run sandboxed as root.
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
title="琼蔚山庄"
pids=()
# Ends the server and the hall this script started; the hall's client ends
# with the hall.
stop_tools() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
}
trap 'stop_tools; rm -rf "$work"' EXIT

# The port a tool started as $work/NAME.out prints on its first line; ends
# the script, with what the tool said, when none comes within 10 s.
listening_port() {
  local name="$1" what="$2" port=""
  for _ in $(seq 1 100); do
    port="$(sed -n 's/^listening //p' "$work/$name.out" 2>/dev/null || true)"
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { echo "$what did not start" >&2; cat "$work/$name.err" >&2; exit 1; }
  echo "$port"
}

run_once() {
  local size="$1"
  "$build/mjserver" "$here/scripts/demo-server.txt" > "$work/server.out" 2> "$work/server.err" &
  pids+=($!)
  local port
  port="$(listening_port server "the game server")"
  # The video relay on a free port, with the other three seats of the demo
  # as its test peers: one that wants sparse video, two that want every frame.
  "$build/mjrelay" --port 0 --peer wang:sparse --peer li --peer zhao > "$work/relay.out" 2> "$work/relay.err" &
  pids+=($!)
  local relay_port
  relay_port="$(listening_port relay "the video relay")"
  export MJ_VIDEO_RELAY_PORT="$relay_port"
  # The hall's fifteen fields: account, credential, server, port, room,
  # proxy type 0 (direct), proxy host and port, user, password, auto mode 1
  # (the client plays its own turns when the turn clock runs out, as the
  # demonstration's hand expects), the hall's title, the caption, props off,
  # plug-in value.
  local line="player1\$secret\$127.0.0.1\$$port\$一号房间\$0\$127.0.0.1\$1080\$\$\$1\$$title\$霁川杠兹\$0\$0\$"
  if [ -n "$size" ]; then
    # The client prints through the hall (the hall's stderr), into a log of
    # its window size in the build folder that the next run replaces.
    MJ_SCREEN_SIZE="$size" "$build/mjhall" --title "$title" --exec "$build/mjtable" --line "$line" \
      > "$work/hall.out" 2> "$build/client-$size.log" < /dev/null &
  else
    "$build/mjhall" --title "$title" --exec "$build/mjtable" --line "$line"
    return
  fi
  pids+=($!)
}

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "Starting the client through the hall (close the table window to end)."
  run_once ""
  exit 0
fi

shots="$here/screenshots"
mkdir -p "$shots"
# The client keeps a screenshot of each moment of the demonstration's hand;
# the settlement sheet over the table comes last.
moments="dealt offer bubble meld shown settled"
export QT_QPA_PLATFORM=offscreen MJ_SCREENSHOT_DIR="$shots" MJ_SCREENSHOT_MOMENTS="${moments// /,}"
# No camera without a display: the own video shows the moving test pattern.
export MJ_VIDEO_SOURCE="${MJ_VIDEO_SOURCE:-pattern}"
for size in 1024x768 800x600; do
  for m in $moments; do rm -f "$shots/table-$size-$m.png"; done
  run_once "$size"
  for _ in $(seq 1 1800); do
    [ -f "$shots/table-$size-settled.png" ] && break
    sleep 0.1
  done
  if [ ! -f "$shots/table-$size-settled.png" ]; then
    echo "no screenshot at $size; the client said:" >&2
    cat "$build/client-$size.log" >&2
    exit 1
  fi
  echo "At $size the hall saw:"; sed 's/^/  /' "$work/hall.out"
  stop_tools
done
echo "Screenshots of the table window in $shots:"
for size in 1024x768 800x600; do
  for m in $moments; do echo "  table-$size-$m.png"; done
done
echo "What the client printed: $build/client-1024x768.log, $build/client-800x600.log"
