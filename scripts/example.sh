#!/usr/bin/env bash
# Sets up and builds, then calculates an example sheet with the simulated
# host: ./scripts/example.sh [SHEET] (default examples/option.sheet).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/host/xlhost "${1:-examples/option.sheet}"
