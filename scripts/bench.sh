#!/usr/bin/env bash
# Measures the client as a player's machine runs it: a release build started
# through the replacement hall against the scripted game server, on Xvfb (on
# Qt's offscreen platform where Xvfb cannot be had). Prints one line a figure;
# it judges nothing. Not run by CI.
#
#   ./scripts/bench.sh            # MJ_BENCH_RUNS start-ups (default 7)
#   MJ_BENCH_HANDS=1000 ./scripts/bench.sh    # a long soak
#
# Figures:
#   start_to_window   median, min and max seconds from starting the hall (which
#                     starts the client) to the table window on the display
#   rss_at_table      resident memory of the client 5 s after its window
#   idle_cpu          share of one core the client used at the table, idle, over
#                     20 s from 12 s after the window (once the caret rests)
#   dispatch_<kind>   CPU time per frame over a burst of 300 frames of a kind,
#                     the idle cost taken off, for the first and the second half
#                     of the burst (a cost that grows with the history shows here)
#   dispatch_hand     the handling of each frame of a whole scripted hand played
#                     in auto mode (the demonstration's hand, its second
#                     playing), timed by the client itself: the main thread's
#                     CPU time per frame (median, 99th percentile, largest),
#                     then by code the frames, the largest CPU time and the
#                     largest wall time (the pauses the game asks for show
#                     in the wall time)
#   soak              resident memory and descriptors after the first, the
#                     middle and the last of MJ_BENCH_HANDS hands (default 5;
#                     1000 or more for a long soak) played in auto mode, with
#                     a relogin before each hand after the first; then their
#                     range over the hands after the first and the memory's
#                     trend per hand
#   video_receive     the client at the demonstration's table mid-hand (after
#                     the first discard, which asks for the others' video),
#                     its own camera the test pattern: the share of one core
#                     it uses while the relay's three test peers send at the
#                     relay's full rate (30 frames a second each), and while
#                     they send nothing; the frames a second the relay passed
#                     on to the client meanwhile, and the difference in CPU
#                     per frame so received
#
#   MJ_BENCH_PARTS="startup dispatch soak video"   the parts to run (all by
#                     default); dispatch takes the idle cost from startup,
#                     0 when startup does not run
#   MJ_BENCH_SETUP=0  does not install missing packages (Xvfb among them)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${MJ_BENCH_BUILD_DIR:-$here/build-bench}"
runs="${MJ_BENCH_RUNS:-7}"
hands="${MJ_BENCH_HANDS:-5}"
parts=" ${MJ_BENCH_PARTS:-startup dispatch soak video} "
part() { [[ "$parts" == *" $1 "* ]]; }

if [ "${MJ_BENCH_SETUP:-1}" != 0 ]; then
  MJ_EXTRA_PACKAGES="xvfb x11-utils ${MJ_EXTRA_PACKAGES:-}" "$here/scripts/setup.sh"
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMJ_TESTS=OFF > /dev/null
fi
cmake --build "$build" > /dev/null

