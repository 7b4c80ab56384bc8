#!/usr/bin/python3
"""Probe of the ten statistics of all thirty kinds against mpmath.

Run by hand with Debian's python3-mpmath from the top of the work tree, after
building build/host/xlhost and the add-in:

    /usr/bin/python3 tools/statistics/probe.py --seed 1 --points 6 --slow-points 2 --jobs 3

It draws parameter points of its own for every kind (seeded: ordinary
magnitudes, extreme ones, and fixed extremes such as narrow distributions far
from 0), has the simulated host calculate, on sheets in a temporary folder,
the five statistics of each distribution, its quantiles near 0, in the body
and near 1, then the pdf, cdf, hazard and cumulative hazard at those
quantiles and at the ends of the support. Each answer is compared with mpmath
(tools/statistics/mpmath_reference.py's formulas, at 50 significant digits,
and but for the slow non-central kinds again at twice as many until two
agree to 25): a number must be within
1e-9 relative (1e-6 where a probability is below 1e-8; location statistics
also within that times the interquartile range), a discrete quantile must be
the smallest count whose cdf reaches p. A refusal is counted as such where
the number does not exist or a double cannot hold it; elsewhere it is a
finding, as is every message from inside Boost. It prints every answer that
is not a right number as it is found, one a line, then the counts.
"""
import argparse
import math
import multiprocessing
import os
import random
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mpmath_reference as ref  # noqa: E402
from mpmath import mp, mpf  # noqa: E402

ref.DIGITS = 50
DBL_MAX, DBL_MIN = 1.7976931348623157e308, 2.2250738585072014e-308
ORDINARY, TAIL = 1e-9, 1e-6
PROBABILITIES = [1e-300, 1e-100, 1e-20, 1e-10, 1e-3, 0.25, 0.3, 0.5, 0.75, 0.9, 1 - 1e-6, 1 - 1e-12,
                 1 - 2.0 ** -52]
FEWER = [1e-300, 1e-10, 0.25, 0.5, 0.75, 1 - 1e-12]  # for the slow kinds
MOMENTS = ["stat_mean", "stat_stddev", "stat_mode", "stat_median", "stat_kurtosis"]
POINTWISE = ["stat_pdf", "stat_cdf", "stat_hazard", "stat_cumHazard"]


# ---------------------------------------------------------------- parameters

def magnitude(rng, extreme, lo=-300, hi=300):
    """A positive number, log-uniform: ordinary (1e-3 to 1e3) or over [lo, hi]."""
    return 10 ** (rng.uniform(lo, hi) if extreme else rng.uniform(-3, 3))


def real(rng, extreme):
    r = rng.random()
    if r < 0.1:
        return 0.0
    return (1 if r < 0.55 else -1) * magnitude(rng, extreme)


def probability(rng):
    r = rng.random()
    if r < 0.5:
        return rng.random()
    if r < 0.75:
        return 10 ** -rng.uniform(1, 300)
    return 1 - 10 ** -rng.uniform(1, 15.5)


def shape(rng, extreme):
    return magnitude(rng, extreme, -10, 15)


def draw(ctor, rng, extreme):
    """Worksheet arguments of one distribution of the kind."""
    P = lambda: magnitude(rng, extreme)  # noqa: E731
    S = lambda: shape(rng, extreme)  # noqa: E731
    R = lambda: real(rng, extreme)  # noqa: E731
    if ctor in ("stat_distrNormal", "stat_distrCauchy", "stat_distrExtremeValue", "stat_distrLaplace",
                "stat_distrLogistic"):
        if rng.random() < 0.3:  # narrow and far from 0
            loc = R() or 1.0
            return loc, abs(loc) * 10 ** -rng.uniform(3, 14)
        return R(), P()
    if ctor == "stat_distrLogNormal":
        return rng.uniform(-700, 700) if extreme else rng.uniform(-5, 5), magnitude(rng, extreme, -10, 2)
    if ctor == "stat_distrBinomial":
        return float(math.floor(magnitude(rng, extreme, 0, 15))), probability(rng)
    if ctor == "stat_distrBernoulli":
        return (probability(rng),)
    if ctor in ("stat_distrBeta", "stat_distrF", "stat_distrInverseGamma", "stat_distrWeibull"):
        return S(), S()
    if ctor in ("stat_distrChiSquare", "stat_distrStudentsT"):
        return (S(),)
    if ctor in ("stat_distrExponential", "stat_distrRayleigh"):
        return (P(),)
    if ctor in ("stat_distrGamma", "stat_distrInverseChiSquare"):
        return S(), P()
    if ctor == "stat_distrGeometric":
        return (probability(rng),)
    if ctor == "stat_distrPoisson":
        return (magnitude(rng, extreme, -10, 20),)
    if ctor == "stat_distrNegativeBinomial":
        return S(), probability(rng)
    if ctor == "stat_distrHyperGeometric":
        N = int(magnitude(rng, extreme, 0, 6)) + 1
        return rng.randint(0, N), rng.randint(0, N), N
    if ctor == "stat_distrInverseGaussian":
        return P(), P()
    if ctor == "stat_distrPareto":
        return S(), P()
    L = lambda: magnitude(rng, extreme, -10, 3)  # noqa: E731  (the reference sums a term per unit)
    if ctor == "stat_distrNonCentralBeta":
        return S(), S(), L()
    if ctor == "stat_distrNonCentralChiSquared":
        return S(), L()
    if ctor == "stat_distrNonCentralF":
        return S(), S(), L()
    if ctor == "stat_distrNonCentralT":
        return S(), (1 if rng.random() < 0.5 else -1) * magnitude(rng, extreme, -10, 3.2)
    if ctor in ("stat_distrTriangular", "stat_distrUniform"):
        if rng.random() < 0.3:  # narrow and far from 0
            loc = R() or 1.0
            ends = sorted([loc, loc + abs(loc) * 10 ** -rng.uniform(3, 14)])
        else:
            ends = sorted([R(), R()])
        if ends[0] == ends[1]:
            ends[1] = ends[0] + 1
        if ctor == "stat_distrUniform":
            return tuple(ends)
        r = rng.random()
        mode = ends[0] if r < 0.25 else ends[1] if r < 0.5 else rng.uniform(*ends)
        return ends[0], mode, ends[1]
    raise ValueError(ctor)


