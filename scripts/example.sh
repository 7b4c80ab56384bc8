#!/usr/bin/env bash
# Sets up and builds the add-in and the simulated host, then calculates an
# example sheet: ./scripts/example.sh [SHEET] (default examples/option.sheet).
# The install and build output goes to build/example-setup.log.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
log="$PWD/build/example-setup.log"
if ! scripts/setup.sh zr xlhost >"$log" 2>&1; then
  echo "example.sh: setting up or building failed; the whole output is in $log" >&2
  echo "Its last lines:" >&2
  tail -n 15 "$log" >&2
  exit 1
fi
exec build/host/xlhost "${1:-examples/option.sheet}"
