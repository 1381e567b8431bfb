#!/usr/bin/env bash
# Checks what a build installs: the desktop entry and the AppStream metainfo
# validate, an installation into a DESTDIR holds exactly the expected files,
# the Debian package holds the same files under /usr, and the vexo-cli taken
# out of the package runs. Usage: tools/check_package.sh [BUILD_FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

app=example.vexo_soft.Vexo
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "check_package: no project version in $build" >&2; exit 1; }

desktop-file-validate "$build/share/applications/$app.desktop"
appstreamcli validate --no-net "$build/share/metainfo/$app.metainfo.xml" >/dev/null

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

{
  echo /usr/bin/vexo
  echo /usr/bin/vexo-cli
  echo "/usr/$libdir/vexo/libvexo-tls.so"
  echo "/usr/share/applications/$app.desktop"
  for size in 16 22 24 32 48 64 128 256; do
    echo "/usr/share/icons/hicolor/${size}x${size}/apps/vexo.png"
  done
  echo /usr/share/man/man1/vexo-cli.1.gz
  echo /usr/share/man/man1/vexo.1.gz
  echo "/usr/share/metainfo/$app.metainfo.xml"
  echo /usr/share/vexo/help.htm
  echo /usr/share/vexo/sources-classic.conf
  echo /usr/share/vexo/sources-current.conf
} | LC_ALL=C sort >"$tmp/expected"

DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >/dev/null
(cd "$tmp/root" && find . ! -type d | sed 's/^\.//' | LC_ALL=C sort) >"$tmp/installed"
diff -u "$tmp/expected" "$tmp/installed"

rm -f "$build"/vexo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/vexo_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "check_package: $deb was not made" >&2; ls "$build"/*.deb >&2 || true; exit 1; }
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's/^\.//' | LC_ALL=C sort >"$tmp/packaged"
diff -u "$tmp/expected" "$tmp/packaged"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' ||
  { echo "check_package: no shared-library dependencies found" >&2; exit 1; }
# OpenSSL is reached only through the TLS module, which the program loads.
dpkg-deb -f "$deb" Depends | grep -q 'libssl3' ||
  { echo "check_package: the TLS module's OpenSSL is not a dependency" >&2; exit 1; }
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ]

dpkg-deb -x "$deb" "$tmp/extracted"
[ "$("$tmp/extracted/usr/bin/vexo-cli" --version)" = "vexo-cli $version" ]
python3 -c 'import ctypes, sys; ctypes.CDLL(sys.argv[1]).vexo_tls_engine_v1' \
  "$tmp/extracted/usr/$libdir/vexo/libvexo-tls.so"
echo "check_package: $(basename "$deb") holds the $(wc -l <"$tmp/expected") expected files"
