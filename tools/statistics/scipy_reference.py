#!/usr/bin/python3
"""Reference values for the statistics sheet test, from scipy.stats.

Run by hand with Debian's python3-scipy:  /usr/bin/python3 scipy_reference.py
and paste the printed rows into tests/statistics/statistics_sheet_test.cpp.

Each row: the constructor, its worksheet arguments, a point x, a probability
p, then mean, standard deviation, mode, median, kurtosis (full, not excess),
pdf(x), cdf(x), hazard(x) = pdf/sf, cumulative hazard(x) = -log sf, and the
quantile at p; nan where scipy has nothing to compare.

scipy's parameterisations differ from the worksheet's in places:
geometric counts trials (shifted by one to count failures), the inverse
chi-square is scaled (an inverse gamma), the inverse Gaussian takes mu/lambda,
the exponential a scale, the hypergeometric (population, successes, draws).
The non-central beta is not in scipy: it is built here as the Poisson mixture
of beta distributions. Modes are found by maximising the pdf (continuous) or
the pmf over the support (discrete). Discrete quantiles are taken above 0.5,
where Boost's default rounding (outwards) agrees with scipy's ppf.
"""
import numpy as np
from scipy import integrate, optimize, stats


class NonCentralBeta:
    def __init__(self, a, b, lam):
        self.a, self.b = a, b
        j = np.arange(0, 200)
        self.w = stats.poisson(lam / 2).pmf(j)
        self.j = j

    def pdf(self, y):
        return float(np.sum(self.w * stats.beta(self.a + self.j, self.b).pdf(y)))

    def cdf(self, y):
        return float(np.sum(self.w * stats.beta(self.a + self.j, self.b).cdf(y)))

    def sf(self, y):
        return float(np.sum(self.w * stats.beta(self.a + self.j, self.b).sf(y)))

    def logsf(self, y):
        return np.log(self.sf(y))

    def ppf(self, p):
        return optimize.brentq(lambda y: self.cdf(y) - p, 1e-12, 1 - 1e-12, xtol=1e-15, rtol=1e-15)

    def stats(self, moments):
        a, b, j, w = self.a, self.b, self.j, self.w
        m1 = np.sum(w * (a + j) / (a + b + j))
        m2 = np.sum(w * (a + j) * (a + j + 1) / ((a + b + j) * (a + b + j + 1)))
        return m1, m2 - m1 * m1

    def median(self):
        return self.ppf(0.5)

    def support(self):
        return 0.0, 1.0


def continuous_mode(d):
    lo, hi = d.support()
    lo = lo if np.isfinite(lo) else d.ppf(1e-6)
    hi = hi if np.isfinite(hi) else d.ppf(1 - 1e-6)
    r = optimize.minimize_scalar(lambda t: -d.pdf(t), bounds=(lo, hi), method="bounded",
                                 options={"xatol": 1e-13})
    return r.x


def discrete_mode(d):
    k = np.arange(int(d.ppf(1e-12)), int(d.ppf(1 - 1e-12)) + 1)
    return float(k[np.argmax(d.pmf(k))])


