#!/usr/bin/env bash
# Builds the add-in as a 32-bit Windows DLL (build-windows/zr.xll) and the
# simulated host for Windows (build-windows/xlhost.exe), cross-compiled with
# Debian's mingw-w64 i686 compilers. Installs what is missing (Debian 12), then
# builds the dependencies once into build-windows/sysroot from Debian's source
# packages (Boost, SQLite, libffi, GoogleTest; Eigen from libeigen3-dev).
# zr.xll and xlhost.exe carry no debug sections: those are in zr.xll.debug and
# xlhost.exe.debug beside them (cmake/split_debug.sh).
#   ./scripts/windows.sh [--tests] [TARGET...]
# --tests also builds the test programs (scripts/windows-test.sh runs them).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
sysroot=$out/sysroot
src=$out/src
jobs=${ZR_JOBS:-$(nproc)}
host=i686-w64-mingw32
cc=$host-gcc-posix
cxx=$host-g++-posix
arch_flags="-msse2 -mfpmath=sse"

tests=OFF
targets=()
for a in "$@"; do
  case $a in
    --tests) tests=ON ;;
    *) targets+=("$a") ;;
  esac
done

# --- packages (scripts/prereqs.sh) ----------------------------------------
. scripts/prereqs.sh
prereqs_need windows
prereqs_install windows.sh

# --- dependency sysroot ---------------------------------------------------
mkdir -p "$src" "$sysroot/include" "$sysroot/lib"
log=$out/deps.log

