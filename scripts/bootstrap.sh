#!/usr/bin/env bash
# Installs the Debian packages the build, tests, benchmarks and fuzz targets need; a no-op when all are present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libpugixml-dev libcurl4-openssl-dev libwslay-dev libssl-dev libsqlite3-dev sqlite3 libcpp-httplib-dev libmicrohttpd-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-websockets openssl ca-certificates
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "bootstrap: installing ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
