#!/usr/bin/python3
"""Reference table for the statistics sweep test, computed with mpmath.

Run with Debian's python3-mpmath from the top of the work tree:

    /usr/bin/python3 tools/statistics/mpmath_reference.py --jobs 4 > tests/statistics/data/mpmath_reference.tsv

(about an hour of processor time, most of it the non-central kinds). To
compute again only some kinds, or only the hard cases the table lacks:

    T=tests/statistics/data/mpmath_reference.tsv
    /usr/bin/python3 tools/statistics/mpmath_reference.py --update $T KIND... > /tmp/t.tsv && mv /tmp/t.tsv $T
    /usr/bin/python3 tools/statistics/mpmath_reference.py --update $T --new > /tmp/t.tsv && mv /tmp/t.tsv $T

Each of the thirty kinds is taken with an ordinary, a tail and an extreme
parameter set. For each set the table holds the five statistics of the
distribution, the quantile at 1e-300, 1e-10, 0.5 and 1 - 1e-10, and the pdf,
cdf, hazard and cumulative hazard at an ordinary point, at the points where
the cdf is 1e-300 and 1e-10 and where its complement is 1e-10 and 1e-300
(each point a double; the values are computed at that double exactly). A few
hard cases found before follow.

Every value is evaluated at 30 significant digits and again at 60 (120,
240, ... while the two disagree beyond 1e-25), so that a formula that cancels
still gives all its digits. A row is "refused" where the number does not
exist (a moment of a heavy tail, a mode where the density has no maximum) or
where the system refuses it (see REFUSED and refused()).

Conventions of the system followed here: kurtosis is the full one; a
discrete quantile (and median) is the smallest count whose cdf is at least
p; the uniform mode is the lower end; the Weibull mode for shape up to 1 is
0.
"""
import argparse
import io
import math
import multiprocessing
import sys

import mpmath as mp
from mpmath import mpf

DIGITS = 30
INF = mp.inf

# The incomplete gamma and beta functions of large shapes need long series
# (not the divergent asymptotic 2F0, which must fail soon to be replaced).
_hypsum = mp.mp.hypsum


def _long_hypsum(p, q, *args, **kwargs):
    if (p, q) != (2, 0):
        kwargs["maxterms"] = 10 ** 6
    return _hypsum(p, q, *args, **kwargs)


mp.mp.hypsum = _long_hypsum


def ibeta(a, b, x, xc=None, swapped=False):
    """The regularized incomplete beta function I_x(a, b), xc = 1 - x given
    exactly where x rounds near 1. Large shapes by its continued fraction
    (modified Lentz), which needs about sqrt(a + b) terms where mpmath's
    series needs about a + b."""
    log_xc = mp.log1p(-x) if xc is None else mp.log(xc)
    xc = 1 - x if xc is None else xc
    if x <= 0:
        return mpf(0)
    if xc <= 0:
        return mpf(1)
    if a + b < 1000:
        if x > 0.5:
            return 1 - mp.betainc(b, a, 0, xc, regularized=True)
        return mp.betainc(a, b, 0, x, regularized=True)
    if x > (a + 1) / (a + b + 2) and not swapped:
        return 1 - ibeta(b, a, xc, x, True)
    tiny, eps = mpf(10) ** -(mp.mp.dps * 3), mpf(10) ** -(mp.mp.dps + 5)
    c, d = mpf(1), 1 - (a + b) * x / (a + 1)
    d = 1 / (d if abs(d) > tiny else tiny)
    h = d
    for m in range(1, 10 ** 6):
        for num in (m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m)),
                    -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))):
            d = 1 + num * d
            d = 1 / (d if abs(d) > tiny else tiny)
            c = 1 + num / c
            c = c if abs(c) > tiny else tiny
            h *= d * c
        if abs(d * c - 1) < eps:
            break
    front = mp.exp(a * mp.log(x) + b * log_xc - mp.log(a) - log_beta(a, b))
    return front * h


def log_beta(a, b):
    """log B(a, b), its log gamma functions (about (a + b) log(a + b) each)
    taken with as many more digits as they cancel."""
    with mp.extradps(int(max(0, mp.log10(a + b))) + 5):
        return +(mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b))


def gamma_tail(a, z, upper):
    """The regularized incomplete gamma function P(a, z), or with upper Q(a, z).
    For large a (mpmath's series take a term per unit of a) as the integral
    over w = log(t / a) of C exp(-a g(w)), g = e^w - 1 - w, C = a^a e^-a /
    Gamma(a), from the end at log(z / a) over the span where a g grows by X
    (beyond, exp(-X) is below the working precision): its slope a |e^w - 1|
    is at least s at the end, and a g grows at least as a w^2 / 3 near 0."""
    if a < 1e5 or z <= 0:
        return mp.gammainc(a, z, INF, regularized=True) if upper else mp.gammainc(a, 0, z, regularized=True)
    X = 2.31 * mp.mp.dps + 50
    front = mp.exp(a * mp.log(a) - a - mp.loggamma(a))
    wz = mp.log(z / a)
    f = lambda w: mp.exp(-a * (mp.expm1(w) - w))  # noqa: E731
    slope = a * abs(mp.expm1(wz))
    reach = mp.sqrt(3 * X / a)
    span = min(X / slope, reach) if slope > 0 else reach
    if upper:
        far = max(wz, 0) + span if wz >= 0 else reach
        pts = [wz] + [wz + (far - wz) * k for k in (mpf(1) / 64, mpf(1) / 16, mpf(1) / 4)] + [far]
    else:
        far = min(wz, 0) - span if wz <= 0 else -reach
        pts = [far] + [wz - (wz - far) * k for k in (mpf(1) / 4, mpf(1) / 16, mpf(1) / 64)] + [wz]
    if min(pts) < 0 < max(pts):
        pts = sorted(pts + [mpf(0)])
    return front * mp.quad(f, pts)


def stable(f):
    """f() at DIGITS digits, then at twice as many until two agree."""
    dps = DIGITS
    with mp.workdps(dps):
        last = f()
    while dps < 4000:
        dps *= 2
        with mp.workdps(dps):
            v = f()
        if v is None or last is None:
            if v is None and last is None:
                return None
        elif v == 0 and last == 0:
            if dps >= 480:  # not a cancellation
                return v
        elif v == last or (mp.isfinite(v) and abs(v - last) <= mpf(10) ** -25 * abs(v)):
            return v
        last = v
    raise ArithmeticError("no stable value")


# Discrete cdf and complement by summing the pmf on the side asked for.
def pmf_sum(pmf, start, step, stop):
    total, k, tiny = mpf(0), start, mpf(10) ** -(mp.mp.dps + 5)
    while k != stop:
        t = pmf(k)
        total += t
        if t <= tiny * total and abs(k - start) > 3:
            break
        k += step
    return total


class Dist:
    discrete = False
    lo, hi = -INF, INF

    def mode(self):
        return None

    def kurt(self):
        return None

    def mean(self):
        return None

    def var(self):
        return None

    def hint(self):
        """A centre and a width of the distribution, for the root searches."""
        m, v = self.mean(), self.var()
        return (m if m is not None else self.mode()), (mp.sqrt(v) if v is not None else mpf(1))

    def hazard(self, x):
        s = self.sf(x)
        return self.pdf(x) / s if s > 0 else None

    def chf(self, x):
        c = self.cdf(x)
        return -mp.log1p(-c) if c < 0.5 else -mp.log(self.sf(x))


class Discrete(Dist):
    discrete = True
    lo = 0

    def cdf(self, k):
        if k < self.lo:
            return mpf(0)
        m = self.mean()
        if k > m:
            return 1 - self.sf(k)
        return pmf_sum(self.pdf, k, -1, self.lo - 1)

    def sf(self, k):
        if k < self.lo:
            return mpf(1)
        if k <= self.mean():
            return 1 - self.cdf(k)
        return pmf_sum(self.pdf, k + 1, 1, self.hi + 1 if self.hi != INF else None)