FIXED = {  # extremes tried whatever the seed
    "stat_distrNormal": [(1e10, 1e-3), (-1e300, 1e290)],
    "stat_distrTriangular": [(0, 0, 1), (-1, 0, 0), (1e10, 1e10 + 1, 1e10 + 3)],
    "stat_distrUniform": [(1e15, 1e15 + 1)],
    "stat_distrLaplace": [(1e12, 1e-2)],
    "stat_distrBinomial": [(3, 0.6), (41, 0.9999982615723718), (1e15, 0.5)],
    "stat_distrPoisson": [(1e13,), (1e-300,)],
    "stat_distrNegativeBinomial": [(42.325850360310504, 4.015738057990502e-06), (0.5, 1 - 1e-12)],
    "stat_distrGeometric": [(1.73767188799828e-07,), (1 - 1e-15,)],
    "stat_distrGamma": [(1e12, 1.0), (1e-8, 1e300)],
    "stat_distrChiSquare": [(1e13,)],
    "stat_distrInverseGaussian": [(1, 1e-6), (66.14916147834711, 2.895220473194363e-06), (1e3, 1e-300)],
    "stat_distrNonCentralBeta": [(10.120511931044256, 0.62317004696572, 833.7820153445396), (2, 3, 1e5)],
    "stat_distrNonCentralChiSquared": [(1e8, 10), (0.01, 1e5)],
    "stat_distrNonCentralF": [(53.606201970167064, 3.091874181517594, 12803.684610191318)],
    "stat_distrNonCentralT": [(30, 0), (0.5, -10), (62514.166294625706, 15.196054338505729), (2, 50)],
    "stat_distrHyperGeometric": [(500000, 500000, 1000000), (1, 1, 1000000)],
    "stat_distrBeta": [(1e-8, 1e-8), (1e12, 1e-3)],
    "stat_distrWeibull": [(1e-3, 1e300), (300, 1)],
    "stat_distrPareto": [(1e-3, 1e-300), (1e6, 1)],
}


# ---------------------------------------------------------------- the sheets

def fmt(v):
    return repr(float(v)) if not isinstance(v, int) else str(v)


def calculate(xlhost, folder, calls):
    """Each call (constructor, args, statistic, arg or None) as a sheet: the
    value, or the message of the refusal."""
    ctors, lines, order = {}, [], []
    for ctor, args, stat, x in calls:
        key = (ctor, tuple(args))
        if key not in ctors:
            ctors[key] = "A%d" % (len(ctors) + 1)
            lines.append("%s =%s(%s)" % (ctors[key], ctor, ",".join(fmt(a) for a in args)))
    for i, (ctor, args, stat, x) in enumerate(calls):
        cell, error = "B%d" % (i + 1), "C%d" % (i + 1)
        arg = "" if x is None else "," + fmt(x)
        lines.append("%s =%s(%s%s)" % (cell, stat, ctors[(ctor, tuple(args))], arg))
        lines.append("%s =hf_getError(%s)" % (error, cell))
        order.append((cell, error))
    path = os.path.join(folder, "probe.sheet")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    out = subprocess.run([xlhost, "--tsv", path], capture_output=True, text=True, check=True).stdout
    cells = {}
    for line in out.splitlines():
        parts = line.split("\t", 2)
        if len(parts) == 3:
            cells[parts[0]] = (parts[1], parts[2])
    results = []
    for (ctor, args, stat, x), (cell, error) in zip(calls, order):
        kind, value = cells.get(cell, ("missing", ""))
        if kind == "num":
            results.append(float(value))
        else:
            results.append(cells.get(error, ("", "?"))[1] if kind == "err" else kind + ":" + value)
    return results


