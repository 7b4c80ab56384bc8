#!/usr/bin/env bash
# Builds the add-in, the simulated host, the tests and the fuzz driver with
# AddressSanitizer and UndefinedBehaviorSanitizer into build-sanitize/, runs
# the whole test suite under them, then a short fuzz run; prints how long each
# step took. Run it after scripts/setup.sh (which installs the packages).
#   ./scripts/sanitize.sh [FUZZ_CALLS [SEED]]    (default 200000 calls, seed 1)
# ZR_SANITIZE_BUILD names another build folder; ZR_JOBS the build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${ZR_SANITIZE_BUILD:-build-sanitize}
jobs=${ZR_JOBS:-$(nproc)}
calls=${1:-200000}
seed=${2:-1}
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# GCC warns that its sanitizers set off false -Wmaybe-uninitialized warnings
# (here in libstdc++'s std::function); the plain build keeps the warning.
cxx_flags="$flags -Wno-maybe-uninitialized"

# Any report ends the program with a failure.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_init_order=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

timings=()
step() {
  local name=$1
  shift
  local start=$EPOCHREALTIME
  echo "== $name"
  "$@"
  timings+=("$(awk -v n="$name" -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%-34s %8.1f s", n, b - a }')")
}

step "configure" cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$cxx_flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$flags" -DCMAKE_MODULE_LINKER_FLAGS="$flags" \
  -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=TRUE
step "build" cmake --build "$build" -j"$jobs"
step "tests under the sanitizers" ctest --test-dir "$build" --output-on-failure -j"$jobs"
# The add-in's standard output (SQL echo) is not part of the report, nor are
# AddressSanitizer's warnings for the blocks of 2 GiB and more that zr_fuzz
# makes fail on purpose (allocator_may_return_null, fuzz/main.cpp).
fuzz() {
  if "$build/fuzz/zr_fuzz" "$seed" "$calls" --progress 50000 2>&1 >/dev/null |
    { grep -v -E '^(==[0-9]+==)?WARNING: AddressSanitizer failed to allocate 0x[0-9a-f]+ bytes$' || true; }; then
    echo "fuzz: passed"
  else
    echo "fuzz: failed"
    return 1
  fi
}
step "fuzz: seed $seed, $calls calls" fuzz

echo "== timings"
printf '%s\n' "${timings[@]}"