work="$(mktemp -d)"
export TMPDIR="$work"
export MJ_INSTANCE_LOCK="$work/instance.lock"
export MJ_SCREEN_SIZE=1024x768
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
title="琼蔚山庄"
caption="霁川杠兹"
pids=()
xvfb=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
}
finish() {
  cleanup
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

# A display of our own: Xvfb on the first free display number from 90.
if command -v Xvfb > /dev/null && command -v xwininfo > /dev/null; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n" QT_QPA_PLATFORM=xcb; break; fi
    kill "$xvfb" 2>/dev/null || true; xvfb=""
  done
fi
if [ -z "$xvfb" ]; then
  export QT_QPA_PLATFORM=offscreen
  echo "platform offscreen (Xvfb not available): start_to_window counts to the hall's restore"
else
  echo "platform xcb on Xvfb $DISPLAY"
fi

now() { date +%s.%N; }
calc() { awk "BEGIN { print $* }"; }

# Prints the port a tool started with its output in $1 says it listens on;
# $2 names the tool when it does not start.
listening_port() {
  local port=""
  for _ in $(seq 1 100); do
    port="$(sed -n 's/^listening //p' "$1" 2>/dev/null || true)"
    [ -n "$port" ] && break
    sleep 0.05
  done
  [ -n "$port" ] || { echo "$2 did not start" >&2; exit 1; }
  echo "$port"
}

# Starts the server with script $1 and the hall with its client (in auto
# mode when $2 is 1); sets server_out, hall_pid and start_time.
start_table() {
  local script="$1" auto="${2:-0}"
  server_out="$work/server-$RANDOM.out"
  "$build/mjserver" "$script" > "$server_out" 2> "$work/server.err" &
  pids+=($!)
  local port
  port="$(listening_port "$server_out" "the game server")"
  local line="player1\$secret\$127.0.0.1\$$port\$一号房间\$0\$127.0.0.1\$1080\$\$\$$auto\$$title\$$caption\$0\$0\$"
  hall_out="$work/hall-$RANDOM.out"
  start_time="$(now)"
  "$build/mjhall" --title "$title" --exec "$build/mjtable" --line "$line" > "$hall_out" 2> "$work/hall.err" < /dev/null &
  hall_pid=$!
  pids+=("$hall_pid")
}

# Waits for the table window; prints the seconds since start_table.
wait_for_window() {
  for _ in $(seq 1 2000); do
    if [ -n "$xvfb" ]; then
      if xwininfo -root -tree 2>/dev/null | grep -q "\"$caption\""; then break; fi
    elif grep -q '^restore' "$hall_out" 2>/dev/null; then
      break
    fi
    sleep 0.005
  done
  calc "$(now) - $start_time"
}

client_pid() {
  for _ in $(seq 1 100); do
    local p
    p="$(pgrep -P "$hall_pid" -x mjtable | head -1 || true)"
    [ -n "$p" ] && { echo "$p"; return; }
    sleep 0.05
  done
  echo "the client did not start" >&2
  exit 1
}

# CPU time of every thread of a process, in nanoseconds.
cpu_ns() {
  local total=0 t v
  for t in /proc/"$1"/task/*; do
    v="$(cut -d' ' -f1 "$t/schedstat" 2>/dev/null || echo 0)"
    total=$((total + v))
  done
  echo "$total"
}

# ---- Start-up and memory ----------------------------------------------------------
idle_ns_per_s=0
if part startup; then
times=()
for _ in $(seq 1 "$runs"); do
  start_table "$here/scripts/demo-server.txt"
  times+=("$(wait_for_window)")
  cleanup
done
sorted="$(printf '%s\n' "${times[@]}" | sort -g)"
median="$(echo "$sorted" | sed -n "$(( (runs + 1) / 2 ))p")"
printf 'start_to_window median %.3f s min %.3f s max %.3f s (%d runs)\n' \
  "$median" "$(echo "$sorted" | head -1)" "$(echo "$sorted" | tail -1)" "$runs"

# Memory and idle cost at a quiet table: logged in, nothing happening (the
# demonstration script would play its hand meanwhile).
quiet="$work/quiet.txt"
printf 'expect 18\nsend 18 0 0 8 0 1\nwait-close timeout 600\n' > "$quiet"
start_table "$quiet"
wait_for_window > /dev/null
pid="$(client_pid)"
sleep 5
rss_kb="$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")"
printf 'rss_at_table %.1f MB (threads %d, descriptors %d)\n' "$(calc "$rss_kb / 1024")" \
  "$(ls "/proc/$pid/task" | wc -l)" "$(ls "/proc/$pid/fd" | wc -l)"
# Idle once the text caret rests (ten seconds without input after the window).
sleep 7
before="$(cpu_ns "$pid")"
sleep 20
after="$(cpu_ns "$pid")"
idle_ns_per_s="$(( (after - before) / 20 ))"
printf 'idle_cpu %.3f %% of a core\n' "$(calc "$idle_ns_per_s / 10000000")"
cleanup
fi

# ---- The cost of a frame -------------------------------------------------------------
# Each burst follows the first keep-alive (5 s after the login answer); the
# client dispatches one frame a tick, 20 a second.
burst() {
  local kind="$1" frame="$2"
  local script="$work/burst-$kind.txt"
  {
    echo "expect 18"
    echo "send 18 0 0 8 0 1"
    echo "expect 24 timeout 30"
    echo "repeat 300"
    echo "$frame"
    echo "endrepeat"
    echo "wait-close timeout 600"
  } > "$script"
  start_table "$script"
  wait_for_window > /dev/null
  local pid
  pid="$(client_pid)"
  for _ in $(seq 1 700); do grep -q '^recv 24' "$server_out" && break; sleep 0.05; done
  local t0 c0 c1 c2 t1 t2
  t0="$(now)"; c0="$(cpu_ns "$pid")"
  sleep 7.5
  t1="$(now)"; c1="$(cpu_ns "$pid")"
  sleep 8
  t2="$(now)"; c2="$(cpu_ns "$pid")"
  local first second
  first="$(calc "(($c1 - $c0) - $idle_ns_per_s * ($t1 - $t0)) / 150 / 1000000")"
  second="$(calc "(($c2 - $c1) - $idle_ns_per_s * ($t2 - $t1)) / 150 / 1000000")"
  printf 'dispatch_%s first half %.3f ms/frame, second half %.3f ms/frame\n' "$kind" "$first" "$second"
  cleanup
}
if part dispatch; then
  burst seat_names 'send 3 2 0 0 0 0 text:东家'
  burst chat 'send 19 2 0 0 0 0 text:"东家：大家好，今天手气不错，我们再来一局吧"'
fi

# ---- Whole hands ---------------------------------------------------------------------
# The demonstration's session with its hand played `hands` times over: the
# client plays each in auto mode and asks for the next when its countdown
# after the settlement ends. Before every hand after the first the server
# drops the link and the client logs in again (the demonstration's second
# connection, less the keep-alives a seated client no longer sends), so the
# soak covers relogins as well as hands.
demo="$here/scripts/demo-server.txt"
if part soak; then
soak="$work/soak.txt"
awk -v n="$hands" '
  /^connection 2$/ { inconn = 1 }
  /^# ---- the hand ----/ { inconn = 0; inhand = 1 }
  !inconn && !inhand { print; next }
  inconn { conn = conn $0 "\n"; if ($0 !~ /^expect 24/) again = again $0 "\n"; next }
  { body = body $0 "\n" }
  /^expect 16/ {
    printf "%s%s", conn, body
    for (i = 2; i <= n; i++) {
      c = again; sub(/^connection 2\n/, "connection " (i + 1) "\n", c)
      printf "close\n%s%s", c, body
    }
    print "wait-close timeout 3600"; exit
  }
' "$demo" > "$soak"
times_file="$work/dispatch-times.txt"
MJ_DISPATCH_TIMES="$times_file" start_table "$soak" 1
pid="$(client_pid)"
# Waits for the k-th request for the next hand; false when none comes.
wait_for_hand() {
  for _ in $(seq 1 6000); do
    [ "$(grep -c '^recv 16 4 0 0 0 1 ' "$server_out" 2>/dev/null || true)" -ge "$1" ] && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}
# The frames of the hand as the client timed them: CPU per frame, then by code.
hand_figures() {
  awk '
    { code[NR] = $1; wall[NR] = $2; cpu[NR] = $3 }
    END {
      n = NR
      for (i = 1; i <= n; i++) sorted[i] = cpu[i]
      for (i = 2; i <= n; i++) { v = sorted[i]; for (j = i - 1; j >= 1 && sorted[j] > v; j--) sorted[j + 1] = sorted[j]; sorted[j + 1] = v }
      p99 = int(n * 0.99); if (p99 < 1) p99 = 1
      for (i = 1; i <= n; i++) {
        c = code[i]; count[c]++
        if (cpu[i] > cmax[c]) cmax[c] = cpu[i]
        if (wall[i] > wmax[c]) wmax[c] = wall[i]
      }
      by = ""
      for (c = 0; c < 256; c++) if (c in count) by = by sprintf(" %d:%dx/%.1f/%.0f", c, count[c], cmax[c] / 1000, wmax[c] / 1000)
      printf "dispatch_hand %d frames, CPU per frame median %.3f ms, 99th percentile %.3f ms, largest %.3f ms\n",
        n, sorted[int((n + 1) / 2)] / 1000, sorted[p99] / 1000, sorted[n] / 1000
      printf "dispatch_hand by code (code:frames/largest CPU ms/largest wall ms):%s\n", by
    }'
}
rss_samples="$work/soak-rss.txt"
: > "$rss_samples"
played=0
for k in $(seq 1 "$hands"); do
  if ! wait_for_hand "$k"; then
    echo "soak: the client did not finish hand $k" >&2
    break
  fi
  played=$k
  if [ "$k" -eq 1 ]; then from="$(wc -l < "$times_file")"; fi
  if [ "$k" -eq 2 ]; then
    to="$(wc -l < "$times_file")"
    sed -n "$((from + 1)),${to}p" "$times_file" | hand_figures
  fi
  echo "$k $(awk '/^VmRSS/ {print $2}' "/proc/$pid/status") $(ls "/proc/$pid/fd" | wc -l)" >> "$rss_samples"
done
# Memory and descriptors after the first, the middle and the last hand, their
# range over the hands after the first, and the memory's trend per hand (least
# squares over the hands after the first).
awk -v played="$played" '
  { hand[NR] = $1; rss[NR] = $2; fd[NR] = $3 }
  END {
    if (NR == 0) { print "soak no hand finished"; exit }
    mid = int((NR + 1) / 2)
    line = sprintf("soak %d hands, a relogin before each after the first: after hand 1 %.1f MB %d descriptors", played, rss[1] / 1024, fd[1])
    if (NR > 2) line = line sprintf(", hand %d %.1f MB %d descriptors", hand[mid], rss[mid] / 1024, fd[mid])
    if (NR > 1) line = line sprintf(", hand %d %.1f MB %d descriptors", hand[NR], rss[NR] / 1024, fd[NR])
    print line
    if (NR > 2) {
      lo = hi = rss[2]; flo = fhi = fd[2]; sx = sy = sxx = sxy = 0; m = NR - 1
      for (i = 2; i <= NR; i++) {
        if (rss[i] < lo) lo = rss[i]; if (rss[i] > hi) hi = rss[i]
        if (fd[i] < flo) flo = fd[i]; if (fd[i] > fhi) fhi = fd[i]
        sx += hand[i]; sy += rss[i]; sxx += hand[i] * hand[i]; sxy += hand[i] * rss[i]
      }
      slope = (m * sxy - sx * sy) / (m * sxx - sx * sx)
      printf "soak over hands 2..%d: memory %.1f..%.1f MB, trend %+.1f KB a hand; descriptors %d..%d\n", hand[NR], lo / 1024, hi / 1024, slope, flo, fhi
    }
  }' "$rss_samples"
cleanup
fi

# ---- Receiving video ---------------------------------------------------------------
# The demonstration's session up to the hand's first discard, which joins the
# other seats' players, then held there. The relay's test peers sit at those
# seats (wang, li, zhao) and send the moving test pattern at the relay's full
# rate, or nothing; the client sends its own pattern either way, so the
# difference is the cost of receiving.
video_cpu() {
  local rate="$1"
  local relay_out="$work/relay-$rate.out"
  "$build/mjrelay" --port 0 --peer-rate "$rate" --report-sent --peer wang --peer li --peer zhao > "$relay_out" 2> "$work/relay.err" &
  pids+=($!)
  local port
  port="$(listening_port "$relay_out" "the relay")"
  MJ_VIDEO_SOURCE=pattern MJ_VIDEO_RELAY_PORT="$port" start_table "$video_script" 1
  local pid
  pid="$(client_pid)"
  # The peers get the client's frames once it has asked for theirs.
  for _ in $(seq 1 1200); do grep -q '^frame li from player1' "$relay_out" && break; sleep 0.05; done
  grep -q '^frame li from player1' "$relay_out" || { echo "video_receive: no video link" >&2; exit 1; }
  sleep 3
  # The frames the relay passed on to the client (one "sent" line each).
  received() { grep -c '^sent player1 from ' "$relay_out" || true; }
  local t0 c0 f0 t1 c1 f1
  t0="$(now)"; c0="$(cpu_ns "$pid")"; f0="$(received)"
  sleep 10
  t1="$(now)"; c1="$(cpu_ns "$pid")"; f1="$(received)"
  # CPU in ns a second, and frames received a second.
  echo "$(calc "($c1 - $c0) / ($t1 - $t0)") $(calc "($f1 - $f0) / ($t1 - $t0)")"
  cleanup
}
if part video; then
  video_script="$work/video.txt"
  awk '/^# ---- the hand ----/ { inhand = 1 } { print } inhand && /^send 2 / { print "wait-close timeout 600"; exit }' \
    "$demo" > "$video_script"
  full=30 # the relay's frames a second from each sender
  busy_run="$(video_cpu "$full")"
  busy="${busy_run% *}"; fps="${busy_run#* }"
  quiet_run="$(video_cpu 0)"
  quiet_ns="${quiet_run% *}"
  if [ "$(calc "($fps > 0)")" != 1 ]; then
    echo "video_receive: the client received no frames" >&2
    exit 1
  fi
  printf 'video_receive three peers at %d frames/s each: %.2f %% of a core, peers silent %.2f %%, %.1f frames/s received, %.3f ms a frame received\n' \
    "$full" "$(calc "$busy / 10000000")" "$(calc "$quiet_ns / 10000000")" "$fps" \
    "$(calc "($busy - $quiet_ns) / $fps / 1000000")"
fi