class Normal(Dist):
    def __init__(s, m, sd): s.m, s.s = mpf(m), mpf(sd)
    def pdf(s, x): return mp.npdf(x, s.m, s.s)
    def cdf(s, x): return mp.ncdf(x, s.m, s.s)
    def sf(s, x): return mp.ncdf(-x, -s.m, s.s)
    def mean(s): return s.m
    def var(s): return s.s ** 2
    def mode(s): return s.m
    def kurt(s): return mpf(3)


class Binomial(Discrete):
    def __init__(s, n, p): s.n, s.p = mpf(n), mpf(p); s.hi = s.n
    def pdf(s, k): return mp.binomial(s.n, k) * s.p ** k * (1 - s.p) ** (s.n - k) if 0 <= k <= s.n else mpf(0)
    def cdf(s, k): return mpf(0) if k < 0 else mpf(1) if k >= s.n else ibeta(s.n - k, k + 1, 1 - s.p, s.p)
    def sf(s, k): return mpf(1) if k < 0 else mpf(0) if k >= s.n else ibeta(k + 1, s.n - k, s.p)
    def mean(s): return s.n * s.p
    def var(s): return s.n * s.p * (1 - s.p)
    def mode(s): return mp.floor((s.n + 1) * s.p)
    def kurt(s): return 3 + (1 - 6 * s.p * (1 - s.p)) / s.var()


class Bernoulli(Binomial):
    def __init__(s, p): Binomial.__init__(s, 1, p)
    def mode(s): return mpf(1) if s.p > 0.5 else mpf(0)
    def quantile(s, p): return mpf(0) if p <= 1 - s.p else mpf(1)


class Beta(Dist):
    lo, hi = 0, 1
    def __init__(s, a, b): s.a, s.b = mpf(a), mpf(b)
    def pdf(s, x):
        if (x == 0 and s.a < 1) or (x == 1 and s.b < 1):
            return INF
        return x ** (s.a - 1) * (1 - x) ** (s.b - 1) / mp.beta(s.a, s.b) if 0 <= x <= 1 else mpf(0)
    def cdf(s, x): return ibeta(s.a, s.b, x)
    def sf(s, x): return ibeta(s.b, s.a, 1 - x, x)
    def mean(s): return s.a / (s.a + s.b)
    def var(s): a, b = s.a, s.b; return a * b / ((a + b) ** 2 * (a + b + 1))
    def mode(s): return (s.a - 1) / (s.a + s.b - 2) if s.a > 1 and s.b > 1 else None
    def kurt(s):
        a, b = s.a, s.b
        return 3 + 6 * ((a - b) ** 2 * (a + b + 1) - a * b * (a + b + 2)) / (a * b * (a + b + 2) * (a + b + 3))


class Cauchy(Dist):
    def __init__(s, x0, g): s.x0, s.g = mpf(x0), mpf(g)
    def pdf(s, x): return 1 / (mp.pi * s.g * (1 + ((x - s.x0) / s.g) ** 2))
    def cdf(s, x): return mp.atan2(s.g, s.x0 - x) / mp.pi
    def sf(s, x): return mp.atan2(s.g, x - s.x0) / mp.pi
    def mode(s): return s.x0
    def hint(s): return s.x0, s.g


class Gamma(Dist):
    lo = 0
    def __init__(s, k, th): s.k, s.th = mpf(k), mpf(th)
    def pdf(s, x):
        if x == 0:
            return INF if s.k < 1 else 1 / s.th if s.k == 1 else mpf(0)
        return mp.exp((s.k - 1) * mp.log(x / s.th) - x / s.th - mp.loggamma(s.k)) / s.th if x > 0 else mpf(0)
    def cdf(s, x): return gamma_tail(s.k, x / s.th, False)
    def sf(s, x): return gamma_tail(s.k, x / s.th, True)
    def mean(s): return s.k * s.th
    def var(s): return s.k * s.th ** 2
    def mode(s): return (s.k - 1) * s.th if s.k >= 1 else None
    def kurt(s): return 3 + 6 / s.k


class ChiSquared(Gamma):
    def __init__(s, k): Gamma.__init__(s, mpf(k) / 2, 2)


class Exponential(Dist):
    lo = 0
    def __init__(s, lam): s.l = mpf(lam)
    def pdf(s, x): return s.l * mp.exp(-s.l * x)
    def cdf(s, x): return -mp.expm1(-s.l * x)
    def sf(s, x): return mp.exp(-s.l * x)
    def mean(s): return 1 / s.l
    def var(s): return 1 / s.l ** 2
    def mode(s): return mpf(0)
    def kurt(s): return mpf(9)


class ExtremeValue(Dist):
    def __init__(s, a, b): s.a, s.b = mpf(a), mpf(b)
    def pdf(s, x): z = (x - s.a) / s.b; return mp.exp(-z - mp.exp(-z)) / s.b
    def cdf(s, x): return mp.exp(-mp.exp(-(x - s.a) / s.b))
    def sf(s, x): return -mp.expm1(-mp.exp(-(x - s.a) / s.b))
    def mean(s): return s.a + s.b * mp.euler
    def var(s): return (mp.pi * s.b) ** 2 / 6
    def mode(s): return s.a
    def kurt(s): return mpf(27) / 5


class FisherF(Dist):
    lo = 0
    def __init__(s, d1, d2): s.d1, s.d2 = mpf(d1), mpf(d2)
    def pdf(s, x):
        d1, d2 = s.d1, s.d2
        if x == 0:
            return INF if d1 < 2 else (mpf(1) if d1 == 2 else mpf(0))
        return mp.exp((d1 / 2) * mp.log(d1 * x / (d1 * x + d2)) + (d2 / 2) * mp.log(d2 / (d1 * x + d2))) / (x * mp.beta(d1 / 2, d2 / 2))
    def y(s, x): return s.d1 * x / (s.d1 * x + s.d2)
    def yc(s, x): return s.d2 / (s.d1 * x + s.d2)
    def cdf(s, x): return ibeta(s.d1 / 2, s.d2 / 2, s.y(x), s.yc(x))
    def sf(s, x): return ibeta(s.d2 / 2, s.d1 / 2, s.yc(x), s.y(x))
    def mean(s): return s.d2 / (s.d2 - 2) if s.d2 > 2 else None
    def var(s):
        d1, d2 = s.d1, s.d2
        return 2 * d2 ** 2 * (d1 + d2 - 2) / (d1 * (d2 - 2) ** 2 * (d2 - 4)) if d2 > 4 else None
    def mode(s):
        d1, d2 = s.d1, s.d2
        return d2 * (d1 - 2) / (d1 * (d2 + 2)) if d1 >= 2 else None
    def kurt(s):
        d1, d2 = s.d1, s.d2
        if d2 <= 8:
            return None
        return 3 + 12 * (d1 * (5 * d2 - 22) * (d1 + d2 - 2) + (d2 - 4) * (d2 - 2) ** 2) / (
            d1 * (d2 - 6) * (d2 - 8) * (d1 + d2 - 2))


class Geometric(Discrete):
    def __init__(s, p): s.p = mpf(p)
    def pdf(s, k): return s.p * mp.exp(k * mp.log1p(-s.p)) if k >= 0 else mpf(0)
    def cdf(s, k): return -mp.expm1((k + 1) * mp.log1p(-s.p)) if k >= 0 else mpf(0)
    def sf(s, k): return mp.exp((k + 1) * mp.log1p(-s.p)) if k >= 0 else mpf(1)
    def mean(s): return (1 - s.p) / s.p
    def var(s): return (1 - s.p) / s.p ** 2
    def mode(s): return mpf(0)
    def kurt(s): return 9 + s.p ** 2 / (1 - s.p)


