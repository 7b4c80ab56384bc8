#!/usr/bin/env bash
# Sets up and builds the add-in and the simulated host, then calculates a
# sheet: ./scripts/example.sh [XLHOST OPTIONS] [SHEET]
# (default examples/option.sheet). The host runs in the folder you call this
# from: relative paths are read from there, and it is the sheet's working
# folder. Options (--tsv for full texts, --addin PATH) go to xlhost unchanged.
# The install and build output goes to build/example-setup.log; without
# root, what is missing is printed instead, in one message.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
root=$PWD
mkdir -p build
log="$root/build/example-setup.log"

# The sheet: the argument that is neither an option nor the add-in's path.
sheet=
only_known_options=1
after_addin=0
for a in "$@"; do
  if [ $after_addin -eq 1 ]; then
    after_addin=0
  elif [ "$a" = --addin ]; then
    after_addin=1
  elif [[ $a == -* ]]; then
    [[ $a == --tsv || $a == --addin=* ]] || only_known_options=0
  elif [ -z "$sheet" ]; then
    sheet=$a
  fi
done
# With options this script does not know, xlhost alone reads the arguments.
args=("$@")
if [ $only_known_options -eq 1 ] && [ -z "$sheet" ]; then
  args+=("$root/examples/option.sheet")
elif [ $only_known_options -eq 1 ]; then
  path=$sheet
  [[ $path == /* ]] || path=$here/$path
  why=
  if [ ! -e "$path" ]; then why="there is no such file"
  elif [ -d "$path" ]; then why="it is a folder, not a sheet"
  elif [ ! -r "$path" ]; then why="you may not read it"
  fi
  if [ -n "$why" ]; then
    echo "example.sh: cannot read the sheet $sheet: $why (relative paths are read from $here)" >&2
    exit 2
  fi
fi

: >"$log"
# What is missing is installed (its output in the log) or, without root,
# named in one message.
. scripts/prereqs.sh
prereqs_need linux
prereqs_log=$log
if ! prereqs_install example.sh "To run the tests as well, run ./scripts/test.sh instead: its one message holds
these lines and what the tests need, so that root is needed once."; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "example.sh: installing the missing packages failed; the whole output is in $log" >&2
    tail -n 15 "$log" >&2
  fi
  exit 1
fi

# The first build takes about 450 s of processor time, shared by the jobs,
# and 15 s more (measured: 70 s on 8 idle cores).
if [ ! -x build/host/xlhost ] || [ ! -f build/zr.xll ]; then
  jobs=${ZR_JOBS:-$(nproc)}
  [ "$jobs" -le "$(nproc)" ] || jobs=$(nproc)
  secs=$((450 / jobs + 15))
  if [ $secs -lt 100 ]; then took="$(((secs + 5) / 10 * 10)) s"; else took="$(((secs + 30) / 60)) min"; fi
  echo "example.sh: building the add-in and xlhost first, about $took with $jobs build jobs (the output goes to $log)" >&2
fi
if ! scripts/setup.sh zr xlhost >>"$log" 2>&1; then
  echo "example.sh: building failed; the whole output is in $log" >&2
  echo "Its last lines:" >&2
  tail -n 15 "$log" >&2
  exit 1
fi
cd "$here"
exec "$root/build/host/xlhost" "${args[@]}"
