#!/usr/bin/env bash
# Installs the Debian packages the project needs, then configures and builds it
# into ./build. Run from anywhere; safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev libqt6opengl6-dev
  libsqlite3-dev sqlite3
  mdbtools mdbtools-dev
  libsodium-dev libicu-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  poppler-utils
  python3
  nodejs
  nlohmann-json3-dev
  fonts-dejavu-core
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  # Through env: sudo drops the caller's environment.
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The second, independent reader of Jet files that tests check written files
# with (npm, pinned by the lock file); Debian's nodejs brings npm with it or as
# a package of its own.
if ! command -v npm >/dev/null 2>&1; then
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends npm
fi
npm ci --prefix "$here/tests/tools/mdb-reader" --no-audit --no-fund --loglevel=error

cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$here/build" -j "$(nproc)"
