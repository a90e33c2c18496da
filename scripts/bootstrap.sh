#!/usr/bin/env bash
# Installs what the build, tests, benchmarks and fuzz targets need: Debian packages, and the browser driver of
# the page's browser test (playwright-core, pinned in tests/browser/package-lock.json, run against Debian's
# chromium). A no-op when everything is present.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libpugixml-dev libcurl4-openssl-dev libwslay-dev libssl-dev libsqlite3-dev sqlite3 libcpp-httplib-dev libmicrohttpd-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-websockets openssl ca-certificates
  chromium
)
# Node.js may come from elsewhere (a newer build on PATH); Debian's serves when there is none.
command -v node > /dev/null || packages+=(nodejs)
command -v npm > /dev/null || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ! -f "$root/tests/browser/node_modules/playwright-core/package.json" ]; then
  echo "bootstrap: installing playwright-core for the browser test"
  # Only the driver: the browser is Debian's chromium, never a download of playwright's own.
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --prefix "$root/tests/browser" --no-audit --no-fund
fi