class Hypergeometric(Discrete):
    def __init__(s, n, r, N):
        s.n, s.r, s.N = mpf(n), mpf(r), mpf(N)
        s.lo, s.hi = max(0, n + r - N), min(n, r)
    def pdf(s, k):
        if not s.lo <= k <= s.hi:
            return mpf(0)
        return mp.binomial(s.r, k) * mp.binomial(s.N - s.r, s.n - k) / mp.binomial(s.N, s.n)
    def mean(s): return s.n * s.r / s.N
    def var(s): n, K, N = s.n, s.r, s.N; return n * K * (N - K) * (N - n) / (N ** 2 * (N - 1))
    def mode(s): return mp.floor((s.n + 1) * (s.r + 1) / (s.N + 2))
    def kurt(s):
        N, K, n = s.N, s.r, s.n
        return 3 + ((N - 1) * N ** 2 * (N * (N + 1) - 6 * K * (N - K) - 6 * n * (N - n)) +
                    6 * n * K * (N - K) * (N - n) * (5 * N - 6)) / (n * K * (N - K) * (N - n) * (N - 2) * (N - 3))


class InverseGamma(Dist):
    lo = 0
    def __init__(s, a, b): s.a, s.b = mpf(a), mpf(b)
    def pdf(s, x): return mp.exp(s.a * mp.log(s.b / x) - s.b / x - mp.loggamma(s.a)) / x if x > 0 else mpf(0)
    def cdf(s, x): return gamma_tail(s.a, s.b / x, True) if x > 0 else mpf(0)
    def sf(s, x): return gamma_tail(s.a, s.b / x, False) if x > 0 else mpf(1)
    def mean(s): return s.b / (s.a - 1) if s.a > 1 else None
    def var(s): return s.b ** 2 / ((s.a - 1) ** 2 * (s.a - 2)) if s.a > 2 else None
    def mode(s): return s.b / (s.a + 1)
    def kurt(s): a = s.a; return 3 + 6 * (5 * a - 11) / ((a - 3) * (a - 4)) if a > 4 else None


class InverseChiSquared(InverseGamma):
    def __init__(s, df, xi): InverseGamma.__init__(s, mpf(df) / 2, mpf(df) * mpf(xi) / 2)


class InverseGaussian(Dist):
    lo = 0
    def __init__(s, m, l): s.m, s.l = mpf(m), mpf(l)
    def z(s, x):
        r = mp.sqrt(s.l / x)
        return r * (x / s.m - 1), r * (x / s.m + 1)
    def pdf(s, x): return mp.sqrt(s.l / (2 * mp.pi * x ** 3)) * mp.exp(-s.l * (x - s.m) ** 2 / (2 * s.m ** 2 * x)) if x > 0 else mpf(0)
    def cdf(s, x):
        if x <= 0:
            return mpf(0)
        a, b = s.z(x)
        if a < -1e8:  # below exp(-5e15), and past what mpmath's ncdf takes
            return mpf(0)
        return mp.ncdf(a) + mp.exp(2 * s.l / s.m) * mp.ncdf(-b)
    def sf(s, x):
        if x <= 0 or s.z(x)[0] < -1e8:
            return mpf(1)
        # a difference of terms about exp(-a^2 / 2) that cancels to (b - a) / a
        # of them: a^2 / 2 needs that many more digits, and then its own
        with mp.workdps(15):
            r = mp.sqrt(s.l / x) if x > 0 else mpf(1)
            a = r * (x / s.m - 1)
            extra = int(mp.log10(1 + a * a) + mp.log10(1 + abs(a) / (2 * r))) + 20
        with mp.extradps(extra):
            a, b = s.z(x)
            return +(mp.ncdf(-a) - mp.exp(2 * s.l / s.m) * mp.ncdf(-b))
    def mean(s): return s.m
    def var(s): return s.m ** 3 / s.l
    def mode(s): a = 3 * s.m / (2 * s.l); return s.m / (mp.sqrt(1 + a * a) + a)
    def kurt(s): return 3 + 15 * s.m / s.l


class Laplace(Dist):
    def __init__(s, m, b): s.m, s.b = mpf(m), mpf(b)
    def pdf(s, x): return mp.exp(-abs(x - s.m) / s.b) / (2 * s.b)
    def cdf(s, x): z = (x - s.m) / s.b; return mp.exp(z) / 2 if z < 0 else 1 - mp.exp(-z) / 2
    def sf(s, x): z = (x - s.m) / s.b; return mp.exp(-z) / 2 if z > 0 else 1 - mp.exp(z) / 2
    def mean(s): return s.m
    def var(s): return 2 * s.b ** 2
    def mode(s): return s.m
    def kurt(s): return mpf(6)


class Logistic(Dist):
    def __init__(s, m, sc): s.m, s.s = mpf(m), mpf(sc)
    def pdf(s, x): z = -abs(x - s.m) / s.s; return mp.exp(z) / (s.s * (1 + mp.exp(z)) ** 2)
    def cdf(s, x): return 1 / (1 + mp.exp(-(x - s.m) / s.s))
    def sf(s, x): return 1 / (1 + mp.exp((x - s.m) / s.s))
    def mean(s): return s.m
    def var(s): return (mp.pi * s.s) ** 2 / 3
    def mode(s): return s.m
    def kurt(s): return mpf(21) / 5


class LogNormal(Dist):
    lo = 0
    def __init__(s, m, sd): s.m, s.s = mpf(m), mpf(sd)
    def pdf(s, x): return mp.npdf(mp.log(x), s.m, s.s) / x if x > 0 else mpf(0)
    def cdf(s, x): return mp.ncdf(mp.log(x), s.m, s.s) if x > 0 else mpf(0)
    def sf(s, x): return mp.ncdf(-mp.log(x), -s.m, s.s) if x > 0 else mpf(1)
    def mean(s): return mp.exp(s.m + s.s ** 2 / 2)
    def var(s): return mp.expm1(s.s ** 2) * mp.exp(2 * s.m + s.s ** 2)
    def mode(s): return mp.exp(s.m - s.s ** 2)
    def kurt(s): v = s.s ** 2; return mp.exp(4 * v) + 2 * mp.exp(3 * v) + 3 * mp.exp(2 * v) - 3


class NegativeBinomial(Discrete):
    def __init__(s, r, p): s.r, s.p = mpf(r), mpf(p)
    def pdf(s, k):
        if k < 0:
            return mpf(0)
        with mp.extradps(int(max(0, mp.log10(s.r + k))) + 5):  # the log gamma functions cancel
            return +mp.exp(mp.loggamma(s.r + k) - mp.loggamma(s.r) - mp.loggamma(k + 1) + s.r * mp.log(s.p) +
                           k * mp.log1p(-s.p))
    def cdf(s, k): return ibeta(s.r, k + 1, s.p) if k >= 0 else mpf(0)
    def sf(s, k): return ibeta(k + 1, s.r, 1 - s.p, s.p) if k >= 0 else mpf(1)
    def mean(s): return s.r * (1 - s.p) / s.p
    def var(s): return s.r * (1 - s.p) / s.p ** 2
    def mode(s): return mp.floor((s.r - 1) * (1 - s.p) / s.p) if s.r > 1 else mpf(0)
    def kurt(s): return 3 + 6 / s.r + s.p ** 2 / (s.r * (1 - s.p))


# Poisson weights of the non-central kinds, from the largest outwards.
def poisson_mixture(mu, term):
    j0 = int(mp.floor(mu))
    def w(j):
        return mp.exp(-mu + j * mp.log(mu) - mp.loggamma(j + 1)) if mu > 0 else mpf(1 if j == 0 else 0)
    total, tiny = mpf(0), mpf(10) ** -(mp.mp.dps + 5)
    for step in (1, -1):
        j = j0 if step == 1 else j0 - 1
        while j >= 0:
            t = w(j) * term(j)
            total += t
            if abs(t) <= tiny * abs(total) and abs(j - j0) > 5:
                break
            j += step
    return total


