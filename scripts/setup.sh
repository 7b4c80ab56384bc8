#!/usr/bin/env bash
# Installs what is missing (Debian 12), then configures and builds into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ pkg-config
  libboost-dev libboost-regex-dev libboost-filesystem-dev libboost-system-dev
  libeigen3-dev libsqlite3-dev libffi-dev libgtest-dev libbenchmark-dev
  python3-numpy python3-scipy sqlite3 perl libopenblas-dev liblapacke-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
