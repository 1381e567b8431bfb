#!/usr/bin/env bash
# Sets up a fresh machine, builds Vexo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"
if [ -x build/shell/vexo ]; then
  exec build/shell/vexo "$@"
fi
exec build/cli/vexo-cli --help
