#!/bin/sh
# Link launcher of the Windows build (RULE_LAUNCH_LINK of zr and xlhost): runs
# each command of the link rule; after the link itself (the command with
# -o FILE) moves FILE's debug sections into FILE.debug, which FILE then names
# in its .gnu_debuglink section.
#   split_debug.sh OBJCOPY COMMAND...
objcopy=$1
shift
"$@" || exit
out=
prev=
for a in "$@"; do
  [ "$prev" = -o ] && out=$a
  prev=$a
done
[ -n "$out" ] || exit 0
"$objcopy" --only-keep-debug "$out" "$out.debug" &&
  "$objcopy" --strip-debug --add-gnu-debuglink="$out.debug" "$out"
