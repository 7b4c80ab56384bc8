// The non-central t kind (its quantile and mode are heavy to build), and its
// tails without Boost's cancellation.
#include <boost/math/distributions/non_central_t.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "statistics/distributions.h"
#include "statistics/evaluate.h"
#include "statistics/mends.h"
#include "statistics/non_central_t.h"

namespace ZR::stats {

boost::any makeNonCentralT(double v, double lambda) { return NonCentralT(v, lambda); }

namespace {

// exp(t) - 1 - t without cancellation.
double expm1m(double t) {
  if (std::fabs(t) > 0.1) return std::expm1(t) - t;
  double term = t * t / 2, sum = term;
  for (int n = 3; n < 20 && std::fabs(term) > 1e-18 * std::fabs(sum); ++n) sum += term *= t / n;
  return sum;
}

// log Phi(a) and Phi'(a) / Phi(a).
double logPhi(double a) {
  if (a > 0) return std::log1p(-std::erfc(a / rootTwo) / 2);
  if (a > -5) return std::log(std::erfc(-a / rootTwo) / 2);
  return std::log(erfcx(-a / rootTwo) / 2) - a * a / 2;
}
double millsInverse(double a) {
  if (a > -5) return std::exp(-a * a / 2) / std::sqrt(2 * pi) / (std::erfc(-a / rootTwo) / 2);
  return std::sqrt(2 / pi) / erfcx(-a / rootTwo);
}

// P(V < y), y = exp(logY), for V a chi-square with v degrees of freedom:
// for tiny y its leading term (y/2)^(v/2) / Gamma(v/2 + 1), good to y
// (Boost's lower function underflows to 0 there for tiny v).
double chiSquareBelow(double v, double logY) {
  const double a = v / 2, logHalfY = logY - std::log(2.0);
  if (logHalfY < -30) return std::exp(a * logHalfY - boost::math::lgamma(a + 1));
  const double p = boost::math::gamma_p(a, std::exp(logHalfY));
  return p <= 0.5 ? p : 1 - boost::math::gamma_q(a, std::exp(logHalfY));
}

}  // namespace

ChiDensity::ChiDensity(double v) : v_(v) {
  // log of 2 (v/2)^(v/2) / Gamma(v/2), less the part that cancels with
  // exp(-(v/2)(e^(2w) - 1)): 0.5 log(v / pi) less Stirling's remainder.
  const double z = v / 2;
  double remainder;
  if (z >= 10) {
    const double z2 = z * z;
    remainder = (1 - (1 - (1 - 0.75 / z2) * 2.0 / 7 / z2) / 30 / z2) / 12 / z;
  } else {
    remainder = boost::math::lgamma(z) - ((z - 0.5) * std::log(z) - z + 0.5 * std::log(2 * pi));
  }
  logNorm_ = 0.5 * std::log(v / pi) - remainder;
}

double ChiDensity::log(double w) const { return logNorm_ - v_ / 2 * expm1m(2 * w); }

double ChiDensity::logSlope(double w) const { return -v_ * std::expm1(2 * w); }

double ChiDensity::peakWidth() const { return 1 / std::sqrt(2 * v_ + 1); }

// log of the integral over w from `from` on of exp(f(w)), f unimodal with
// slope df and a peak about width wide: the peak by TOMS 748 on df (to a
// thousandth of the width), the width from the curvature there, the ends
// where f has fallen by 60 (in at most 64 doubling steps), then
// Gauss-Kronrod (61 points, at most 2^10 pieces).
template <class F, class DF>
double logIntegral(F f, DF df, double width, double from = -INFINITY) {
  const double peak =
      df(from) <= 0 ? from
                    : bracketedRoot([&](double w) { return -df(w); }, std::fmax(0.0, from + 1), from,
                                    INFINITY, 1e-3 * width);
  const double top = f(peak);
  for (int i = 0; i < 3; ++i) {  // the curvature, on a step below the width
    const double h = width / 8, curvature = (df(peak - h) - df(peak + h)) / (2 * h);
    const double next = 1 / std::sqrt(curvature);
    if (!(next > 0 && next < INFINITY) || std::fabs(next - width) < width / 4) break;
    width = next;
  }
  double lo = peak - width, hi = peak + width, step = width;
  for (int i = 0; i < 64 && lo > from && f(lo) > top - 60; ++i, step *= 2) lo -= step;
  step = width;
  for (int i = 0; i < 64 && f(hi) > top - 60; ++i, step *= 2) hi += step;
  const double integral = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(
      [&](double w) { return std::exp(f(w) - top); }, std::fmax(lo, from), hi, 10, 1e-14);
  return top + std::log(integral);
}

// T = (Z + delta) / s with s^2 a chi-square over v: P(T <= x) is the mean of
// Phi(x s - delta), P(T > x) that of Phi(delta - x s) and the density that
// of s phi(x s - delta); every term is positive, so nothing cancels. In
// w = log s.
double nonCentralTLog(const NonCentralT& d, double x, NonCentralTPart part) {
  const ChiDensity chi(d.degrees_of_freedom());
  const double delta = d.non_centrality();
  if (part == NonCentralTPart::Density) {
    auto f = [&](double w) {
      const double a = x * std::exp(w) - delta;
      return chi.log(w) + w - a * a / 2 - 0.5 * std::log(2 * pi);
    };
    auto df = [&](double w) {
      const double s = std::exp(w), a = x * s - delta;
      return chi.logSlope(w) + 1 - a * x * s;
    };
    return logIntegral(f, df, chi.peakWidth());
  }
  // Phi(sign (x s - delta)) tends to Phi(-sign delta) as s goes to 0, where
  // the chi density falls only as s^v: below s = 1e-12 / |x| it is that
  // constant times the chi-square's lower tail, the rest an integral.
  const double sign = part == NonCentralTPart::Lower ? 1 : -1;
  const double limit = std::erfc(sign * delta / rootTwo) / 2;
  if (x == 0) return std::log(limit);
  const double cut = std::log(1e-12 / std::fabs(x)), v = d.degrees_of_freedom();
  const double near0 = limit * chiSquareBelow(v, std::log(v) + 2 * cut);
  auto f = [&](double w) { return chi.log(w) + logPhi(sign * (x * std::exp(w) - delta)); };
  auto df = [&](double w) {
    const double s = std::exp(w);
    return chi.logSlope(w) + millsInverse(sign * (x * s - delta)) * sign * x * s;
  };
  const double rest = logIntegral(f, df, chi.peakWidth(), cut);
  if (!(near0 > 0)) return rest;
  const double logNear0 = std::log(near0), top = std::fmax(rest, logNear0);
  return top + std::log(std::exp(rest - top) + std::exp(logNear0 - top));
}

// The integral everywhere: Boost's sum cancels in the tails (its cdf went
// negative) and takes a term per unit of delta^2 / 2.
double cdfOf(const NonCentralT& d, double x, bool upper) {
  if (!std::isfinite(x) || std::isinf(d.degrees_of_freedom())) return boostCdf(d, x, upper);
  return std::exp(nonCentralTLog(d, x, upper ? NonCentralTPart::Upper : NonCentralTPart::Lower));
}

double pdfOf(const NonCentralT& d, double x) {
  if (!std::isfinite(x) || std::isinf(d.degrees_of_freedom())) return boost::math::pdf(d, x);
  return std::exp(nonCentralTLog(d, x, NonCentralTPart::Density));
}

bool upperTail(const NonCentralT& d, double x, double& hazard, double& cumHazard) {
  if (!std::isfinite(x) || std::isinf(d.degrees_of_freedom())) return false;
  const double logSurvival = nonCentralTLog(d, x, NonCentralTPart::Upper);
  hazard = std::exp(nonCentralTLog(d, x, NonCentralTPart::Density) - logSurvival);
  cumHazard = -logSurvival;
  return true;
}

template const Operations& operationsOf<NonCentralT>();

}  // namespace ZR::stats