class NonCentralBeta(Dist):
    lo, hi = 0, 1
    def __init__(s, a, b, l): s.a, s.b, s.l = mpf(a), mpf(b), mpf(l)
    def pdf(s, x):
        if (x == 0 and s.a < 1) or (x == 1 and s.b < 1):
            return INF
        if not 0 < x < 1:
            return mpf(0)
        return poisson_mixture(s.l / 2, lambda j: x ** (s.a + j - 1) * (1 - x) ** (s.b - 1) / mp.beta(s.a + j, s.b))
    def cdf(s, x): return poisson_mixture(s.l / 2, lambda j: ibeta(s.a + j, s.b, x))
    def sf(s, x): return poisson_mixture(s.l / 2, lambda j: ibeta(s.b, s.a + j, 1 - x, x))
    def mean(s): return poisson_mixture(s.l / 2, lambda j: (s.a + j) / (s.a + s.b + j))
    def var(s):
        m2 = poisson_mixture(s.l / 2, lambda j: (s.a + j) * (s.a + j + 1) / ((s.a + s.b + j) * (s.a + s.b + j + 1)))
        return m2 - s.mean() ** 2
    def mode(s): return numeric_mode(s)


class NonCentralChiSquared(Dist):
    lo = 0
    def __init__(s, k, l): s.k, s.l = mpf(k), mpf(l)
    def pdf(s, x):
        if x == 0:
            return INF if s.k < 2 else mp.exp(-s.l / 2) / 2 if s.k == 2 else mpf(0)
        if x < 0:
            return mpf(0)
        return poisson_mixture(s.l / 2, lambda j: mp.exp((s.k / 2 + j - 1) * mp.log(x / 2) - x / 2 - mp.loggamma(s.k / 2 + j)) / 2)
    def cdf(s, x): return poisson_mixture(s.l / 2, lambda j: mp.gammainc(s.k / 2 + j, 0, x / 2, regularized=True))
    def sf(s, x): return poisson_mixture(s.l / 2, lambda j: mp.gammainc(s.k / 2 + j, x / 2, INF, regularized=True))
    def mean(s): return s.k + s.l
    def var(s): return 2 * (s.k + 2 * s.l)
    def mode(s): return numeric_mode(s)
    def kurt(s): return 3 + 12 * (s.k + 4 * s.l) / (s.k + 2 * s.l) ** 2


def central4(raw):
    m1, m2, m3, m4 = raw
    var = m2 - m1 ** 2
    return var, (m4 - 4 * m1 * m3 + 6 * m1 ** 2 * m2 - 3 * m1 ** 4) / var ** 2


class NonCentralF(Dist):
    lo = 0
    def __init__(s, v1, v2, l): s.v1, s.v2, s.l = mpf(v1), mpf(v2), mpf(l)
    def y(s, x): return s.v1 * x / (s.v1 * x + s.v2)
    def pdf(s, x):
        if x == 0:
            return INF if s.v1 < 2 else mp.exp(-s.l / 2) if s.v1 == 2 else mpf(0)
        if x < 0:
            return mpf(0)
        y, dy = s.y(x), s.v1 * s.v2 / (s.v1 * x + s.v2) ** 2
        a, b = s.v1 / 2, s.v2 / 2
        return dy * poisson_mixture(s.l / 2, lambda j: mp.exp((a + j - 1) * mp.log(y) + (b - 1) * mp.log1p(-y) - mp.log(mp.beta(a + j, b))))
    def yc(s, x): return s.v2 / (s.v1 * x + s.v2)
    def cdf(s, x): return poisson_mixture(s.l / 2, lambda j: ibeta(s.v1 / 2 + j, s.v2 / 2, s.y(x), s.yc(x)))
    def sf(s, x): return poisson_mixture(s.l / 2, lambda j: ibeta(s.v2 / 2, s.v1 / 2 + j, s.yc(x), s.y(x)))
    def raw(s, r):
        # E[chi'^2r] from the non-central chi-square's cumulants, times E[chi^-2r].
        k, l = s.v1, s.l
        kap = [2 ** (n - 1) * mp.factorial(n - 1) * (k + n * l) for n in range(1, 5)]
        m = [mpf(1), kap[0]]
        for n in range(2, 5):
            m.append(sum(mp.binomial(n - 1, i - 1) * kap[i - 1] * m[n - i] for i in range(1, n + 1)))
        inv = mp.gamma(s.v2 / 2 - r) / (2 ** r * mp.gamma(s.v2 / 2))
        return (s.v2 / s.v1) ** r * m[r] * inv
    def mean(s): return s.raw(1) if s.v2 > 2 else None
    def var(s): return s.raw(2) - s.raw(1) ** 2 if s.v2 > 4 else None
    def kurt(s): return central4([s.raw(r) for r in range(1, 5)])[1] if s.v2 > 8 else None
    def mode(s): return numeric_mode(s)


class NonCentralT(Dist):
    """T = (Z + d) / s, s^2 a chi-square over v: the cdf is the mean of
    Phi(x s - d), its complement that of Phi(d - x s), the density that of
    s phi(x s - d); every term is positive, so nothing cancels. Integrated
    in w = log s around the peak of the integrand."""
    def __init__(s, v, d): s.v, s.d = mpf(v), mpf(d)
    def integral(s, x, part):
        v, d = s.v, s.d
        front = mp.log(2) + v / 2 * mp.log(v / 2) - mp.loggamma(v / 2)
        def logf(w):
            e = mp.exp(w)
            base = front + v * w - v * e * e / 2
            if part == "pdf":
                return base + w + mp.log(mp.npdf(x * e - d))
            a = x * e - d if part == "cdf" else d - x * e
            return base + mp.log(mp.ncdf(a))
        peak = solve(lambda w: -mp.diff(logf, w), mpf(0))
        top = logf(peak)
        width = 1 / mp.sqrt(-mp.diff(logf, peak, 2))
        lo, hi = peak - width, peak + width
        while logf(lo) > top - 80:
            lo -= hi - lo
        while logf(hi) > top - 80:
            hi += hi - lo
        pts = mp.linspace(lo, hi, 41)
        return mp.exp(top) * mp.quad(lambda w: mp.exp(logf(w) - top), pts)
    # P(T > x) <= Phi(d) for x >= 0 and d <= 0 (and its mirror): 1 where that
    # bound is below the working precision
    def cdf(s, x):
        if x >= 0 and s.d <= 0 and mp.ncdf(s.d) < mpf(10) ** -(mp.mp.dps + 5):
            return mpf(1)
        return s.integral(x, "cdf")
    def sf(s, x):
        if x <= 0 and s.d >= 0 and mp.ncdf(-s.d) < mpf(10) ** -(mp.mp.dps + 5):
            return mpf(1)
        return s.integral(x, "sf")
    def pdf(s, x): return s.integral(x, "pdf")
    def raw(s, r):
        z = [mpf(1), s.d, s.d ** 2 + 1, s.d ** 3 + 3 * s.d, s.d ** 4 + 6 * s.d ** 2 + 3][r]
        return (s.v / 2) ** (mpf(r) / 2) * mp.exp(mp.loggamma((s.v - r) / 2) - mp.loggamma(s.v / 2)) * z
    def mean(s): return s.raw(1) if s.v > 1 else None
    def var(s): return s.raw(2) - s.raw(1) ** 2 if s.v > 2 else None
    def kurt(s): return central4([s.raw(r) for r in range(1, 5)])[1] if s.v > 4 else None
    def mode(s): return numeric_mode(s)


