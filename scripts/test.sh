#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite in three legs:
#   1. the Linux build's tests (build/);
#   2. the same tests and a short fuzz run under AddressSanitizer and
#      UndefinedBehaviorSanitizer (build-sanitize/, scripts/sanitize.sh);
#   3. the Windows leg: the 32-bit add-in and its tests under wine, every
#      example sheet against the Linux build's (scripts/windows-test.sh).
# ./scripts/test.sh [--no-sanitize] [--no-windows]   (CI runs all three)
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=1
windows=1
for a in "$@"; do
  case $a in
    --no-sanitize) sanitize=0 ;;
    --no-windows) windows=0 ;;
    *) echo "usage: $0 [--no-sanitize] [--no-windows]" >&2; exit 2 ;;
  esac
done

scripts/setup.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"
if [ "$sanitize" -eq 1 ]; then scripts/sanitize.sh; fi
if [ "$windows" -eq 1 ]; then scripts/windows-test.sh build; fi
scripts/size.sh
