#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Vexo needs.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev ca-certificates zlib1g-dev
  unicode-data
  fonts-arphic-uming
  xvfb xauth
  clang-format clang libclang-rt-14-dev
  curl python3
  desktop-file-utils appstream help2man dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