class Pareto(Dist):
    def __init__(s, a, b): s.a, s.b = mpf(a), mpf(b); s.lo = s.b
    def pdf(s, x): return s.a * s.b ** s.a / x ** (s.a + 1) if x >= s.b else mpf(0)
    def cdf(s, x): return -mp.expm1(s.a * mp.log(s.b / x)) if x >= s.b else mpf(0)
    def sf(s, x): return mp.exp(s.a * mp.log(s.b / x)) if x >= s.b else mpf(1)
    def mean(s): return s.a * s.b / (s.a - 1) if s.a > 1 else None
    def var(s): a = s.a; return s.b ** 2 * a / ((a - 1) ** 2 * (a - 2)) if a > 2 else None
    def mode(s): return s.b
    def kurt(s): a = s.a; return 3 + 6 * (a ** 3 + a ** 2 - 6 * a - 2) / (a * (a - 3) * (a - 4)) if a > 4 else None


class Poisson(Discrete):
    def __init__(s, m): s.m = mpf(m)
    def pdf(s, k): return mp.exp(-s.m + k * mp.log(s.m) - mp.loggamma(k + 1)) if k >= 0 else mpf(0)
    def cdf(s, k): return gamma_tail(k + 1, s.m, True) if k >= 0 else mpf(0)
    def sf(s, k): return gamma_tail(k + 1, s.m, False) if k >= 0 else mpf(1)
    def mean(s): return s.m
    def var(s): return s.m
    def mode(s): return mp.floor(s.m)
    def kurt(s): return 3 + 1 / s.m


class Rayleigh(Dist):
    lo = 0
    def __init__(s, sg): s.s = mpf(sg)
    def pdf(s, x): return x / s.s ** 2 * mp.exp(-x ** 2 / (2 * s.s ** 2)) if x > 0 else mpf(0)
    def cdf(s, x): return -mp.expm1(-x ** 2 / (2 * s.s ** 2))
    def sf(s, x): return mp.exp(-x ** 2 / (2 * s.s ** 2))
    def mean(s): return s.s * mp.sqrt(mp.pi / 2)
    def var(s): return (4 - mp.pi) / 2 * s.s ** 2
    def mode(s): return s.s
    def kurt(s): return 3 - (6 * mp.pi ** 2 - 24 * mp.pi + 16) / (4 - mp.pi) ** 2


class StudentsT(Dist):
    def __init__(s, v): s.v = mpf(v)
    def pdf(s, x):
        v = s.v
        return mp.exp(mp.loggamma((v + 1) / 2) - mp.loggamma(v / 2) - (v + 1) / 2 * mp.log1p(x * x / v)) / mp.sqrt(v * mp.pi)
    def lower(s, x):  # cdf at x <= 0
        return ibeta(s.v / 2, mpf(1) / 2, s.v / (s.v + x * x), x * x / (s.v + x * x)) / 2
    def cdf(s, x): return s.lower(x) if x <= 0 else 1 - s.lower(-x)
    def sf(s, x): return s.lower(-x) if x >= 0 else 1 - s.lower(x)
    def mean(s): return mpf(0) if s.v > 1 else None
    def var(s): return s.v / (s.v - 2) if s.v > 2 else None
    def mode(s): return mpf(0)
    def kurt(s): return 3 + 6 / (s.v - 4) if s.v > 4 else None


class Triangular(Dist):
    def __init__(s, a, c, b): s.a, s.c, s.b = mpf(a), mpf(c), mpf(b); s.lo, s.hi = s.a, s.b
    def pdf(s, x):
        a, b, c = s.a, s.b, s.c
        if x < a or x > b:
            return mpf(0)
        return 2 * (x - a) / ((b - a) * (c - a)) if x < c else (2 / (b - a) if x == c else 2 * (b - x) / ((b - a) * (b - c)))
    # the far side as a sum of positive terms, not 1 less a square
    def cdf(s, x):
        a, b, c = s.a, s.b, s.c
        if x <= a:
            return mpf(0)
        if x >= b:
            return mpf(1)
        if x <= c:
            return (x - a) ** 2 / ((b - a) * (c - a))
        return ((c - a) * (b - c) + (x - c) * ((b - c) + (b - x))) / ((b - a) * (b - c))
    def sf(s, x):
        a, b, c = s.a, s.b, s.c
        if x >= b:
            return mpf(0)
        if x <= a:
            return mpf(1)
        if x >= c:
            return (b - x) ** 2 / ((b - a) * (b - c))
        return ((c - a) * (b - c) + (c - x) * ((c - a) + (x - a))) / ((b - a) * (c - a))
    def mean(s): return (s.a + s.b + s.c) / 3
    def var(s): a, b, c = s.a, s.b, s.c; return (a * a + b * b + c * c - a * b - a * c - b * c) / 18
    def mode(s): return s.c
    def kurt(s): return mpf(12) / 5
    def quantile(s, p):
        a, b, c = s.a, s.b, s.c
        if p < (c - a) / (b - a):
            return a + mp.sqrt(p * (b - a) * (c - a))
        return b - mp.sqrt((1 - p) * (b - a) * (b - c))


class Uniform(Dist):
    def __init__(s, a, b): s.a, s.b = mpf(a), mpf(b); s.lo, s.hi = s.a, s.b
    def pdf(s, x): return 1 / (s.b - s.a) if s.a <= x <= s.b else mpf(0)
    def cdf(s, x): return min(max((x - s.a) / (s.b - s.a), mpf(0)), mpf(1))
    def sf(s, x): return min(max((s.b - x) / (s.b - s.a), mpf(0)), mpf(1))
    def mean(s): return (s.a + s.b) / 2
    def var(s): return (s.b - s.a) ** 2 / 12
    def mode(s): return s.a
    def kurt(s): return mpf(9) / 5
    def quantile(s, p): return s.a + p * (s.b - s.a) if p < 0.5 else s.b - (1 - p) * (s.b - s.a)


class Weibull(Dist):
    lo = 0
    def __init__(s, k, l): s.k, s.l = mpf(k), mpf(l)
    def pdf(s, x):
        if x == 0:
            return INF if s.k < 1 else 1 / s.l if s.k == 1 else mpf(0)
        return s.k / s.l * (x / s.l) ** (s.k - 1) * mp.exp(-(x / s.l) ** s.k) if x > 0 else mpf(0)
    def cdf(s, x): return -mp.expm1(-(x / s.l) ** s.k)
    def sf(s, x): return mp.exp(-(x / s.l) ** s.k)
    def g(s, i): return mp.gamma(1 + mpf(i) / s.k)
    def mean(s): return s.l * s.g(1)
    def var(s): return s.l ** 2 * (s.g(2) - s.g(1) ** 2)
    def mode(s): return s.l * ((s.k - 1) / s.k) ** (1 / s.k) if s.k > 1 else mpf(0) if s.k == 1 else None
    def kurt(s):
        g1, g2, g3, g4 = (s.g(i) for i in range(1, 5))
        return (g4 - 4 * g1 * g3 + 6 * g1 ** 2 * g2 - 3 * g1 ** 4) / (g2 - g1 ** 2) ** 2


def numeric_mode(d):
    """The maximum of the pdf inside the support (None where the density
    only grows towards an end): a golden search between the 1% and 99%
    quantiles, then the root of its derivative inside the last bracket."""
    lo, hi = quantile(d, mpf("0.01")), quantile(d, mpf("0.99"))
    g = (mp.sqrt(5) - 1) / 2
    a, b = lo, hi
    for _ in range(40):
        c, e = b - g * (b - a), a + g * (b - a)
        if d.pdf(c) > d.pdf(e):
            b = e
        else:
            a = c
    if a - lo < (hi - lo) * 1e-6 or hi - b < (hi - lo) * 1e-6:
        return None
    slope = lambda t: mp.diff(d.pdf, t)
    return mp.findroot(slope, (a, b), solver="anderson", tol=mpf(10) ** -(2 * mp.mp.dps), verify=False)


# ---------------------------------------------------------------- quantiles


