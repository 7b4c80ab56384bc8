#!/usr/bin/env bash
# Installs what is missing (Debian 12), then configures and builds into build/:
# ./scripts/setup.sh [TARGET...] builds only those targets (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ pkg-config
  libboost-dev libboost-regex-dev libboost-filesystem-dev libboost-system-dev
  libeigen3-dev libsqlite3-dev libffi-dev libgtest-dev libbenchmark-dev
  python3-numpy python3-scipy python3-mpmath sqlite3 perl libopenblas-dev liblapacke-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    sudo=()
  elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "setup.sh: these packages are missing, and installing them needs root." >&2
    echo "Run this as root, then run this script again:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j"$(nproc)" --target "$@"
else
  cmake --build build -j"$(nproc)"
fi
