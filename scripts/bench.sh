#!/usr/bin/env bash
# Builds and runs every benchmark (bench/), then prints one table: each
# figure as a ratio against its reference timed in the same run.
#   ./scripts/bench.sh [BENCHMARK ...]     (default: every one built)
# ZR_BENCH_BUILD names the build folder (default build), ZR_JOBS the build
# jobs; extra Google Benchmark flags go in ZR_BENCH_FLAGS. The matrix work
# through xlhost is also printed per build, Linux beside Windows.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${ZR_BENCH_BUILD:-build}
jobs=${ZR_JOBS:-$(nproc)}
cmake -S . -B "$build" >/dev/null
mapfile -t all < <(cmake --build "$build" --target help | sed -n 's/^\.\.\. \([a-z_]*_bench\)\b.*/\1/p' | sort)
[ ${#all[@]} -gt 0 ] || { echo "bench.sh: no benchmarks configured (is libbenchmark-dev installed?)" >&2; exit 1; }
names=("$@")
[ ${#names[@]} -gt 0 ] || names=("${all[@]}")
cmake --build "$build" -j"$jobs" --target "${names[@]}" >&2
# matrix_sheet_bench also measures the Windows DLL (under wine) when it can
# be built here; ZR_BENCH_WINDOWS=0 leaves it out.
if [[ " ${names[*]} " == *" matrix_sheet_bench "* ]] && [ "${ZR_BENCH_WINDOWS:-1}" != 0 ]; then
  ZR_JOBS=$jobs scripts/windows.sh zr xlhost >&2 ||
    echo "bench.sh: the Windows DLL could not be built; Linux figures only" >&2
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for b in "${names[@]}"; do
  echo "== $b" >&2
  # ${ZR_BENCH_FLAGS} is split on purpose
  # shellcheck disable=SC2086
  "$build/bench/$b" --benchmark_out="$out/$b.json" --benchmark_out_format=json ${ZR_BENCH_FLAGS:-} >"$out/$b.txt" 2>&1 ||
    { cat "$out/$b.txt" >&2; echo "bench.sh: $b failed" >&2; exit 1; }
done

/usr/bin/python3 - "$out" <<'EOF'
import json, os, re, sys

# (program, figure, reference, per): the reference of a figure is the
# benchmark the first matching pattern's template names; with per, both are
# first divided by their last number (time per cell).
RULES = [
    ("calendar_bench", r"BM_(\w+)_(Host|Procedure)", r"BM_\1_Library", False),
    ("frame_bench", r"BM_DeltaFramed(From53Bits)?/(\d+)", r"BM_DeltaFramedNoFpState/\2", False),
    ("frame_bench", r"BM_(DeltaFramedNoFpState/\d+|FpScope\w*|ClearError|WizardTest/\d+)", "BM_DeltaBare", False),
    ("host_bench", r"BM_(\w+)/(\d+)", r"BM_\1/1000", True),
    ("matrix_bench", r"BM_Multiply(ThroughHost|Core)", "BM_OpenBlasDgemm", False),
    ("matrix_bench", r"BM_(SmallMultiply|Rows)ThroughHost", "BM_NoOpThroughHost", False),
    ("matrix_decomp_bench", r"(\w+)/(?:host|library)(.*)", r"\1/lapack\2", False),
    ("matrix_sheet_bench", r"(\w+)/xlhost(?:\.exe)?", r"\1/numpy", False),
    ("option_bench", r"BM_(DeltaThroughHost/\d+|VersionThroughHost)", "BM_DeltaDirect", False),
    ("pool_bench", r"BM_InsertAndLookup/(\d+)", "BM_InsertAndLookup/1000", False),
    ("pool_bench", r"BM_InsertAndLookupRandom/(\d+)", r"BM_InsertAndLookup/\1", False),
    ("regex_bench", r"BM_(Search|Replace)(Sheet|ThroughHost|Library|Boost)", r"BM_\1Perl", False),
    ("regex_bench", r"BM_Version(Sheet|ThroughHost)", "BM_SearchPerl", False),
    ("statistics_bench", r"BM_(\w+)_(Procedure|Dispatch)", r"BM_\1_Bare", False),
    ("statistics_bench", r"BM_Frame_Procedure", "BM_NormalCdf_Procedure", False),
]
# Counters that already are a ratio against a reference of the same run.
RATIO_COUNTERS = {"vs_numpy": "numpy", "vs_copy": "copy of the operand", "x_shell": "sqlite3 shell",
                  "added_matrices": "one n x n matrix", "vs_scipy": "numpy/scipy call"}
SCALE = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}

def last_number(name):
    m = re.findall(r"\d+", name)
    return float(m[-1]) if m else 1.0

def fmt(seconds):
    for unit, f in (("s", 1), ("ms", 1e-3), ("us", 1e-6)):
        if seconds >= f:
            return "%.3g %s" % (seconds / f, unit)
    return "%.3g ns" % (seconds / 1e-9)

rows, loose = [], []
folder = sys.argv[1]
for fname in sorted(os.listdir(folder)):
    if not fname.endswith(".json"):
        continue
    prog = fname[:-5]
    with open(os.path.join(folder, fname)) as f:
        data = json.load(f)
    times, counters = {}, {}
    for b in data.get("benchmarks", []):
        if b.get("error_occurred"):
            continue
        # a run of a fixed count of manual-time iterations is named as the benchmark
        name = re.sub(r"/(iterations:\d+|manual_time)", "", b.get("run_name", b["name"]))
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") not in ("min", "mean"):
            continue
        t = b["real_time"] * SCALE[b.get("time_unit", "ns")]
        times[name] = min(t, times.get(name, t))  # the fastest repetition
        for k, v in b.items():
            if k in RATIO_COUNTERS:
                counters[(name, k)] = v
    covered = set()
    for name in times:
        for p, pat, ref, per in RULES:
            m = re.fullmatch(pat, name) if p == prog else None
            if not m:
                continue
            r = m.expand(ref)
            if r in times and r != name:
                a, b = times[name], times[r]
                if per:
                    a, b = a / last_number(name), b / last_number(r)
                rows.append((prog, name + (" per item" if per else ""), fmt(times[name]), r, fmt(times[r]), a / b))
                covered.update((name, r))
                break
    for (name, k), v in sorted(counters.items()):
        rows.append((prog, "%s [%s]" % (name, k), fmt(times.get(name, 0)), RATIO_COUNTERS[k], "", v))
        covered.add(name)
    loose += [(prog, n, fmt(t)) for n, t in sorted(times.items()) if n not in covered]

w = [max([len(r[i]) for r in rows] + [len(h)]) for i, h in enumerate(("program", "figure", "time", "reference", "ref time"))]
line = "%-{}s  %-{}s  %{}s  %-{}s  %{}s  %s".format(*w)
print(line % ("program", "figure", "time", "reference", "ref time", "ratio"))
for r in rows:
    print(line % (r[0], r[1], r[2], r[3], r[4], "%.3g" % r[5]))
for prog, n, t in loose:
    print(line % (prog, n, t, "(no reference)", "", "-"))

# The matrix work through each build's xlhost, side by side.
builds = {}
for prog, name, _, _, _, ratio in rows:
    if prog == "matrix_sheet_bench":
        work, host = name.split("/")
        builds.setdefault(work, {})[host] = ratio
if builds:
    print("\nmatrix work at n = 800 through xlhost, processor time, ratio to numpy/scipy (OpenBLAS, one thread):")
    print("%-22s %8s %28s" % ("function", "Linux", "Windows (zr.xll under wine)"))
    for work, by in builds.items():
        print("%-22s %8s %28s" % (work, *("%.2f" % by[h] if h in by else "-" for h in ("xlhost", "xlhost.exe"))))
EOF