def transform(d):
    """x(u) onto the support and its inverse, so that any u is inside."""
    lo, hi = mpf(d.lo), mpf(d.hi)
    if lo == -INF and hi == INF:
        c, w = d.hint()
        return (lambda u: c + w * u), (lambda x: (x - c) / w)
    if hi == INF:
        return (lambda u: lo + mp.exp(u)), (lambda x: mp.log(x - lo))
    return (lambda u: lo + (hi - lo) / (1 + mp.exp(-u))), (lambda x: mp.log((x - lo) / (hi - x)))


def solve(f, u0):
    """A root of the increasing f, found from u0 outwards, then by Illinois."""
    fa = f(u0)
    step = mpf(1)
    a, b = u0, u0
    if fa < 0:
        while True:
            b = a + step
            fb = f(b)
            if fb >= 0:
                break
            a, fa, step = b, fb, step * 2
    else:
        b, fb = a, fa
        while True:
            a = b - step
            fa = f(a)
            if fa <= 0:
                break
            b, fb, step = a, fa, step * 2
    side = 0
    for _ in range(2000):
        if fa == 0:
            return a
        if fb == 0:
            return b
        c = b - fb * (b - a) / (fb - fa)
        if not (min(a, b) < c < max(a, b)):
            c = (a + b) / 2
        fc = f(c)
        if fc < 0:
            a, fa = c, fc
            if side == -1:
                fb /= 2
            side = -1
        else:
            b, fb = c, fc
            if side == 1:
                fa /= 2
            side = 1
        if abs(b - a) <= mpf(10) ** -(mp.mp.dps - 3) * (1 + abs(b)):
            return (a + b) / 2
    raise ArithmeticError("no convergence")


def quantile(d, p):
    if p <= 0 or p >= 1:
        raise ValueError(p)
    if hasattr(d, "quantile"):
        return d.quantile(p)
    if d.discrete:
        return discrete_quantile(d, p)
    x, u = transform(d)
    c = d.hint()[0]
    u0 = u(c) if c is not None and d.lo < c < d.hi else mpf(0)

    def g(t):
        xt = x(t)
        if p < 0.5:
            c = d.cdf(xt)
            return (mp.log(c) - mp.log(p)) if c > 0 else mpf(-1e6)
        s = d.sf(xt)
        return (mp.log(1 - p) - mp.log(s)) if s > 0 else mpf(1e6)
    return x(solve(g, u0))


def discrete_quantile(d, p):
    """The smallest count whose cdf is at least p (compared on the
    complement above one half)."""
    def reached(k):
        return d.cdf(k) >= p if p <= 0.5 else d.sf(k) <= 1 - p
    if reached(d.lo):
        return mpf(d.lo)
    lo, hi = d.lo, max(d.lo + 1, int(d.mean()))
    while not reached(hi):
        lo, hi = hi, hi * 2
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if reached(mid):
            hi = mid
        else:
            lo = mid
    return mpf(hi)


# ---------------------------------------------------------------- the table

ORDINARY, TAIL = 1e-9, 1e-6
STATS = ["stat_mean", "stat_stddev", "stat_mode", "stat_median", "stat_kurtosis"]
POINT_STATS = ["stat_pdf", "stat_cdf", "stat_hazard", "stat_cumHazard"]

KINDS = [
    ("stat_distrNormal", Normal, [(1.5, 2), (-3, 0.25), (0, 1e-300)]),
    ("stat_distrBinomial", Binomial, [(20, 0.3), (1000, 0.001), (1e6, 0.4)]),
    ("stat_distrBeta", Beta, [(2.5, 4), (0.05, 40), (1e6, 3e6)]),
    ("stat_distrBernoulli", Bernoulli, [(0.35,), (1e-9,), (1 - 1e-12,)]),
    ("stat_distrCauchy", Cauchy, [(0.5, 2), (-1e3, 1e-3), (1e300, 1e295)]),
    ("stat_distrChiSquare", ChiSquared, [(5.5,), (0.01,), (1e8,)]),
    ("stat_distrExponential", Exponential, [(0.7,), (1e-8,), (1e300,)]),
    ("stat_distrExtremeValue", ExtremeValue, [(1, 2), (-5, 0.01), (1e10, 1e-5)]),
    ("stat_distrF", FisherF, [(5, 12), (0.5, 1.5), (1e8, 3e7)]),
    ("stat_distrGamma", Gamma, [(3.5, 1.5), (0.01, 1), (1e8, 1e-10)]),
    ("stat_distrGeometric", Geometric, [(0.25,), (1e-6,), (1 - 1e-9,)]),
    ("stat_distrHyperGeometric", Hypergeometric, [(8, 12, 40), (50, 3, 1000), (5000, 40000, 1000000)]),
    ("stat_distrInverseChiSquare", InverseChiSquared, [(9, 0.8), (0.5, 1), (1e8, 1e-5)]),
    ("stat_distrInverseGamma", InverseGamma, [(5, 2), (0.3, 1), (1e7, 1e-7)]),
    ("stat_distrInverseGaussian", InverseGaussian, [(1.5, 3), (1, 0.001), (1, 1000)]),
    ("stat_distrLaplace", Laplace, [(0.5, 1.5), (0, 1e-200), (1e300, 1e298)]),
    ("stat_distrNegativeBinomial", NegativeBinomial, [(4, 0.4), (0.5, 1e-3), (1e6, 0.999)]),
    ("stat_distrLogistic", Logistic, [(2, 0.8), (0, 1e-3), (-1e15, 10)]),
    ("stat_distrLogNormal", LogNormal, [(0.3, 0.6), (0, 3), (650, 1e-3)]),
    ("stat_distrNonCentralBeta", NonCentralBeta, [(2, 3, 1.5), (0.5, 0.5, 20), (100, 200, 500)]),
    ("stat_distrNonCentralChiSquared", NonCentralChiSquared, [(4, 2.5), (0.5, 50), (2000, 300)]),
    ("stat_distrNonCentralF", NonCentralF, [(6, 15, 3), (2, 3, 100), (200, 2000, 60)]),
    ("stat_distrNonCentralT", NonCentralT, [(10, 1.2), (3, -5), (1e6, 1)]),
    ("stat_distrPareto", Pareto, [(5.5, 2), (0.5, 1), (1e3, 1e-300)]),
    ("stat_distrPoisson", Poisson, [(3.7,), (1e-6,), (1e5,)]),
    ("stat_distrRayleigh", Rayleigh, [(1.3,), (1e-300,), (1e300,)]),
    ("stat_distrStudentsT", StudentsT, [(7.5,), (0.5,), (1e10,)]),
    ("stat_distrTriangular", Triangular, [(1, 2, 4.5), (0, 0, 1), (-1e300, 0, 1e300)]),
    ("stat_distrUniform", Uniform, [(-1, 3), (0, 1e-300), (-1e307, 1e307)]),
    ("stat_distrWeibull", Weibull, [(1.8, 2.5), (0.3, 1), (1e6, 1)]),
]

CLASSES = {ctor: cls for ctor, cls, _ in KINDS}

