#!/usr/bin/env bash
# Tries Vexo without the internet: starts the mock web on 127.0.0.1 and Vexo
# pointed at it through the connect-to map, in a temporary program folder.
# Track the keyword 中文 to see targets arrive. Usage: tools/demo.sh [--https]
# [SECONDS] (SECONDS only for the command-line run, when no window program was
# built). With --https the mock web serves its sites over TLS, its plain
# addresses redirecting there, and Vexo trusts its certificate authority
# through VEXO_CA_FILE.
set -euo pipefail
web_args=()
if [ "${1:-}" = --https ]; then
  shift
  https=1
fi
cd "$(dirname "$0")/.."
build=${VEXO_BUILD:-build}
if [ ! -x "$build/cli/vexo-mockweb" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target vexo-mockweb vexo-cli -j 2
fi
tmp=$(mktemp -d)
cleanup() {
  [ -n "${web_pid:-}" ] && kill "$web_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
if [ -n "${https:-}" ]; then
  web_args=(--https --ca-file "$tmp/ca.pem")
  export VEXO_CA_FILE="$tmp/ca.pem"
fi
"$build/cli/vexo-mockweb" "${web_args[@]}" >"$tmp/map" &
web_pid=$!
for _ in $(seq 50); do [ -s "$tmp/map" ] && break; sleep 0.1; done
VEXO_CONNECT_TO=$(head -n 1 "$tmp/map")
export VEXO_CONNECT_TO
export VEXO_HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config"
mkdir -p "$VEXO_HOME" "$XDG_CONFIG_HOME"
echo "mock web: $VEXO_CONNECT_TO"
if [ -n "${https:-}" ]; then echo "trusted CA: $VEXO_CA_FILE"; fi
if [ -x "$build/shell/vexo" ]; then
  "$build/shell/vexo"
else
  "$build/cli/vexo-cli" track 中文 --seconds "${1:-10}"
fi
