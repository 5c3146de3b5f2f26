#!/usr/bin/env bash
# Serves a folder with nginx on 127.0.0.1 for the tests: a scratch folder
# holds the generated config, pid file, logs and temporary paths; nginx
# runs in the foreground and is announced ("PID PORT") through the ready
# file. The test ends it by that pid; the scratch folder goes with it.
#
#   nginx_server.sh --root DIR --ready-file PATH
set -euo pipefail

root=""
ready=""
while (($#)); do
  case $1 in
    --root) root=$2; shift 2 ;;
    --ready-file) ready=$2; shift 2 ;;
    *) echo "nginx_server.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ -n $root && -n $ready ]] || { echo "usage: $0 --root DIR --ready-file PATH" >&2; exit 2; }
root=$(cd "$root" && pwd)

scratch=$(mktemp -d /tmp/vq-nginx.XXXXXX)
nginx_pid=""
cleanup() {
  if [[ -n $nginx_pid ]]; then kill -TERM "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 0' TERM INT

free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Temporary paths only for the modules this nginx has.
built=$(nginx -V 2>&1)
temp_paths="client_body_temp_path $scratch/body;"
for module in proxy fastcgi uwsgi scgi; do
  if [[ $built != *"--without-http_${module}_module"* ]]; then
    temp_paths+=" ${module}_temp_path $scratch/$module;"
  fi
done
user_line=""
if [[ $(id -u) == 0 ]]; then user_line="user root;"; fi

for attempt in 1 2 3 4 5; do
  port=$(free_port)
  cat > "$scratch/nginx.conf" <<CONF
$user_line
worker_processes 4;
pid $scratch/nginx.pid;
error_log $scratch/error.log;
events { worker_connections 128; }
http {
  access_log $scratch/access.log;
  $temp_paths
  default_type application/octet-stream;
  sendfile on;
  keepalive_timeout 60s;
  server {
    listen 127.0.0.1:$port;
    root $root;
    location / { }
  }
}
CONF
  rm -f "$scratch/nginx.pid"
  nginx -p "$scratch" -c "$scratch/nginx.conf" -e "$scratch/error.log" -g 'daemon off;' &
  nginx_pid=$!
  # The pid file is written once the listening socket is bound.
  for _ in $(seq 1 200); do
    if [[ -s $scratch/nginx.pid ]] || ! kill -0 "$nginx_pid" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if [[ -s $scratch/nginx.pid ]] && kill -0 "$nginx_pid" 2>/dev/null; then
    printf '%d %d\n' "$nginx_pid" "$port" > "$ready.tmp"
    mv "$ready.tmp" "$ready"
    wait "$nginx_pid" || true
    nginx_pid=""
    exit 0
  fi
  wait "$nginx_pid" 2>/dev/null || true
  nginx_pid=""
done
echo "nginx_server.sh: nginx did not start" >&2
cat "$scratch/error.log" >&2 || true
exit 1