# Hard cases found before: (constructor, parameters, statistic, argument[,
# tolerance]).
HARD = [
    ("stat_distrInverseGaussian", (1, 0.01), "stat_quantile", 0.9),
    ("stat_distrInverseGaussian", (1, 0.001), "stat_quantile", 0.999999),
    ("stat_distrInverseGaussian", (1, 0.001), "stat_quantile", 0.999),
    ("stat_distrInverseGaussian", (5, 0.1), "stat_quantile", 0.9),
    ("stat_distrInverseGaussian", (1, 1000), "stat_median", None),
    ("stat_distrNonCentralT", (1e6, 1), "stat_cdf", -30),
    ("stat_distrNonCentralT", (1000, 1), "stat_cdf", -30),
    ("stat_distrNonCentralT", (1000, 1), "stat_quantile", 1e-100),
    ("stat_distrPareto", (0.5, 1), "stat_mean", None),
    ("stat_distrPareto", (1, 2), "stat_mean", None),
    ("stat_distrNormal", (1.5, 2), "stat_cumHazard", -40),
    ("stat_distrNormal", (0, 1), "stat_cumHazard", -9),
    ("stat_distrLogistic", (0, 1), "stat_cumHazard", -50),
    ("stat_distrLogNormal", (0, 1), "stat_cumHazard", 1e-5),
    ("stat_distrRayleigh", (1,), "stat_cumHazard", 1e-9),
    ("stat_distrWeibull", (2, 1), "stat_cumHazard", 1e-9),
    ("stat_distrInverseGaussian", (1, 1), "stat_cumHazard", 0.01),
    ("stat_distrChiSquare", (5.5,), "stat_hazard", 2000),
    ("stat_distrNonCentralF", (10, 20, 0.0001), "stat_kurtosis", None),
    ("stat_distrWeibull", (1e4, 1), "stat_kurtosis", None),
    ("stat_distrWeibull", (1e6, 1), "stat_kurtosis", None),
    ("stat_distrNonCentralT", (1e13, 2147483647), "stat_kurtosis", None),
    ("stat_distrNormal", (0, 1e-300), "stat_pdf", 0),
    ("stat_distrBeta", (2.5, 4), "stat_quantile", 1e-300),
    ("stat_distrF", (5, 12), "stat_quantile", 1e-300),
    # a median that is the smallest count whose cdf reaches one half
    ("stat_distrBinomial", (3, 0.6), "stat_median", None),
    ("stat_distrBinomial", (69, 0.230294693291442), "stat_median", None),
    ("stat_distrBinomial", (41, 0.9999982615723718), "stat_median", None),
    ("stat_distrNegativeBinomial", (42.325850360310504, 4.015738057990502e-06), "stat_quantile", 0.999999999999),
    ("stat_distrNegativeBinomial", (1, 1e-12), "stat_quantile", 1 - 1e-12),
    ("stat_distrGeometric", (1.73767188799828e-07,), "stat_pdf", 79505857),
    # the non-central beta's spread and far quantiles
    ("stat_distrNonCentralBeta", (10.120511931044256, 0.62317004696572, 833.7820153445396), "stat_stddev", None),
    ("stat_distrNonCentralBeta", (10.120511931044256, 0.62317004696572, 833.7820153445396), "stat_mean", None),
    ("stat_distrNonCentralBeta", (10.120511931044256, 0.62317004696572, 833.7820153445396), "stat_quantile",
     1e-300),
    ("stat_distrNonCentralF", (53.606201970167064, 3.091874181517594, 12803.684610191318), "stat_quantile",
     0.999999999999),
    # cancellation near an end, and in the inverse Gaussian's mode and tail
    ("stat_distrTriangular", (0, 0, 1), "stat_quantile", 1e-20),
    ("stat_distrTriangular", (0, 0, 1), "stat_quantile", 3e-10, ORDINARY),
    ("stat_distrTriangular", (-1, 0, 0), "stat_quantile", 1 - 2 ** -40, ORDINARY),
    ("stat_distrInverseGaussian", (1, 1e-6), "stat_mode", None),
    ("stat_distrInverseGaussian", (66.14916147834711, 2.895220473194363e-06), "stat_mode", None),
    ("stat_distrInverseGaussian", (6.553709497785286, 0.009475579724840996), "stat_cumHazard",
     1.2468960529178407e+232),
    # the non-central t in [0, 1] (1 exactly where its complement is below the
    # doubles near 1), near 0 and in its far quantiles
    ("stat_distrNonCentralT", (30, 0), "stat_cdf", 50, 1e-16),
    ("stat_distrNonCentralT", (1e-10, -1000), "stat_cdf", 2.5, 1e-16),
    ("stat_distrNonCentralT", (0.5, -10), "stat_cdf", 1e-10, 1e-16),
    ("stat_distrNonCentralT", (0.5, -10), "stat_cdf", 1e-300, 1e-16),
    ("stat_distrNonCentralT", (62514.166294625706, 15.196054338505729), "stat_cdf", -1.622581619e-314),
    ("stat_distrNonCentralT", (62514.166294625706, 15.196054338505729), "stat_quantile", 1e-6),
    ("stat_distrNonCentralT", (62514.166294625706, 15.196054338505729), "stat_quantile", 1e-20),
    ("stat_distrNonCentralT", (2, 50), "stat_quantile", 1e-200),
    # the incomplete beta function and its derivative where both shapes are large
    ("stat_distrBeta", (1e13, 1e13), "stat_cdf", 0.5, 1e-14),
    ("stat_distrBeta", (1e12, 1e12), "stat_pdf", 0.5, 1e-13),
    ("stat_distrBeta", (1e12, 1e12), "stat_cdf", 0.5000001060660172, 1e-13),
    ("stat_distrBeta", (1e12, 1e12), "stat_quantile", 0.3, 1e-13),
    ("stat_distrBeta", (1e12, 1e9), "stat_cdf", 0.99900099900099903, 1e-13),
    ("stat_distrBeta", (1e12, 1e9), "stat_pdf", 0.999, 1e-11),
    ("stat_distrBeta", (1e9, 1e8), "stat_cdf", 0.9090614087, 1e-13),
    ("stat_distrBinomial", (2e12, 0.5), "stat_pdf", 1e12, 1e-13),
    ("stat_distrBinomial", (2e12, 0.5), "stat_cdf", 1e12, 1e-13),
    ("stat_distrBinomial", (2e12, 0.5), "stat_median", None, 0),
    ("stat_distrBinomial", (3e11, 0.3), "stat_quantile", 0.999, 0),
    ("stat_distrNegativeBinomial", (1e12, 0.5), "stat_pdf", 1e12, 1e-13),
    ("stat_distrNegativeBinomial", (1e13, 0.5), "stat_cdf", 9999999999999, 1e-13),
    ("stat_distrF", (2e12, 2e12), "stat_pdf", 1, 1e-13),
    ("stat_distrF", (2e12, 6e11), "stat_cdf", 1.000001, 1e-13),
    ("stat_distrF", (2e12, 6e11), "stat_quantile", 0.999, 1e-13),
    # densities at large shapes and means, ratios and densities beyond the doubles
    ("stat_distrGamma", (87756662702671.6, 3.568974744016458e-210), "stat_pdf", 3.132006015567806e-196, 1e-13),
    ("stat_distrPoisson", (2.5346044553855985e+18,), "stat_pdf", 2.534604421517322e+18, 1e-12),
    ("stat_distrLogNormal", (683.2532814840042, 28.84081812764057), "stat_pdf", 5e-324, 1e-12),
    ("stat_distrPareto", (0.001, 1e-300), "stat_cdf", 1.1481306952741246e+302, 1e-15),
    ("stat_distrNonCentralBeta", (0.016836048945707234, 5.5513471258893405, 252.26095021981865), "stat_pdf", 5e-324,
     1e-12),
    # Boost's root at the lower end far in the lower tail
    ("stat_distrBeta", (1.9340459776516246, 0.002380859951705961), "stat_quantile", 1e-100, 1e-12),
]

# Statistics the system refuses whatever the parameters.
REFUSED = {("stat_distrNonCentralBeta", "stat_kurtosis")}

# Kinds whose hazard and cumulative hazard have a form without underflow far
# in the upper tail; the others are refused where the pdf or the survival
# function is below the smallest normal double (the hazard while the survival
# function is at most one half, the cumulative hazard once the cdf is one
# half).
TAIL_FORMS = {"stat_distrNormal", "stat_distrLogNormal", "stat_distrExponential", "stat_distrWeibull",
              "stat_distrRayleigh", "stat_distrLogistic", "stat_distrExtremeValue", "stat_distrLaplace",
              "stat_distrPareto", "stat_distrGamma", "stat_distrChiSquare", "stat_distrInverseGaussian",
              "stat_distrNonCentralT", "stat_distrCauchy"}
