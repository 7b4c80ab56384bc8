#!/usr/bin/env bash
# Installs what is missing (Debian 12; the package lists are in prereqs.sh),
# then configures and builds into build/:
# ./scripts/setup.sh [TARGET...] builds only those targets (default: all
# but the benchmarks, which scripts/bench.sh builds by name). ZR_JOBS names
# the build jobs (default: one per core).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${ZR_JOBS:-$(nproc)}
. scripts/prereqs.sh
prereqs_need linux
prereqs_install setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build -j"$jobs" --target "$@"
else
  cmake --build build -j"$jobs"
fi
