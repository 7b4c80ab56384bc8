#!/usr/bin/env bash
# The Windows leg: builds the 32-bit Windows add-in, its host and the test
# programs (scripts/windows.sh --tests), checks that zr.xll is the release
# form a user copies, runs the test programs under wine, then calculates
# every sheet in examples/ and tests/windows/ with xlhost.exe --tsv and
# compares the output with the Linux build's, cell for cell, and with its own
# when the add-in is called at 53 and at 24 bits of x87 precision.
#   ./scripts/windows-test.sh [LINUX_BUILD]   (default: build, as scripts/test.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=${1:-build}
out=$root/build-windows
jobs=${ZR_JOBS:-$(nproc)}

scripts/windows.sh --tests

# The leg tests the file a user copies: no debug sections, its debug
# information named through .gnu_debuglink, at most 10 MiB.
sections=$(i686-w64-mingw32-objdump -h "$out/zr.xll")
if grep -q ' \.debug_' <<<"$sections" || ! grep -q ' \.gnu_debuglink ' <<<"$sections" ||
  [ "$(stat -c %s "$out/zr.xll")" -gt $((10 << 20)) ]; then
  echo "windows-test.sh: $out/zr.xll keeps debug sections, names no debug file or is over 10 MiB" >&2
  exit 1
fi

export WINEDEBUG=-all WINEPREFIX=$out/wine WINEDLLOVERRIDES=mscoree,mshtml=

# Tests that need a display, run below under Xvfb: headless wine has no
# top-level windows, so no function-wizard window can be found.
with_display=(Pool.FrameSkipsTheWorkInTheFunctionWizard)
# Tests that cannot agree on Windows, with the reason.
not_on_windows=(
  # a symbolic-link loop, which Windows (and wine) cannot make as POSIX does
  FileSystemSheet.EveryFunction
  # the stand-in's scripted user name; Windows answers the real one
  FileSystemSheet.WorkingFolderAndUser
)
skip=$(printf '%s|' "${with_display[@]}" "${not_on_windows[@]}")
ctest --test-dir "$out" --output-on-failure -j"$jobs" -E "^(${skip%|})\$"
# A wine server started headless keeps a desktop without windows: each run
# under a display starts its own server, and ends it afterwards.
fresh_wine() { wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; }
shown=$(printf '%s|' "${with_display[@]}")
fresh_wine
xvfb-run -a ctest --test-dir "$out" --output-on-failure -R "^(${shown%|})\$"
fresh_wine

# Sheets: the Linux host's output is the reference.
linux_host=$linux/host/xlhost
if [ ! -x "$linux_host" ] || [ ! -f "$linux/zr.xll" ]; then
  echo "windows-test.sh: no Linux build in $linux (run scripts/test.sh or scripts/setup.sh first)" >&2
  exit 1
fi
linux_host=$(realpath "$linux_host")
linux_xll=$(realpath "$linux/zr.xll")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Beside the examples, a sheet with the function wizard open; the Windows
# host calculates it under a virtual display, where the wizard window exists.
printf '%s\n' 'A1 =bsopt_create(100,100,0.2,0.05,0,1,TRUE)' 'B1 =bsopt_fv(A1)' '!wizard open' '!calc B1' \
  >"$tmp/wizard.sheet"
# The one place the two cannot agree: a folder the add-in reports (the
# working folder) in the platform's own form; wine's form of the folder the
# sheets run in is turned back into the Linux one.
winroot=$(winepath -w "$tmp" 2>/dev/null | tr -d '\r')
winroot_pattern=$(printf '%s' "$winroot" | sed 's/[][\\.*^$|]/\\&/g')
failed=0
passed=0
# Every sheet with each matrix kernel copy the processor runs, pinned in both
# builds: copies may differ in the last bits, the two builds on one copy not.
copies=(baseline)
flags=" $(grep -m1 '^flags' /proc/cpuinfo) "
has() { for f in "$@"; do [[ $flags == *" $f "* ]] || return 1; done; }
has avx2 fma && copies+=(avx2fma)
has avx2 fma avx512f avx512dq avx512vl avx512bw && copies+=(avx512)
for copy in "${copies[@]}"; do for sheet in examples/*.sheet tests/windows/*.sheet "$tmp/wizard.sheet"; do
  export ZR_MATRIX_KERNEL=$copy
  name=$(basename "$sheet" .sheet)
  path=$(realpath "$sheet")
  display=()
  [ "$name" = wizard ] && display=(xvfb-run -a) && fresh_wine
  (cd "$tmp" && "$linux_host" --addin "$linux_xll" --tsv "$path" >"$name.linux" 2>"$name.linux.err") || true
  (cd "$tmp" && "${display[@]}" wine "$out/xlhost.exe" --addin "$out/zr.xll" --tsv "$path" \
    2>"$name.win.raw" | tr -d '\r' >"$name.win") || true
  [ "$name" = wizard ] && fresh_wine
  sed -i "s|$winroot_pattern|$tmp|g" "$tmp/$name.win"
  # xvfb-run's own farewell is not the host's
  tr -d '\r' <"$tmp/$name.win.raw" | grep -v '^X connection to' >"$tmp/$name.win.err" || true
  if cmp -s "$tmp/$name.linux" "$tmp/$name.win" && cmp -s "$tmp/$name.linux.err" "$tmp/$name.win.err"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "windows-test.sh: $name.sheet differs with the $copy kernels (< Linux, > Windows):"
    diff "$tmp/$name.linux" "$tmp/$name.win" | head -20 || true
    diff "$tmp/$name.linux.err" "$tmp/$name.win.err" | head -5 || true
  fi
done; done
unset ZR_MATRIX_KERNEL
# The real host's thread runs the x87 at 53 bits of precision, and some
# libraries leave 24 set: called in either state, the add-in answers every
# sheet as in the standard one.
for sheet in examples/*.sheet tests/windows/*.sheet; do
  name=$(basename "$sheet" .sheet)
  path=$(realpath "$sheet")
  for state in standard 53 24; do
    option=()
    [ $state = standard ] || option=(--fpstate $state)
    (cd "$tmp" && wine "$out/xlhost.exe" --addin "$out/zr.xll" "${option[@]}" --tsv "$path" 2>&1 |
      tr -d '\r' >"$name.fp-$state") || true
    [ $state = standard ] && continue
    if cmp -s "$tmp/$name.fp-standard" "$tmp/$name.fp-$state"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "windows-test.sh: $name.sheet differs called at $state bits (< standard, > $state bits):"
      diff "$tmp/$name.fp-standard" "$tmp/$name.fp-$state" | head -20 || true
    fi
  done
done
echo "sheets: $passed passed, $failed failed"
[ $failed -eq 0 ]