# ---------------------------------------------------------------- the truth

class Timeout(Exception):
    pass


def on_alarm(signum, frame):
    raise Timeout()


def polished(d, p, x0):
    """The continuous quantile by Newton's steps on log F (log S above one
    half) from the system's x0, or None where they fail."""
    x = mpf(x0)
    for _ in range(60):
        f = d.pdf(x)
        if p < 0.5:
            F = d.cdf(x)
            if not (F > 0 and f > 0):
                return None
            step = (mp.log(F) - mp.log(p)) * F / f
        else:
            S = d.sf(x)
            if not (S > 0 and f > 0):
                return None
            step = -(mp.log(S) - mp.log(1 - p)) * S / f
        x -= step
        if not (d.lo <= x <= d.hi):
            return None
        if abs(step) <= mpf(10) ** -(mp.dps - 5) * (abs(x) + mpf(10) ** -300):
            return x
    return None


SLOW = {"stat_distrNonCentralBeta", "stat_distrNonCentralChiSquared", "stat_distrNonCentralF",
        "stat_distrNonCentralT"}


def stable(f, once):
    """f() at 50 digits, then (unless once) at twice as many until two agree
    to 25 (at most 400 digits; None where it does not exist)."""
    dps, last = ref.DIGITS, None
    while dps <= 400:
        with mp.workdps(dps):
            v = f()
        if once:
            return v
        if v is None or last is None:
            if v is None and last is None and dps > ref.DIGITS:
                return None
        elif v == last or (mp.isfinite(v) and abs(v - last) <= mpf(10) ** -25 * abs(v)):
            return v
        last, dps = v, dps * 2
    raise ArithmeticError("no stable value by 400 digits")