DBL_MIN = mpf(2.2250738585072014e-308)


def refused(ctor, cls, params, stat, x):
    """Where the system refuses a number that exists (see the README)."""
    if (ctor, stat) in REFUSED:
        return True
    if stat not in ("stat_hazard", "stat_cumHazard") or ctor in TAIL_FORMS:
        return False
    with mp.workdps(DIGITS):
        d, x = cls(*params), mpf(x)
        s = d.sf(x)
        if stat == "stat_hazard":
            return 0 < s <= 0.5 and (s < DBL_MIN or d.pdf(x) < DBL_MIN)
        return d.cdf(x) >= 0.5 and 0 < s < DBL_MIN


def statistic(d, stat, x):
    if stat == "stat_mean":
        return d.mean()
    if stat == "stat_stddev":
        v = d.var()
        return mp.sqrt(v) if v is not None else None
    if stat == "stat_mode":
        return d.mode()
    if stat == "stat_median":
        return quantile(d, mpf(0.5))
    if stat == "stat_kurtosis":
        return d.kurt()
    if stat == "stat_quantile":
        return quantile(d, mpf(x))
    x = mpf(x)
    return {"stat_pdf": d.pdf, "stat_cdf": d.cdf, "stat_hazard": d.hazard, "stat_cumHazard": d.chf}[stat](x)


def fmt(v):
    return repr(float(v))


class Table:
    def __init__(self, out):
        self.out = out

    def row(self, ctor, params, cls, stat, x, tolerance, spread):
        if refused(ctor, cls, params, stat, x):
            expected = "refused"
        else:
            v = stable(lambda: statistic(cls(*params), stat, x))
            if v is None:
                expected = "refused"
            else:
                f = float(v) if mp.isfinite(v) else math.inf
                if v != 0 and abs(v) < 1e-305:  # below what a double holds well
                    return
                expected = fmt(v) if math.isfinite(f) else "refused"
                if cls.discrete and stat in ("stat_quantile", "stat_median") and abs(f) < 2 ** 53:
                    tolerance = 0  # a count, exactly
        arg = "" if x is None else fmt(x)
        self.out.write("\t".join([ctor, ",".join(fmt(p) for p in params), stat, arg, expected,
                                  repr(tolerance), fmt(spread)]) + "\n")


def points(d):
    """Ordinary points and the tail points, as doubles, with their tolerance."""
    pts = []
    for p in (0.3, 0.8):
        q = float(quantile(d, mpf(p)))
        pts.append((float("%.6g" % q) if q != 0 else q, ORDINARY))
    for p in (1e-300, 1e-10, 1 - 1e-10):
        pts.append((float(quantile(d, mpf(p))), TAIL))
    # where the complement is 1e-300
    if not d.discrete:
        x, u = transform(d)
        q = quantile(d, mpf(1 - 1e-10))
        u0 = u(q) if d.lo < q < d.hi else mpf(0)
        t = solve(lambda t: mp.log(mpf(1e-300)) - mp.log(max(d.sf(x(t)), mpf(10) ** -100000)), u0)
        pts.append((float(x(t)), TAIL))
    out, seen = [], set()
    for x, tol in pts:
        if d.discrete:
            x = float(math.floor(x))
            if x < d.lo:
                continue
        if math.isfinite(x) and x not in seen:
            seen.add(x)
            out.append((x, tol))
    return out


def kind_rows(table, ctor, cls, params):
    with mp.workdps(DIGITS):
        d = cls(*params)
        real_line = d.lo == -INF or (d.hi != INF and not d.discrete)
        spread = float(quantile(d, mpf(0.75)) - quantile(d, mpf(0.25))) if real_line else 0.0
        pts = points(d)
    for stat in STATS:
        table.row(ctor, params, cls, stat, None, ORDINARY, spread if stat != "stat_stddev" and stat != "stat_kurtosis" else 0)
    for p in (1e-300, 1e-10, 0.5, 1 - 1e-10):
        table.row(ctor, params, cls, "stat_quantile", p, ORDINARY if p == 0.5 else TAIL, spread)
    for x, tol in pts:
        for stat in POINT_STATS:
            table.row(ctor, params, cls, stat, x, tol, 0.0)


HEADER = """# Reference values for tests/statistics/sweep_sheet_test.cpp, written by
# tools/statistics/mpmath_reference.py with mpmath {version}: each value at 30
# significant digits and again at twice as many until two agree to 25.
# Columns: constructor, its arguments (worksheet order), statistic, its
# argument, the expected value or "refused", relative tolerance, and a spread
# (location statistics of kinds on the real line are compared to within the
# tolerance times the spread, the interquartile range, as well).
"""


def task_rows(task):
    """The rows of one parameter set, or of one hard case, as text."""
    out = io.StringIO()
    table = Table(out)
    if task[0] == "set":
        _, ctor, params = task
        kind_rows(table, ctor, CLASSES[ctor], params)
    else:
        _, ctor, params, stat, x, *given = task
        tolerance = given[0] if given else TAIL if stat in ("stat_cdf", "stat_quantile") else ORDINARY
        table.row(ctor, params, CLASSES[ctor], stat, x, tolerance, 0.0)
    return out.getvalue()


def key_of(line):
    return tuple(line.split("\t")[:4])


def computed(tasks, jobs):
    """The rows of the tasks, in their order, each key once (a hard case may
    repeat a row of its kind's sets)."""
    seen = set()
    with multiprocessing.Pool(jobs) as pool:
        for rows in pool.imap(task_rows, tasks):
            for line in rows.splitlines(keepends=True):
                if key_of(line) not in seen:
                    seen.add(key_of(line))
                    yield line


def updated(table, tasks, kinds, jobs):
    """The table's lines with the rows of the kinds computed again in place of
    their old ones (kinds empty: the tasks' rows added at the end)."""
    old = open(table).read().splitlines(keepends=True)
    new = list(computed(tasks, jobs))
    out, placed = [], set()
    for line in old:
        ctor = line.split("\t")[0]
        if line.startswith("#") or ctor not in kinds:
            out.append(line)
        elif ctor not in placed:
            placed.add(ctor)
            out.extend(row for row in new if row.split("\t")[0] == ctor)
    out.extend(row for row in new if row.split("\t")[0] not in placed)
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--jobs", type=int, default=1, help="parameter sets computed side by side")
    parser.add_argument("--update", metavar="TABLE",
                        help="print TABLE with the rows of the kinds named computed again (in place of "
                             "their old ones), or with --new the hard cases it lacks added at its end")
    parser.add_argument("--new", action="store_true", help="with --update: only the hard cases TABLE lacks")
    parser.add_argument("kinds", nargs="*", help="constructors to compute (default: all)")
    args = parser.parse_args()
    tasks = [("set", ctor, params) for ctor, _, sets in KINDS for params in sets]
    tasks += [("hard",) + case for case in HARD]
    tasks = [t for t in tasks if not args.kinds or t[1] in args.kinds]
    if args.new:
        if not args.update:
            parser.error("--new needs --update")
        have = {key_of(line) for line in open(args.update) if not line.startswith("#")}
        fmt_arg = lambda x: "" if x is None else fmt(x)
        tasks = [t for t in tasks if t[0] == "hard" and
                 (t[1], ",".join(fmt(p) for p in t[2]), t[3], fmt_arg(t[4])) not in have]
    if args.update:
        kinds = set() if args.new else {t[1] for t in tasks}
        sys.stdout.writelines(updated(args.update, tasks, kinds, args.jobs))
        return
    sys.stdout.write(HEADER.format(version=mp.__version__))
    for line in computed(tasks, args.jobs):
        sys.stdout.write(line)
        sys.stdout.flush()


if __name__ == "__main__":
    main()