nan = float("nan")
cases = [
    ("stat_distrNormal", (1.5, 2.0), 2.3, 0.8, stats.norm(1.5, 2.0)),
    ("stat_distrBinomial", (20, 0.3), 7, 0.8, stats.binom(20, 0.3)),
    ("stat_distrBeta", (2.5, 4), 0.3, 0.7, stats.beta(2.5, 4)),
    ("stat_distrBernoulli", (0.35,), 0, 0.9, stats.bernoulli(0.35)),
    ("stat_distrCauchy", (0.5, 2), 1.7, 0.9, stats.cauchy(0.5, 2)),
    ("stat_distrChiSquare", (5.5,), 4, 0.3, stats.chi2(5.5)),
    ("stat_distrExponential", (0.7,), 1.2, 0.6, stats.expon(scale=1 / 0.7)),
    ("stat_distrExtremeValue", (1, 2), 2.5, 0.4, stats.gumbel_r(1, 2)),
    ("stat_distrF", (5, 12), 1.3, 0.9, stats.f(5, 12)),
    ("stat_distrGamma", (3.5, 1.5), 4, 0.2, stats.gamma(3.5, scale=1.5)),
    ("stat_distrGeometric", (0.25,), 3, 0.85, stats.geom(0.25, loc=-1)),
    # worksheet (n sample, r successes, N population)
    ("stat_distrHyperGeometric", (8, 12, 40), 3, 0.7, stats.hypergeom(40, 12, 8)),
    ("stat_distrInverseChiSquare", (9, 0.8), 0.7, 0.5, stats.invgamma(9 / 2, scale=9 * 0.8 / 2)),
    ("stat_distrInverseGamma", (5, 2), 0.4, 0.3, stats.invgamma(5, scale=2)),
    ("stat_distrInverseGaussian", (1.5, 3), 1.1, 0.6, stats.invgauss(1.5 / 3, scale=3)),
    ("stat_distrLaplace", (0.5, 1.5), 1.0, 0.75, stats.laplace(0.5, 1.5)),
    ("stat_distrNegativeBinomial", (4, 0.4), 5, 0.7, stats.nbinom(4, 0.4)),
    ("stat_distrLogistic", (2, 0.8), 1.5, 0.35, stats.logistic(2, 0.8)),
    ("stat_distrLogNormal", (0.3, 0.6), 1.4, 0.55, stats.lognorm(0.6, scale=np.exp(0.3))),
    ("stat_distrNonCentralBeta", (2, 3, 1.5), 0.4, 0.6, NonCentralBeta(2, 3, 1.5)),
    ("stat_distrNonCentralChiSquared", (4, 2.5), 5, 0.45, stats.ncx2(4, 2.5)),
    ("stat_distrNonCentralF", (6, 15, 3), 1.8, 0.7, stats.ncf(6, 15, 3)),
    ("stat_distrNonCentralT", (10, 1.2), 1.5, 0.65, stats.nct(10, 1.2)),
    # worksheet (alpha shape, beta scale)
    ("stat_distrPareto", (5.5, 2), 2.6, 0.5, stats.pareto(5.5, scale=2)),
    ("stat_distrPoisson", (3.7,), 4, 0.8, stats.poisson(3.7)),
    ("stat_distrRayleigh", (1.3,), 1.9, 0.25, stats.rayleigh(scale=1.3)),
    ("stat_distrStudentsT", (7.5,), 0.9, 0.95, stats.t(7.5)),
    ("stat_distrTriangular", (1, 2, 4.5), 3, 0.4, stats.triang((2 - 1) / 3.5, loc=1, scale=3.5)),
    ("stat_distrUniform", (-1, 3), 0.5, 0.3, stats.uniform(-1, 4)),
    ("stat_distrWeibull", (1.8, 2.5), 2, 0.65, stats.weibull_min(1.8, scale=2.5)),
]


def row(name, args, x, p, d):
    discrete = hasattr(d, "pmf")
    nc_beta = isinstance(d, NonCentralBeta)
    if nc_beta:
        mean, var = d.stats("mv")
        kurt = nan
    elif name == "stat_distrCauchy":
        mean = var = kurt = nan
    else:
        mean, var, kurt = (float(v) for v in d.stats("mvk"))
        if name != "stat_distrNonCentralF":  # scipy's ncf "excess" is the full kurtosis
            kurt += 3
    if discrete:
        mode = discrete_mode(d)
    elif name == "stat_distrUniform":
        mode = nan  # every point of the support
    else:
        mode = continuous_mode(d)
    dens = d.pmf(x) if discrete else d.pdf(x)
    values = [mean, np.sqrt(var), mode, d.median(), kurt, dens, d.cdf(x), dens / d.sf(x),
              -d.logsf(x), d.ppf(p)]
    if name == "stat_distrGeometric":
        values[3] = values[9] = nan  # Boost gives a real number of failures here
    a = ", ".join(repr(float(v)) for v in args)
    v = ", ".join("NAN" if np.isnan(t) else repr(float(t)) for t in values)
    return '    {"%s", {%s}, %r, %r,\n     {%s}},' % (name, a, float(x), float(p), v)


print("scipy", __import__("scipy").__version__)
for c in cases:
    print(row(*c))