def peak(d, x0):
    """The mode by Newton's steps on the pdf's slope from the system's x0."""
    x = mpf(x0)
    for _ in range(20):
        d1, d2 = mp.diff(d.pdf, x, 1), mp.diff(d.pdf, x, 2)
        if not d2 < 0:
            return None
        step = d1 / d2
        x -= step
        if abs(step) <= mpf(10) ** -(mp.dps // 2) * (abs(x) + mpf(10) ** -300):
            return x
    return None


def reached(d, k, p):
    return d.cdf(k) >= p if p <= 0.5 else d.sf(k) <= 1 - p


def truth(d, stat, x, system, slow):
    if stat in ("stat_quantile", "stat_median") and d.discrete and isinstance(system, float) and \
            math.isfinite(system) and system < 2 ** 53:
        p = mpf(0.5) if stat == "stat_median" else mpf(x)  # the system's count, if it is the one
        k = mpf(system)
        if reached(d, k, p) and (k <= d.lo or not reached(d, k - 1, p)):
            return k
    if stat == "stat_mode" and slow and isinstance(system, float) and math.isfinite(system):
        m = peak(d, system)
        if m is not None:
            return m
    if stat == "stat_quantile" or stat == "stat_median":
        p = mpf(0.5) if stat == "stat_median" else mpf(x)
        if d.discrete or hasattr(d, "quantile"):
            return ref.quantile(d, p)
        if isinstance(system, float) and math.isfinite(system):
            q = polished(d, p, system)
            if q is not None:
                return q
        return ref.quantile(d, p)
    return ref.statistic(d, stat, x)


def check(task):
    """(verdict, detail) of one answer."""
    ctor, args, stat, x, system, spread, tail = task
    if isinstance(system, str) and system.endswith("parameters too large to evaluate"):
        return "refused", "parameters too large to evaluate"  # a documented bound, not checked
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(60)
    try:
        slow = ctor in SLOW
        t = stable(lambda: truth(ref.CLASSES[ctor](*args), stat, x, system, slow), slow)
    except Timeout:
        return "noref", "timed out"
    except Exception as e:  # the reference's own failure
        return "noref", "%s: %s" % (type(e).__name__, e)
    finally:
        signal.alarm(0)
    exists = t is not None and mp.isfinite(t) and abs(t) <= DBL_MAX
    if isinstance(system, str):
        if not exists:
            return "refused", "no such number"
        if not system.startswith("StatsUtils::"):
            return "boost", system
        if "not a finite number" in system and (abs(t) >= DBL_MIN or t == 0):
            return "wrong refusal", system
        if "did not converge" in system or "no root found" in system:
            return "search", system
        return "refused", system.split(" - ", 1)[-1]
    if not exists:
        return "wrong", "a number where there is none (%s)" % ("undefined" if t is None else mp.nstr(t, 5))
    if stat in ("stat_cdf",) and not (0 <= system <= 1):
        return "wrong", "outside [0, 1]"
    tolerance = TAIL if tail else ORDINARY
    if stat == "stat_mode" and ctor in ("stat_distrNonCentralBeta", "stat_distrNonCentralChiSquared",
                                        "stat_distrNonCentralF", "stat_distrNonCentralT"):
        tolerance = max(tolerance, 1e-8)  # a search on the pdf's slope
    error = abs(mpf(system) - t)
    if error <= tolerance * (abs(t) + spread) or (abs(t) < DBL_MIN and error < 1e-310):
        return "right", ""
    return "wrong", "relative error %s (expected %s)" % (mp.nstr(error / abs(t) if t else error, 3),
                                                         mp.nstr(t, 17))


def checked(task):
    return task, check(task)


# ---------------------------------------------------------------- the probe

def support_points(ctor, args):
    """x at the ends of the support and just inside."""
    cls = ref.CLASSES[ctor]
    with mp.workdps(30):
        d = cls(*args)
        lo, hi = d.lo, d.hi
    pts = []
    for end in (lo, hi):
        if end not in (-mp.inf, mp.inf):
            e = float(end)
            pts += [e] if d.discrete else [e, math.nextafter(e, math.inf if end == lo else -math.inf)]
    return pts


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--points", type=int, default=4, help="random points per kind (half extreme)")
    parser.add_argument("--slow-points", type=int, default=2,
                        help="random points of the non-central kinds, whose reference is slow (fewer quantiles)")
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--xlhost", default="build/host/xlhost")
    parser.add_argument("kinds", nargs="*", help="constructors to probe (default: all)")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    points = []
    for ctor, _, _ in ref.KINDS:
        count = args.slow_points if ctor in SLOW else args.points
        drawn = [draw(ctor, rng, i % 2 == 1) for i in range(count)] + FIXED.get(ctor, [])
        if not args.kinds or ctor in args.kinds:
            points += [(ctor, tuple(p)) for p in drawn]
    with tempfile.TemporaryDirectory() as folder:
        first = [(c, a, s, None) for c, a in points for s in MOMENTS]
        first += [(c, a, "stat_quantile", p) for c, a in points for p in (FEWER if c in SLOW else PROBABILITIES)]
        values = dict(zip([(c, a, s, x) for c, a, s, x in first], calculate(args.xlhost, folder, first)))
        second, tails = [], {}
        for c, a in points:
            xs = []
            for p in FEWER if c in SLOW else PROBABILITIES:
                q = values[(c, a, "stat_quantile", p)]
                if isinstance(q, float) and math.isfinite(q):
                    xs.append((q, min(p, 1 - p) < 1e-8))
            xs += [(e, True) for e in support_points(c, a)]
            for x, tail in xs:
                tails[(c, a, x)] = tails.get((c, a, x), False) or tail
            for x in sorted({x for x, _ in xs}):
                second += [(c, a, s, x) for s in POINTWISE]
        values.update(zip(second, calculate(args.xlhost, folder, second)))
    tasks = []
    for (c, a, s, x), v in values.items():
        q1, q3 = values.get((c, a, "stat_quantile", 0.25)), values.get((c, a, "stat_quantile", 0.75))
        location = s in ("stat_mean", "stat_mode", "stat_median", "stat_quantile")
        spread = q3 - q1 if location and isinstance(q1, float) and isinstance(q3, float) else 0.0
        if not math.isfinite(spread):
            spread = 0.0
        tail = (s == "stat_quantile" and min(x, 1 - x) < 1e-8) or tails.get((c, a, x), False)
        tasks.append((c, a, s, x, v, spread, tail))
    # the cheap kinds first; findings printed as they come
    tasks.sort(key=lambda t: t[0] in SLOW)
    signal.signal(signal.SIGTERM, lambda signum, frame: sys.exit(1))  # the pool's workers end too
    counts = {}
    with multiprocessing.Pool(args.jobs) as pool:
        for done, (task, (verdict, detail)) in enumerate(pool.imap_unordered(checked, tasks)):
            counts[verdict] = counts.get(verdict, 0) + 1
            if done % 200 == 199:
                print("%d of %d" % (done + 1, len(tasks)), file=sys.stderr, flush=True)
            if verdict != "right":
                c, a, s, x, v = task[:5]
                print("%s\t%s(%s)\t%s(%s)\t= %s\t%s" % (verdict, c, ",".join(fmt(p) for p in a), s,
                                                       "" if x is None else fmt(x), v, detail), flush=True)
    print("seed %d, %d distributions, %d queries: %s" % (
        args.seed, len(points), len(tasks), ", ".join("%s %d" % kv for kv in sorted(counts.items()))))


if __name__ == "__main__":
    main()