# fetch PACKAGE: the Debian source package, unpacked with its patches; prints its folder.
fetch() {
  local dir
  dir=$(find "$src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -1)
  if [ -z "$dir" ]; then
    (cd "$src" && apt-get source -q "$1") >>"$log" 2>&1
    dir=$(find "$src" -maxdepth 1 -mindepth 1 -type d -name "$1-*" | head -1)
  fi
  echo "$dir"
}

# A dependency is built when its stamp holds what it was built with (its
# options; empty for most).
stamp_text() { [ "$1" = sqlite ] && printf '%s\n' "${sqlite_options[@]}" || true; }
done_stamp() { [ -f "$sysroot/.$1" ] && [ "$(cat "$sysroot/.$1")" = "$(stamp_text "$1")" ]; }
mark() { stamp_text "$1" >"$sysroot/.$1"; }

# SQLite's compile options: those of Debian's own library, which the Linux
# build links, as its sqlite3 shell lists them ("pragma compile_options",
# SQLite 3.40.1 of Debian 12), so that a query means the same in both.
# Left out: COMPILER (not an option, the compiler SQLite was built with) and
# MUTEX_PTHREADS (SQLite takes the system's mutexes, MUTEX_W32 on Windows).
# DEFAULT_AUTOVACUUM and DEFAULT_RECURSIVE_TRIGGERS are listed without their
# value, which is 0. Debian's build also sets ALLOW_ROWID_IN_VIEW, which the
# list does not show.
sqlite_options=(
  ATOMIC_INTRINSICS=1 DEFAULT_AUTOVACUUM=0 DEFAULT_CACHE_SIZE=-2000 DEFAULT_FILE_FORMAT=4
  DEFAULT_JOURNAL_SIZE_LIMIT=-1 DEFAULT_MMAP_SIZE=0 DEFAULT_PAGE_SIZE=4096 DEFAULT_PCACHE_INITSZ=20
  DEFAULT_RECURSIVE_TRIGGERS=0 DEFAULT_SECTOR_SIZE=4096 DEFAULT_SYNCHRONOUS=2
  DEFAULT_WAL_AUTOCHECKPOINT=1000 DEFAULT_WAL_SYNCHRONOUS=2 DEFAULT_WORKER_THREADS=0
  ENABLE_COLUMN_METADATA ENABLE_DBSTAT_VTAB ENABLE_FTS3 ENABLE_FTS3_PARENTHESIS
  ENABLE_FTS3_TOKENIZER ENABLE_FTS4 ENABLE_FTS5 ENABLE_LOAD_EXTENSION ENABLE_MATH_FUNCTIONS
  ENABLE_PREUPDATE_HOOK ENABLE_RTREE ENABLE_SESSION ENABLE_STMTVTAB ENABLE_UNLOCK_NOTIFY
  ENABLE_UPDATE_DELETE_LIMIT HAVE_ISNAN LIKE_DOESNT_MATCH_BLOBS MALLOC_SOFT_LIMIT=1024
  MAX_ATTACHED=10 MAX_COLUMN=2000 MAX_COMPOUND_SELECT=500 MAX_DEFAULT_PAGE_SIZE=32768
  MAX_EXPR_DEPTH=1000 MAX_FUNCTION_ARG=127 MAX_LENGTH=1000000000 MAX_LIKE_PATTERN_LENGTH=50000
  MAX_MMAP_SIZE=0x7fff0000 MAX_PAGE_COUNT=1073741823 MAX_PAGE_SIZE=65536 MAX_SCHEMA_RETRY=25
  MAX_SQL_LENGTH=1000000000 MAX_TRIGGER_DEPTH=1000 MAX_VARIABLE_NUMBER=250000
  MAX_VDBE_OP=250000000 MAX_WORKER_THREADS=8 OMIT_LOOKASIDE SECURE_DELETE SOUNDEX
  SYSTEM_MALLOC TEMP_STORE=1 THREADSAFE=1 USE_URI
  ALLOW_ROWID_IN_VIEW
)

build_boost() {
  local dir; dir=$(fetch boost1.74)
  local engine=$dir/tools/build/src/engine
  # Debian's source lacks the generated parser of the build engine.
  [ -f "$engine/jamgram.cpp" ] || (cd "$engine" && bison -y -d -o jamgram.cpp jamgram.y)
  (cd "$engine" && ./build.sh gcc) >>"$log" 2>&1
  local b2; b2=$(find "$engine" -name b2 -type f -perm -u+x | head -1)
  echo "using gcc : mingw : $cxx ;" >"$out/boost-user-config.jam"
  (cd "$dir" && "$b2" --user-config="$out/boost-user-config.jam" --build-dir="$out/boost-build" \
    --prefix="$sysroot" --layout=system -j"$jobs" -d0 \
    toolset=gcc-mingw target-os=windows architecture=x86 address-model=32 \
    link=static runtime-link=static threading=multi threadapi=win32 variant=release \
    cxxflags="$arch_flags" --with-filesystem --with-system --with-regex install) >>"$log" 2>&1
}

build_sqlite() {
  local dir; dir=$(fetch sqlite3)
  local bld=$out/sqlite-build
  mkdir -p "$bld"
  # The amalgamation, made by the source package's own rule (needs tclsh).
  if [ ! -f "$bld/sqlite3.c" ]; then
    (cd "$bld" && "$dir/configure" --disable-tcl >/dev/null && make -j"$jobs" sqlite3.c) >>"$log" 2>&1
  fi
  $cc -O2 $arch_flags "${sqlite_options[@]/#/-DSQLITE_}" -c "$bld/sqlite3.c" -o "$bld/sqlite3.o"
  rm -f "$sysroot/lib/libsqlite3.a"
  $host-ar rcs "$sysroot/lib/libsqlite3.a" "$bld/sqlite3.o"
  cp "$bld/sqlite3.h" "$bld/sqlite3ext.h" "$sysroot/include/"
}

build_libffi() {
  local dir; dir=$(fetch libffi)
  local bld=$out/libffi-build
  rm -rf "$bld"; mkdir -p "$bld"
  (cd "$bld" && CC=$cc CFLAGS="-O2 $arch_flags" "$dir/configure" --host=$host --prefix="$sysroot" \
    --enable-static --disable-shared --disable-docs --disable-multi-os-directory \
    && make -j"$jobs" && make install) >>"$log" 2>&1
}

build_gtest() {
  local dir; dir=$(fetch googletest)
  local bld=$out/gtest-build
  cmake -S "$dir" -B "$bld" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$sysroot" -DBUILD_GMOCK=ON \
    -Dgtest_disable_pthreads=OFF >>"$log" 2>&1
  cmake --build "$bld" -j"$jobs" --target install >>"$log" 2>&1
}

for dep in boost sqlite libffi gtest; do
  if ! done_stamp "$dep"; then
    echo "windows.sh: building $dep for $host (log: $log)"
    if ! "build_$dep"; then
      echo "windows.sh: building $dep failed; the end of $log:" >&2
      tail -30 "$log" >&2
      exit 1
    fi
    mark "$dep"
  fi
done
[ "${ZR_DEPS_ONLY:-0}" = 1 ] && exit 0

# --- the add-in and the host ---------------------------------------------
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
  -DZR_WIN_SYSROOT="$sysroot" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=$tests >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build "$out" -j"$jobs" --target "${targets[@]}"
elif [ $tests = ON ]; then
  cmake --build "$out" -j"$jobs"
else
  cmake --build "$out" -j"$jobs" --target zr xlhost
fi
echo "windows.sh: built $out/zr.xll and $out/xlhost.exe (debug information: zr.xll.debug, xlhost.exe.debug)"
