#!/usr/bin/env bash
# Prints the non-blank, non-comment lines of code and of tests (C++ sources
# and headers) and their ratio; the tests are meant to stay at a third or less.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$@" \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) -print0 2>/dev/null | xargs -0 -r cat |
    perl -ne 'BEGIN { $n = 0; $c = 0 } if ($c) { $c = 0 if m{\*/}; next } next if /^\s*$/ || m{^\s*//};
              if (m{^\s*/\*}) { $c = 1 unless m{\*/}; next } $n++; END { print "$n\n" }'
}
code=$(count $(ls -d */ | grep -v -E '^(tests|tools|bench|examples|scripts|build[^/]*)/$'))
tests=$(count tests)
echo "code: $code lines, tests: $tests lines, tests/code: $(perl -e "printf '%.0f%%', 100 * $tests / ($code || 1)")"
