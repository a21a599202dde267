#!/usr/bin/env bash
# A throwaway PostgreSQL 15 for the tests: its own folder, a Unix socket there and no TCP.
#   test-server.sh start DIR   starts it (initdb on first use) and waits until it answers
#   test-server.sh halt DIR    stops it by its own pid file and keeps its data for a start
#   test-server.sh stop DIR    halts it and removes DIR
# The superuser "postgres" logs in with the experiment database's password, so that the
# tests can also see a wrong password refused.
set -euo pipefail
action=${1:?start or stop}
dir=${2:?folder of the server}
bin=/usr/lib/postgresql/15/bin
password='KvNp_*R*_z'

as_server_user() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

start() {
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    printf '%s\n' "$password" >"$dir/pwfile"
    if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir/pwfile"; fi
    as_server_user "$bin/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pwfile" \
      --auth=scram-sha-256 --no-sync -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    rm -f "$dir/pwfile"
  fi
  if [ -f "$dir/data/postmaster.pid" ] && kill -0 "$(head -1 "$dir/data/postmaster.pid")" 2>/dev/null; then
    return 0
  fi
  as_server_user "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 60 \
    -o "-k $dir -c listen_addresses= -F -c max_connections=200" start >/dev/null
}

halt() {
  local pidfile="$dir/data/postmaster.pid"
  if [ -f "$pidfile" ]; then
    local pid
    pid=$(head -1 "$pidfile")
    kill -INT "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
}

stop() {
  halt
  rm -rf "$dir"
}

"$action"
