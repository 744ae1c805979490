#!/usr/bin/env bash
# `make run` without a display serves the window over VNC. Nothing it starts may listen
# on an address other than loopback: the session behind that screen is logged in.
set -euo pipefail
run_host=$1
host=$2
work=$(mktemp -d)
trap 'kill "$runner" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

port=$((20000 + RANDOM % 20000))

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TAVREL_VNC_PORT=$port \
  setsid bash "$run_host" "$host" "$work/demo.sqlite" >"$work/out" 2>&1 &
runner=$!

for _ in $(seq 1 300); do
  ss -ltnH "sport = :$port" | grep -q . && break
  sleep 0.1
done

# Every listening socket of every process that run-host started.
pids=$(pgrep -s "$(ps -o sid= -p "$runner" | tr -d ' ')" | paste -sd'|')
sockets=$(ss -ltnpH | grep -E "pid=($pids)," || true)
echo "$sockets"
if ! grep -q ":$port " <<<"$sockets"; then
  echo "FAIL: nothing serves the window on port $port"; cat "$work/out"; exit 1
fi
if awk '{print $4}' <<<"$sockets" | grep -vE '^(127\.[0-9.]+|\[::1\]):[0-9]+$'; then
  echo "FAIL: a socket listens beyond loopback"; exit 1
fi
# run-host prints the hint once it has seen the port listen, which may be a moment after we did.
for _ in $(seq 1 100); do
  grep -q "127.0.0.1:$port" "$work/out" && break
  sleep 0.1
done
grep -q "127.0.0.1:$port" "$work/out" || { echo "FAIL: no connection hint"; cat "$work/out"; exit 1; }

kill -TERM "$runner"; wait "$runner" 2>/dev/null || true
sleep 0.5
if ss -ltnH "sport = :$port" | grep -q .; then echo "FAIL: VNC server left running"; exit 1; fi
echo "1 passed, 0 failed"
