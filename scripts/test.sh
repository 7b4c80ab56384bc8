#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite in three legs:
#   1. the Linux build's tests (build/);
#   2. the same tests and a short fuzz run under AddressSanitizer and
#      UndefinedBehaviorSanitizer (build-sanitize/, scripts/sanitize.sh);
#   3. the Windows leg: the 32-bit add-in and its tests under wine, every
#      example sheet against the Linux build's (scripts/windows-test.sh).
# What the requested legs need from the system is checked before anything is
# built (scripts/prereqs.sh). Each leg builds what it runs (the benchmarks
# are not among it). The output ends with a line per leg (its results and
# minutes, building included) and "N passed, N failed" over all legs: test
# programs, the fuzz run and sheet comparisons; a leg that fails without a
# count counts as one failure.
# ./scripts/test.sh [--no-sanitize] [--no-windows]   (CI runs all three)
set -euo pipefail
cd "$(dirname "$0")/.."
legs=(linux sanitize windows)
for a in "$@"; do
  case $a in
    --no-sanitize) legs=("${legs[@]/sanitize/}") ;;
    --no-windows) legs=("${legs[@]/windows/}") ;;
    *) echo "usage: $0 [--no-sanitize] [--no-windows]" >&2; exit 2 ;;
  esac
done
read -r -a legs <<<"${legs[*]}"

. scripts/prereqs.sh
prereqs_need "${legs[@]}"
note="These lines also cover what ./scripts/example.sh needs."
for leg in "${legs[@]}"; do
  case $leg in
    sanitize) note+="${note:+$'\n'}Or leave out the sanitizer leg: ./scripts/test.sh --no-sanitize" ;;
    windows) note+="${note:+$'\n'}Or leave out the Windows leg (wine, cross compilers, i386, source entries): ./scripts/test.sh --no-windows" ;;
  esac
done
prereqs_install test.sh "$note"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
summary=()
passed=0
failed=0
# leg NAME COMMAND...: runs a leg, its output shown, and counts its results.
leg() {
  local name=$1 start=$SECONDS rc=0 counts p f
  shift
  "$@" 2>&1 | tee "$tmp/$name.log" || rc=$?
  counts=$(perl -ne '
    if (/(\d+) tests? failed out of (\d+)/) { $f += $1; $p += $2 - $1 }
    elsif (/^sheets: (\d+) passed, (\d+) failed/) { $p += $1; $f += $2 }
    elsif (/^fuzz: passed/) { $p++ } elsif (/^fuzz: failed/) { $f++ }
    END { printf "%d %d", $p, $f }' "$tmp/$name.log")
  read -r p f <<<"$counts"
  [ "$rc" -eq 0 ] || [ "$f" -gt 0 ] || f=1
  passed=$((passed + p))
  failed=$((failed + f))
  summary+=("$(printf '%-9s %d passed, %d failed%s, %d min %d s' "$name:" "$p" "$f" \
    "$([ "$rc" -eq 0 ] || echo " (exit $rc)")" $(((SECONDS - start) / 60)) $(((SECONDS - start) % 60)))")
}
linux_leg() { scripts/setup.sh && ctest --test-dir build --output-on-failure -j"$(nproc)"; }
for name in "${legs[@]}"; do
  case $name in
    linux) leg linux linux_leg ;;
    sanitize) leg sanitize scripts/sanitize.sh ;;
    windows) leg windows scripts/windows-test.sh build ;;
  esac
done
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
