// Tails without cancellation or underflow for the kinds that have them in
// closed form, and the inverse Gaussian's cdf.
#include "statistics/mends.h"

#include <boost/math/distributions/beta.hpp>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/cauchy.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/exponential.hpp>
#include <boost/math/distributions/extreme_value.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/gamma.hpp>
#include <boost/math/distributions/inverse_chi_squared.hpp>
#include <boost/math/distributions/inverse_gamma.hpp>
#include <boost/math/distributions/inverse_gaussian.hpp>
#include <boost/math/distributions/laplace.hpp>
#include <boost/math/distributions/logistic.hpp>
#include <boost/math/distributions/negative_binomial.hpp>
#include <boost/math/distributions/lognormal.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/pareto.hpp>
#include <boost/math/distributions/rayleigh.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/distributions/triangular.hpp>
#include <boost/math/distributions/uniform.hpp>
#include <boost/math/distributions/weibull.hpp>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/detail/igamma_large.hpp>
#include <boost/math/special_functions/gamma.hpp>

namespace ZR::stats {

namespace {

constexpr double rootPi = 1.7724538509055160, rootHalfPi = 1.2533141373155003;

// The upper normal tail at z > 0: the hazard of the standard normal and
// -log of its survival function.
void normalTail(double z, double& hazard, double& cumHazard) {
  const double e = erfcx(z / rootTwo);
  hazard = 1 / (rootHalfPi * e);
  cumHazard = z * z / 2 - std::log(e / 2);
}

}  // namespace

double erfcx(double t) {
  if (t < 0) return 2 * std::exp(t * t) - erfcx(-t);
  if (t < 5) return std::exp(t * t) * std::erfc(t);
  // Laplace's continued fraction, converged to a double from 5 on.
  double f = t;
  for (int n = 60; n >= 1; --n) f = t + 0.5 * n / f;
  return 1 / (rootPi * f);
}

double gammaP(double a, double x, bool upper, double scale) {
  namespace bm = boost::math;
  if (x == 0) return upper ? 1 : 0;  // Boost's gamma function of a large a overflows there
  const double z = x / scale;
  if (x > 0 && std::isfinite(x) && z < DBL_MIN) {  // z^a / Gamma(a + 1), z in logs
    const double logP = a * (std::log(x) - std::log(scale)) - bm::lgamma(a + 1);
    return upper ? -std::expm1(logP) : std::exp(logP);
  }
  if (!(a >= 1e5 && z > 0 && std::isfinite(z) && std::isfinite(a)))
    return upper ? bm::gamma_q(a, z) : bm::gamma_p(a, z);
  if (std::fabs(z - a) < 0.3 * a) {
    // the smaller of the two: P below a, Q from a on
    const double small = bm::detail::igamma_temme_large(
        a, z, bm::policies::policy<>(), static_cast<const boost::integral_constant<int, 53>*>(nullptr));
    return upper == (z >= a) ? small : 1 - small;
  }
  if (z > a) return upper ? bm::gamma_q(a, z) : bm::gamma_p(a, z);
  // P = z^a e^-z / Gamma(a + 1) sum_k z^k / ((a + 1) ... (a + k)), ratio below 0.7
  double sum = 1, term = 1;
  for (int k = 1; k < 200 && term > 1e-17 * sum; ++k) sum += term *= z / (a + k);
  const double p = std::exp(a * std::log(z) - z - bm::lgamma(a + 1) + std::log(sum));
  return upper ? 1 - p : p;
}

double logBeta(double a, double b) {
  const double beta = boost::math::beta(a, b);
  if (beta > 0 && std::isfinite(beta)) return std::log(beta);
  return boost::math::lgamma(a) + boost::math::lgamma(b) - boost::math::lgamma(a + b);
}

double ibetaSmall(double a, double b, double logX) { return std::exp(a * logX - std::log(a) - logBeta(a, b)); }

bool largeShapes(double p, double q) { return std::fmin(p, q) >= 1e8 && std::isfinite(p + q); }

// x q - (1 - x) p in two doubles each: 1 - x by Fast2Sum, the products by fma.
double betaExcess(double x, double p, double q) {
  const double yHigh = 1 - x, yLow = (1 - yHigh) - x;
  const double xq = x * q, xqLow = std::fma(x, q, -xq), yp = yHigh * p, ypLow = std::fma(yHigh, p, -yp);
  return (xq - yp) + (xqLow - ypLow - yLow * p);
}

namespace {

// In long double, whose rounding to a double hides the last-bit differences
// of the C libraries' exp and erfc between the builds.
using Long = long double;
constexpr Long twoPi = 6.283185307179586476925286766559L;

// (log1pmx(z) + z^2 / 2) / z^3 = 1/3 - z/4 + z^2/5 - ..., by its series near 0.
Long log1pmxCubic(Long z) {
  if (std::fabs(z) >= 0.1L) return (boost::math::log1pmx(z) + z * z / 2) / (z * z * z);
  Long sum = 0, power = 1;
  for (int k = 0; k < 20; ++k, power *= -z) sum += power / (k + 3);
  return sum;
}

// L = -(p log1pmx(N / p) + q log1pmx(-N / q)), where x^p (1 - x)^q is
// e^-L times its value at the mean.
Long betaExponent(Long p, Long q, Long excess) {
  return -(p * boost::math::log1pmx(excess / p) + q * boost::math::log1pmx(-excess / q));
}

}  // namespace

// I = erfc(-H / sqrt 2) / 2 + e^-L (1 / H - 1 / z) / sqrt(2 pi), with H =
// sign(N) sqrt(2 L) and z = N / sqrt(p q / (p + q)) the normal score; the
// difference as (z^2 - H^2) / (H z (z + H)), z^2 - H^2 by log1pmxCubic
// (both are near 1 / N at the mean, where the term tends to a limit).
double ibetaLarge(double p, double q, double excess, bool upper) {
  if (upper) std::swap(p, q), excess = -excess;
  if (excess <= -p) return 0;  // x = 0
  if (excess >= q) return 1;   // x = 1
  const Long P = p, Q = q, N = excess, L = betaExponent(P, Q, N), spread = std::sqrt(P * Q / (P + Q));
  Long term;
  if (N == 0) {
    term = (1 / (P * P) - 1 / (Q * Q)) * spread * spread * spread / 3;
  } else {
    const Long h = std::copysign(std::sqrt(2 * L), N), z = N / spread;
    term = 2 * N * N * N * (log1pmxCubic(N / P) / (P * P) - log1pmxCubic(-N / Q) / (Q * Q)) / (h * z * (z + h));
  }
  return static_cast<double>(boost::math::erfc(-std::copysign(std::sqrt(L), N)) / 2 +
                             std::exp(-L) * term / std::sqrt(twoPi));
}

// x^p (1 - x)^q / B(p, q): e^-L times Gamma(p + q) / (Gamma(p) Gamma(q)) over
// Stirling's forms of the three (the next terms are below 1e-26 from 1e8 on)
// times sqrt(p q / (2 pi (p + q))).
double betaPowers(double p, double q, double excess) {
  if (excess <= -p || excess >= q) return 0;
  const Long P = p, Q = q, r = P + Q;
  const Long stirling = 1 / (12 * r) - 1 / (12 * P) - 1 / (12 * Q);
  return static_cast<double>(std::exp(stirling - betaExponent(P, Q, excess)) * std::sqrt(P * Q / (twoPi * r)));
}

// The beta, binomial, negative binomial and F kinds through these where both
// shapes are large: the beta's at x, the binomial's I_pi(k + 1, n - k) for
// the upper tail (its probability k^pi (1-pi)^(n-k) n / (k (n - k) B(k, n - k))),
// the negative binomial's I_pi(r, k + 1).
double pdfOf(const Beta& d, double x) {
  const double a = d.alpha(), b = d.beta();
  if (!(x > 0 && x < 1) || !largeShapes(a, b)) return boost::math::pdf(d, x);
  return betaPowers(a, b, betaExcess(x, a, b)) / (x * (1 - x));
}

double cdfOf(const Beta& d, double x, bool upper) {
  const double a = d.alpha(), b = d.beta();
  if (!(x > 0 && x < 1) || !largeShapes(a, b)) return boostCdf(d, x, upper);
  return ibetaLarge(a, b, betaExcess(x, a, b), upper);
}

double pdfOf(const Binomial& d, double k) {
  const double n = d.trials(), p = d.success_fraction();
  if (!(k > 0 && k < n) || !largeShapes(k, n - k) || !(p > 0 && p < 1)) return boost::math::pdf(d, k);
  return betaPowers(k, n - k, betaExcess(p, k, n - k)) * (n / (k * (n - k)));
}

double cdfOf(const Binomial& d, double k, bool upper) {
  const double n = d.trials(), p = d.success_fraction();
  if (!(k >= 0 && k < n) || !largeShapes(k + 1, n - k) || !(p > 0 && p < 1)) return boostCdf(d, k, upper);
  return ibetaLarge(k + 1, n - k, betaExcess(p, k + 1, n - k), !upper);
}

double cdfOf(const NegativeBinomial& d, double k, bool upper) {
  const double r = d.successes(), p = d.success_fraction();
  if (!(k >= 0) || !largeShapes(r, k + 1) || !(p > 0 && p < 1)) return boostCdf(d, k, upper);
  return ibetaLarge(r, k + 1, betaExcess(p, r, k + 1), upper);
}

namespace {

// -d/du erfcx(u) = 2 / sqrt(pi) - 2 u erfcx(u); from 5 on, where that
// cancels, 1 / (sqrt(pi) g1 g2) with g1 = u + 0.5 / g2 the last two steps of
// erfcx's continued fraction.
double erfcxSlope(double u) {
  if (u < 5) return 2 / rootPi - 2 * u * erfcx(u);
  double g2 = u;
  for (int n = 60; n >= 2; --n) g2 = u + 0.5 * n / g2;
  return 1 / (rootPi * (u + 0.5 / g2) * g2);
}

// (erfcx(t) - erfcx(t + h)) / h for h > 0: where h is small beside t, the
// mean of the slope over [t, t + h] (8-point Gauss; the slope is analytic and
// its nearest singularity at least ten widths away), not a difference that
// cancels, nor one whose ends round to the same double.
double erfcxDrop(double t, double h) {
  if (h >= 0.1 * std::fmax(std::fabs(t), 1.0)) return (erfcx(t) - erfcx(t + h)) / h;
  return boost::math::quadrature::gauss<double, 8>::integrate([&](double u) { return erfcxSlope(t + h * u); },
                                                               0.0, 1.0);
}

}  // namespace

// From 1e8 on: z^(a - 1) e^-z / Gamma(a) at z = a (1 + d), which is
// exp(a log1pmx(d) - 1 / (12 a)) / ((1 + d) sqrt(2 pi a)) by Stirling's series
// (its next term below 1e-26); in long double, as ibetaLarge.
double gammaPowers(long double a, long double excess) {
  const Long A = a, d = excess / A;
  if (!(d > -1)) return 0;
  return static_cast<double>(std::exp(A * boost::math::log1pmx(d) - 1 / (12 * A)) / ((1 + d) * std::sqrt(twoPi * A)));
}

namespace {

// The gamma density of shape a at x / scale, over the scale; in logs where
// x / scale underflows (Boost's derivative overflowed there for a below 1);
// for large shapes by gammaPowers, x / scale - a formed with one rounding.
double gammaDensity(double a, double x, double scale) {
  const double z = x / scale;
  if (a >= 1e8 && std::isfinite(a) && std::isfinite(z)) {
    const double mean = a * scale;
    const double excess = std::isnormal(mean) ? std::fma(-a, scale, x) / scale : z - a;
    return gammaPowers(a, excess) / scale;
  }
  if (!(x > 0 && z < DBL_MIN)) return boost::math::gamma_p_derivative(a, z) / scale;
  return std::exp((a - 1) * (std::log(x) - std::log(scale)) - boost::math::lgamma(a) - std::log(scale));
}

}  // namespace

double pdfOf(const Gamma& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return x == 0 && d.shape() < 1 ? INFINITY : boost::math::pdf(d, x);
  return gammaDensity(d.shape(), x, d.scale());
}

double pdfOf(const ChiSquared& d, double x) {
  if (!(x > 0) || !std::isfinite(x))
    return x == 0 && d.degrees_of_freedom() < 2 ? INFINITY : boost::math::pdf(d, x);
  return gammaDensity(d.degrees_of_freedom() / 2, x, 2);
}

double cdfOf(const Gamma& d, double x, bool upper) {
  if (!(x >= 0) || !std::isfinite(x)) return boostCdf(d, x, upper);  // the end, or Boost's error
  return gammaP(d.shape(), x, upper, d.scale());
}

double cdfOf(const ChiSquared& d, double x, bool upper) {
  if (!(x >= 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  return gammaP(d.degrees_of_freedom() / 2, x, upper, 2);
}

double cdfOf(const InverseGamma& d, double x, bool upper) {
  if (!(x > 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  return gammaP(d.shape(), d.scale(), !upper, x);
}

// An inverse gamma of shape df / 2 and scale df xi / 2.
double cdfOf(const InverseChiSquared& d, double x, bool upper) {
  if (!(x > 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  const double v = d.degrees_of_freedom();
  return gammaP(v / 2, v / 2 * d.scale(), !upper, x);
}

// The inverse gamma pdf is the gamma's at z = scale / x times z / x (Boost
// divides by x^2, which underflows); where that product leaves the normal
// doubles, z^shape e^-z / (Gamma(shape) x) in logs.
namespace {

double inverseGammaDensity(double a, double scale, double x) {
  const double z = scale / x;
  if (std::isinf(z)) return 0;
  try {
    const double density = boost::math::gamma_p_derivative(a, z) * (z / x);
    if (density >= DBL_MIN && std::isfinite(density)) return density;
  } catch (const std::overflow_error&) {  // z^(shape - 1) beyond the doubles
  }
  return std::exp(a * (std::log(scale) - std::log(x)) - z - boost::math::lgamma(a) - std::log(x));
}

}  // namespace

double pdfOf(const InverseGamma& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  return inverseGammaDensity(d.shape(), d.scale(), x);
}

double pdfOf(const InverseChiSquared& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double v = d.degrees_of_freedom();
  return inverseGammaDensity(v / 2, v / 2 * d.scale(), x);
}

// Student's t where x^2 / v is beyond 1e200: in logs, its tail the incomplete
// beta function of v / (v + x^2) by its leading term (Boost squared x, or
// formed the ratio, and gave 0).
double pdfOf(const StudentsT& d, double x) {
  const double v = d.degrees_of_freedom();
  if (!std::isfinite(x) || !(std::fabs(x) > 1e100) || v > 1 / DBL_EPSILON) return boost::math::pdf(d, x);
  const double logBase = 2 * std::log(std::fabs(x)) - std::log(v);  // log(x^2 / v)
  return std::exp(-(v + 1) / 2 * (logBase + std::log1p(std::exp(-logBase))) - std::log(std::sqrt(v)) -
                  logBeta(v / 2, 0.5));
}

double cdfOf(const StudentsT& d, double x, bool upper) {
  const double v = d.degrees_of_freedom();
  if (!std::isfinite(x) || !(std::fabs(x) > 1e100) || v > 1 / DBL_EPSILON) return boostCdf(d, x, upper);
  const double tail = ibetaSmall(v / 2, 0.5, std::log(v) - 2 * std::log(std::fabs(x))) / 2;
  return (x < 0) != upper ? tail : 1 - tail;
}

namespace {

// The excess of y = a x / (a x + b) for shapes a and b: a b (x - 1) / (a x + b).
double fisherExcess(double a, double b, double x) { return (x - 1) / (x / b + 1 / a); }

}  // namespace

// F: where d1 x / d2 is beyond 1e300 either way, the incomplete beta function
// of d1 x / (d1 x + d2) or of its complement by its leading term in logs, and
// the pdf y^(d1/2) (1 - y)^(d2/2) / (x B) in logs (Boost formed the ratio, and
// its beta derivative lost digits there); for large shapes ibetaLarge.
double cdfOf(const FisherF& d, double x, bool upper) {
  if (!(x > 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  const double a = d.degrees_of_freedom1() / 2, b = d.degrees_of_freedom2() / 2;
  const double logRatio = std::log(a) + std::log(x) - std::log(b);
  if (logRatio < -690) {
    const double small = ibetaSmall(a, b, logRatio);
    return upper ? 1 - small : small;
  }
  if (logRatio > 690) {
    const double small = ibetaSmall(b, a, -logRatio);
    return upper ? small : 1 - small;
  }
  if (largeShapes(a, b)) return ibetaLarge(a, b, fisherExcess(a, b, x), upper);
  return boostCdf(d, x, upper);
}

double pdfOf(const FisherF& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double a = d.degrees_of_freedom1() / 2, b = d.degrees_of_freedom2() / 2;
  const double logRatio = std::log(a) + std::log(x) - std::log(b);
  if (std::fabs(logRatio) < 460)
    return largeShapes(a, b) ? betaPowers(a, b, fisherExcess(a, b, x)) / x : boost::math::pdf(d, x);
  // log(1 + r), r = d1 x / d2
  const double logSum = logRatio > 0 ? logRatio + std::log1p(std::exp(-logRatio)) : std::log1p(std::exp(logRatio));
  return std::exp(a * (logRatio - logSum) - b * logSum - std::log(x) - logBeta(a, b));
}

// Phi(z1) + exp(2 lambda / mu) Phi(-z2), the second term written as
// exp(-z1^2 / 2) erfcx(z2 / sqrt 2) / 2 so that it cannot overflow; the
// complement, but far below the mean, as exp(-z1^2 / 2) / 2 times
// erfcx(t) - erfcx(t + h), t = z1 / sqrt 2, h = sqrt(2 lambda / x), which is
// small where x is large or lambda small.
double cdfOf(const InverseGaussian& d, double x, bool upper) {
  if (!(x > 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  const double r = std::sqrt(d.scale() / x), z1 = r * (x / d.mean() - 1), z2 = r * (x / d.mean() + 1);
  const double g = std::exp(-z1 * z1 / 2) / 2;
  if (!upper) return std::erfc(-z1 / rootTwo) / 2 + g * erfcx(z2 / rootTwo);
  if (z1 <= -1) return std::erfc(z1 / rootTwo) / 2 - g * erfcx(z2 / rootTwo);
  const double h = rootTwo * r;
  return g * h * erfcxDrop(z1 / rootTwo, h);
}

// sqrt(lambda / x) / (x sqrt(2 pi)) exp(-z1^2 / 2): Boost squares the mean and
// cubes x, which overflow.
double pdfOf(const InverseGaussian& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double r = std::sqrt(d.scale() / x), z1 = r * (x / d.mean() - 1);
  return r / (rootTwoPi * x) * std::exp(-z1 * z1 / 2);
}

// In logs: the pdf over the survival function is 1 / (sqrt(pi) x drop).
bool upperTail(const InverseGaussian& d, double x, double& hazard, double& cumHazard) {
  if (!(x > d.mean()) || !std::isfinite(x)) return false;
  const double r = std::sqrt(d.scale() / x), z1 = r * (x / d.mean() - 1), h = rootTwo * r;
  const double drop = erfcxDrop(z1 / rootTwo, h);
  hazard = 1 / (rootPi * x * drop);
  cumHazard = z1 * z1 / 2 + std::log(2.0) - std::log(h) - std::log(drop);
  return true;
}

bool upperTail(const Normal& d, double x, double& hazard, double& cumHazard) {
  const double z = (x - d.mean()) / d.standard_deviation();
  if (!(z > 0) || !std::isfinite(z)) return false;
  normalTail(z, hazard, cumHazard);
  hazard /= d.standard_deviation();
  return true;
}

bool upperTail(const LogNormal& d, double x, double& hazard, double& cumHazard) {
  const double z = (std::log(x) - d.location()) / d.scale();
  if (!(z > 0) || !std::isfinite(z)) return false;
  normalTail(z, hazard, cumHazard);
  hazard /= x * d.scale();
  return true;
}

bool upperTail(const Exponential& d, double x, double& hazard, double& cumHazard) {
  if (!(x > 0) || !std::isfinite(x)) return false;
  hazard = d.lambda();
  cumHazard = d.lambda() * x;
  return true;
}

// Weibull: (x / scale)^shape as exp(shape log(x / scale)), near the scale
// log1p of the exact difference, so that a large shape does not magnify the
// rounding of x / scale and the ratio never underflows (Boost's cdf was 0 at
// the 0.3 quantile of a shape of 0.001).
namespace {

double weibullLogPower(const Weibull& d, double x) {
  const double s = d.scale(), r = (x - s) / s;
  return d.shape() * (std::fabs(r) < 0.5 ? std::log1p(r) : std::log(x) - std::log(s));
}

}  // namespace

double pdfOf(const Weibull& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double t = weibullLogPower(d, x);
  return std::exp(std::log(d.shape()) - std::log(x) + t - std::exp(t));
}

double cdfOf(const Weibull& d, double x, bool upper) {
  if (!(x > 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  const double z = std::exp(weibullLogPower(d, x));
  return upper ? std::exp(-z) : -std::expm1(-z);
}

double quantileOf(const Weibull& d, double p) {
  if (!(p > 0 && p < 1)) return boost::math::quantile(d, p);
  const double e = std::log(-(p < 0.5 ? std::log1p(-p) : std::log(1 - p))) / d.shape(), x = d.scale() * std::exp(e);
  return x > 0 && std::isfinite(x) ? x : std::exp(std::log(d.scale()) + e);  // the power under- or overflows
}

bool upperTail(const Weibull& d, double x, double& hazard, double& cumHazard) {
  if (!(x > 0) || !std::isfinite(x)) return false;
  const double logT = std::log(x / d.scale());
  hazard = d.shape() / d.scale() * std::exp((d.shape() - 1) * logT);
  cumHazard = std::exp(d.shape() * logT);
  return true;
}

bool upperTail(const Rayleigh& d, double x, double& hazard, double& cumHazard) {
  if (!(x > 0) || !std::isfinite(x)) return false;
  const double t = x / d.sigma();
  hazard = t / d.sigma();
  cumHazard = t * t / 2;
  return true;
}

bool upperTail(const Logistic& d, double x, double& hazard, double& cumHazard) {
  const double z = (x - d.location()) / d.scale();
  if (!(z > 0) || !std::isfinite(z)) return false;
  hazard = 1 / (d.scale() * (1 + std::exp(-z)));
  cumHazard = z + std::log1p(std::exp(-z));
  return true;
}

bool upperTail(const ExtremeValue& d, double x, double& hazard, double& cumHazard) {
  const double z = (x - d.location()) / d.scale();
  if (!(z > 0) || !std::isfinite(z)) return false;
  const double u = std::exp(-z);  // the survival function is -expm1(-u)
  hazard = u == 0 ? 1 / d.scale() : u / (d.scale() * std::expm1(u));
  cumHazard = u < DBL_MIN ? z : -std::log(-std::expm1(-u));
  return true;
}

bool upperTail(const Laplace& d, double x, double& hazard, double& cumHazard) {
  const double z = (x - d.location()) / d.scale();
  if (!(z > 0) || !std::isfinite(z)) return false;
  hazard = 1 / d.scale();
  cumHazard = z + std::log(2.0);
  return true;
}

// With u = 1 / z: the pdf is u^2 / (pi scale (1 + u^2)), the survival
// function atan(u) / pi.
bool upperTail(const Cauchy& d, double x, double& hazard, double& cumHazard) {
  const double z = (x - d.location()) / d.scale();
  if (!(z > 0)) return false;
  const double u = 1 / z;
  hazard = u == 0 ? 0 : u / d.scale() * (u / ((1 + u * u) * std::atan(u)));
  cumHazard = -std::log(std::atan(u) / pi);
  return true;
}

bool upperTail(const Pareto& d, double x, double& hazard, double& cumHazard) {
  if (!(x > d.scale()) || !std::isfinite(x)) return false;
  hazard = d.shape() / x;
  cumHazard = d.shape() * std::log(x / d.scale());
  return true;
}

namespace {

// Shape a, scale theta: the upper incomplete gamma function as
// exp(-y) y^a C with Legendre's continued fraction C (modified Lentz),
// where it converges fast (y above a + 1).
bool gammaTail(double a, double theta, double x, double& hazard, double& cumHazard) {
  const double y = x / theta;
  if (!(y > a + 1) || !std::isfinite(y)) return false;
  constexpr double tiny = 1e-300;
  double b = y + 1 - a, c = 1 / tiny, dd = 1 / b, h = dd;
  for (int i = 1; i < 10000; ++i) {
    const double an = -i * (i - a);
    b += 2;
    dd = an * dd + b;
    if (std::fabs(dd) < tiny) dd = tiny;
    c = b + an / c;
    if (std::fabs(c) < tiny) c = tiny;
    dd = 1 / dd;
    const double delta = dd * c;
    h *= delta;
    if (std::fabs(delta - 1) < 1e-16) break;
  }
  hazard = 1 / (theta * y * h);
  cumHazard = y - a * std::log(y) + boost::math::lgamma(a) - std::log(h);
  return true;
}

}  // namespace

bool upperTail(const Gamma& d, double x, double& hazard, double& cumHazard) {
  return gammaTail(d.shape(), d.scale(), x, hazard, cumHazard);
}

bool upperTail(const ChiSquared& d, double x, double& hazard, double& cumHazard) {
  return gammaTail(d.degrees_of_freedom() / 2, 2, x, hazard, cumHazard);
}

// Rayleigh: in t = x / sigma, where Boost's sigma^2 overflows or underflows.
double pdfOf(const Rayleigh& d, double x) {
  if (!(x >= 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double t = x / d.sigma();
  return t / d.sigma() * std::exp(-t * t / 2);
}

double cdfOf(const Rayleigh& d, double x, bool upper) {
  if (!(x >= 0) || !std::isfinite(x)) return boostCdf(d, x, upper);
  const double t = x / d.sigma();
  return upper ? std::exp(-t * t / 2) : -std::expm1(-t * t / 2);
}

double quantileOf(const Rayleigh& d, double p) {
  if (!(p >= 0 && p < 1)) return boost::math::quantile(d, p);  // Boost's error
  return d.sigma() * std::sqrt(-2 * (p < 0.5 ? std::log1p(-p) : std::log(1 - p)));
}

double standardDeviationOf(const Rayleigh& d) { return d.sigma() * 0.65513637756203355; }

// Pareto: the ratio of x to the scale as log1p of the exact x - scale (Boost
// rounds scale / x, which costs its shape's worth of digits near the scale,
// and its powm1 recursed for ever where the ratio underflowed).
namespace {

// log(x / scale) for x above the scale, also where the ratio overflows.
double logParetoRatio(const Pareto& d, double x) {
  const double logRatio = std::log1p((x - d.scale()) / d.scale());
  return std::isfinite(logRatio) ? logRatio : std::log(x) - std::log(d.scale());
}

}  // namespace

double cdfOf(const Pareto& d, double x, bool upper) {
  if (!(x > d.scale()) || std::isnan(x)) return boostCdf(d, x, upper);
  const double logRatio = logParetoRatio(d, x);
  return upper ? std::exp(-d.shape() * logRatio) : -std::expm1(-d.shape() * logRatio);
}

double pdfOf(const Pareto& d, double x) {
  if (!(x >= d.scale()) || !std::isfinite(x)) return boost::math::pdf(d, x);
  return d.shape() / x * std::exp(-d.shape() * logParetoRatio(d, x));
}

// scale (1 - p)^(-1 / shape), in logs where the power overflows.
double quantileOf(const Pareto& d, double p) {
  if (!(p > 0 && p < 1)) return boost::math::quantile(d, p);  // the ends, or Boost's error
  const double e = -(p < 0.5 ? std::log1p(-p) : std::log(1 - p)) / d.shape(), x = d.scale() * std::exp(e);
  return std::isfinite(x) ? x : std::exp(std::log(d.scale()) + e);
}

double standardDeviationOf(const Pareto& d) {
  const double a = d.shape();
  if (!(a > 2)) return boost::math::standard_deviation(d);  // Boost's error
  return d.scale() * std::sqrt(a / (a - 2)) / (a - 1);
}

// Boost divides by x sigma sqrt(2 pi), which is subnormal for x near 0.
double pdfOf(const LogNormal& d, double x) {
  if (!(x > 0) || !std::isfinite(x)) return boost::math::pdf(d, x);
  const double z = (std::log(x) - d.location()) / d.scale();
  const double density = std::exp(-z * z / 2) / (d.scale() * rootTwoPi) / x;
  if (density >= DBL_MIN || !(z * z / 2 > 700)) return density;
  return std::exp(-z * z / 2 - std::log(d.scale() * rootTwoPi) - std::log(x));  // e^(-z^2/2) underflowed
}

double standardDeviationOf(const LogNormal& d) {
  const double s2 = d.scale() * d.scale();
  return std::exp(d.location() + s2 / 2 + std::log(std::expm1(s2)) / 2);
}

// Triangular: on the ends scaled by a power of two (Boost multiplies two
// widths, which overflows for ends near the largest double), and in widths
// from the nearer end: Boost's 1 - (b - x)^2 / ((b - a)(b - c)) and
// b - sqrt((1 - p)(b - a)(b - c)) cancel near an end that is also the mode.
namespace {

struct Widths {
  double a, c, b, u, v, w, scale;  // ends and mode scaled; u = c - a, v = b - c, w = b - a
};

Widths widthsOf(const Triangular& d) {
  int exponent = 0;
  std::frexp(std::fmax(std::fabs(d.lower()), std::fabs(d.upper())), &exponent);
  const double scale = std::ldexp(1.0, exponent);
  const double a = d.lower() / scale, c = d.mode() / scale, b = d.upper() / scale;
  return {a, c, b, c - a, b - c, b - a, scale};
}

}  // namespace

double pdfOf(const Triangular& d, double x) {
  const Widths t = widthsOf(d);
  return boost::math::pdf(Triangular(t.a, t.c, t.b), x / t.scale) / t.scale;
}

// Each side's tail is a square over the widths; the other is
// (u v + (y - c)(v + b - y)) / (w v), or its mirror, a sum of positive terms.
double cdfOf(const Triangular& d, double x, bool upper) {
  if (!(x > d.lower() && x < d.upper())) return boostCdf(d, x, upper);  // 0, 1 or Boost's error
  const Widths t = widthsOf(d);
  const double y = x / t.scale;  // a subnormal x may round to the end
  if (x <= d.mode()) {
    const double below = (y - t.a) * (y - t.a) / (t.w * t.u);
    return upper ? (t.u * t.v + (t.c - y) * (t.u + (y - t.a))) / (t.w * t.u) : below;
  }
  const double above = (t.b - y) * (t.b - y) / (t.w * t.v);
  return upper ? above : (t.u * t.v + (y - t.c) * (t.v + (t.b - y))) / (t.w * t.v);
}

// Below the mode's probability u / w, a + sqrt(p w u), or past one half
// b less its distance w (v + u (1 - p)) / (w + sqrt(p w u)); above it the
// mirror images (1 - p is exact from one half on).
double quantileOf(const Triangular& d, double p) {
  if (!(p > 0 && p < 1)) return boost::math::quantile(d, p);  // the ends, or Boost's error
  const Widths t = widthsOf(d);
  const double q = 1 - p;
  double y;
  if (p < t.u / t.w) {
    const double root = std::sqrt(p * t.w * t.u);
    y = p <= 0.5 ? t.a + root : t.b - t.w * (t.v + t.u * q) / (t.w + root);
  } else {
    const double root = std::sqrt(q * t.w * t.v);
    y = p >= 0.5 ? t.b - root : t.a + t.w * (t.u + t.v * p) / (t.w + root);
  }
  return y * t.scale;
}

double meanOf(const Triangular& d) {
  const Widths t = widthsOf(d);
  return t.scale * ((t.a + t.b + t.c) / 3);
}

// Boost's (a^2 + b^2 + c^2 - ab - ac - bc) / 18 cancels for a narrow
// triangle far from 0.
double standardDeviationOf(const Triangular& d) {
  const Widths t = widthsOf(d);
  return t.scale * std::sqrt((t.u * t.u + t.u * t.v + t.v * t.v) / 18);
}

double standardDeviationOf(const Uniform& d) {
  return (d.upper() / 2 - d.lower() / 2) / 1.7320508075688772;
}

}  // namespace ZR::stats
