#!/usr/bin/env bash
# Shared by run.sh and test.sh: install the Debian packages that are missing,
# configure the build tree and build it. Safe to run any number of times.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libusb-1.0-0-dev libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  libsigrokdecode-dev libzip-dev sigrok-cli
  xvfb xauth fonts-dejavu-core
  librsvg2-bin desktop-file-utils appstream dpkg-dev
  clang-format
)

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

install_missing() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing: $missing"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: $missing" >&2; exit 1; }
    sudo="sudo"
  fi
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

build_dir=${1:?build directory}
shift
top=$(cd "$(dirname "$0")/.." && pwd)

install_missing

cmake_args=(-S "$top" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release)
if [ -n "${OXBOW_SANITIZE:-}" ]; then
  cmake_args+=("-DOXBOW_SANITIZE=$OXBOW_SANITIZE")
fi
cmake "${cmake_args[@]}" "$@"
cmake --build "$build_dir" -j "${OXBOW_JOBS:-2}"
