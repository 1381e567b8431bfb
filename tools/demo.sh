#!/usr/bin/env bash
# Tries Vexo without the internet: starts the mock web on 127.0.0.1 and Vexo
# pointed at it through the connect-to map, in a temporary program folder.
# Track the keyword 中文 to see targets arrive. Usage: tools/demo.sh [--https |
# --today] [--proxy | --socks-proxy] [SECONDS] (SECONDS only for the command-line run,
# when no window program was built). With --https the mock web serves its
# sites over TLS, its plain addresses redirecting there, and Vexo trusts its
# certificate authority through VEXO_CA_FILE. With --proxy (an HTTP proxy) or
# --socks-proxy (SOCKS5, names resolved by the proxy) every request goes
# through a local proxy, vexo-proxy: Vexo is given no connect-to map, only the
# proxy (http_proxy, https_proxy, all_proxy), and the proxy sends the sites'
# names to the mock web, so the targets are the same as without. With --today
# the mock serves today's web instead (https only) and Vexo asks today's
# sources: track 手机 and the targets link to the mock's sites, not to the
# engines.
set -euo pipefail
web_args=()
proxy=
while [ $# -gt 0 ]; do
  case "$1" in
    --https) https=1 ;;
    --today) https=1 today=1 ;;
    --proxy) proxy=http ;;
    --socks-proxy) proxy=socks ;;
    *) break ;;
  esac
  shift
done
cd "$(dirname "$0")/.."
build=${VEXO_BUILD:-build}
if [ ! -x "$build/cli/vexo-mockweb" ] || [ ! -x "$build/cli/vexo-proxy" ]; then
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target vexo-mockweb vexo-proxy vexo-cli -j 2
fi
tmp=$(mktemp -d)
cleanup() {
  [ -n "${web_pid:-}" ] && kill "$web_pid" 2>/dev/null || true
  [ -n "${proxy_pid:-}" ] && kill "$proxy_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
keyword=中文
if [ -n "${today:-}" ]; then
  web_args=(--today --ca-file "$tmp/ca.pem")
  export VEXO_CA_FILE="$tmp/ca.pem" VEXO_SOURCES=current
  keyword=手机
elif [ -n "${https:-}" ]; then
  web_args=(--https --ca-file "$tmp/ca.pem")
  export VEXO_CA_FILE="$tmp/ca.pem"
fi
"$build/cli/vexo-mockweb" "${web_args[@]}" >"$tmp/map" &
web_pid=$!
for _ in $(seq 50); do [ -s "$tmp/map" ] && break; sleep 0.1; done
VEXO_CONNECT_TO=$(head -n 1 "$tmp/map")
export VEXO_CONNECT_TO
echo "mock web: $VEXO_CONNECT_TO"
if [ -n "$proxy" ]; then
  proxy_args=()
  [ "$proxy" = socks ] && proxy_args=(--socks5)
  "$build/cli/vexo-proxy" "${proxy_args[@]}" >"$tmp/proxy" &
  proxy_pid=$!
  for _ in $(seq 50); do [ -s "$tmp/proxy" ] && break; sleep 0.1; done
  proxy_url=$(head -n 1 "$tmp/proxy")
  # socks5h: the proxy resolves the names, through the mock web's map.
  [ "$proxy" = socks ] && proxy_url="socks5h://${proxy_url#socks5://}"
  # Only the proxy knows the map; nothing of the caller's environment may
  # send a request elsewhere.
  unset VEXO_CONNECT_TO HTTPS_PROXY ALL_PROXY no_proxy NO_PROXY
  export http_proxy=$proxy_url https_proxy=$proxy_url all_proxy=$proxy_url
  echo "proxy: $proxy_url"
fi
export VEXO_HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config"
mkdir -p "$VEXO_HOME" "$XDG_CONFIG_HOME"
if [ -n "${https:-}" ]; then echo "trusted CA: $VEXO_CA_FILE"; fi
if [ -x "$build/shell/vexo" ]; then
  echo "type $keyword and press Track"
  "$build/shell/vexo"
else
  "$build/cli/vexo-cli" track "$keyword" --seconds "${1:-10}"
fi
