// Times the ten statistics of the thirty distribution kinds through the
// StatsUtils dispatch, each call watched by a supervisor process that kills
// the worker when a call runs past the limit, reports it and goes on after it.
// Linux only; run by hand (it found the bounds in statistics/kinds.h):
//
//   g++ -std=c++17 -O2 -I. tools/statistics/hang_probe.cpp BUILD/statistics/libzr_statistics_core.a -o hang_probe
//   ./hang_probe grid KIND|all [SHARD SHARDS [LIMIT_S [REPORT_S [MAGNITUDES]]]]
//   ./hang_probe list [LIMIT_S [REPORT_S]] < calls
//
// grid: every parameter tuple of a magnitude grid (MAGNITUDES, comma
// separated, default 1e-300 ... 1e300), every statistic, at arguments of
// those magnitudes, at the mean plus or minus 0, 1, 5 and 40 standard
// deviations, and at probabilities near 0, one half and near 1; SHARD of
// SHARDS (parameter tuples taken in turn) lets several run side by side.
// list: one call a line, "KIND STATISTIC x=X|xrel=K P1 [P2 [P3]]" (xrel: the
// mean plus K standard deviations). Lines out: "SLOW seconds call -> value"
// for calls of REPORT_S (default 0.1) or more, "HANG >LIMIT_S call" for those
// killed (default 2), "CRASH" for a worker that died.
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "statistics/distributions.h"
#include "statistics/stats_utils.h"

namespace {

using namespace ZR::stats;
using Params = std::vector<double>;

enum Grid { Positive, NonNegative, Real, Probability, Count };

struct Kind {
  const char* name;
  std::vector<Grid> grids;
  std::function<boost::any(const Params&)> make;
};

#define MAKE1(f) [](const Params& a) { return f(a[0]); }
#define MAKE2(f) [](const Params& a) { return f(a[0], a[1]); }
#define MAKE3(f) [](const Params& a) { return f(a[0], a[1], a[2]); }

const std::vector<Kind> kinds = {
    {"Normal", {Real, Positive}, MAKE2(makeNormal)},
    {"Binomial", {NonNegative, Probability}, MAKE2(makeBinomial)},
    {"Bernoulli", {Probability}, MAKE1(makeBernoulli)},
    {"Beta", {Positive, Positive}, MAKE2(makeBeta)},
    {"Cauchy", {Real, Positive}, MAKE2(makeCauchy)},
    {"ChiSquared", {Positive}, MAKE1(makeChiSquared)},
    {"Exponential", {Positive}, MAKE1(makeExponential)},
    {"ExtremeValue", {Real, Positive}, MAKE2(makeExtremeValue)},
    {"FisherF", {Positive, Positive}, MAKE2(makeFisherF)},
    {"Gamma", {Positive, Positive}, MAKE2(makeGamma)},
    {"Geometric", {Probability}, MAKE1(makeGeometric)},
    {"Hypergeometric", {Count, Count, Count},
     [](const Params& a) { return makeHypergeometric(int(a[0]), int(a[1]), int(a[2])); }},
    {"InverseChiSquared", {Positive, Positive}, MAKE2(makeInverseChiSquared)},
    {"InverseGamma", {Positive, Positive}, MAKE2(makeInverseGamma)},
    {"InverseGaussian", {Positive, Positive}, MAKE2(makeInverseGaussian)},
    {"Laplace", {Real, Positive}, MAKE2(makeLaplace)},
    {"Logistic", {Real, Positive}, MAKE2(makeLogistic)},
    {"LogNormal", {Real, Positive}, MAKE2(makeLogNormal)},
    {"NegativeBinomial", {Positive, Probability}, MAKE2(makeNegativeBinomial)},
    {"NonCentralBeta", {Positive, Positive, NonNegative}, MAKE3(makeNonCentralBeta)},
    {"NonCentralChiSquared", {Positive, NonNegative}, MAKE2(makeNonCentralChiSquared)},
    {"NonCentralF", {Positive, Positive, NonNegative}, MAKE3(makeNonCentralF)},
    {"NonCentralT", {Positive, Real}, MAKE2(makeNonCentralT)},
    {"Pareto", {Positive, Positive}, MAKE2(makePareto)},
    {"Poisson", {Positive}, MAKE1(makePoisson)},
    {"Rayleigh", {Positive}, MAKE1(makeRayleigh)},
    {"StudentsT", {Positive}, MAKE1(makeStudentsT)},
    {"Triangular", {Real, Real, Real}, MAKE3(makeTriangular)},
    {"Uniform", {Real, Real}, MAKE2(makeUniform)},
    {"Weibull", {Positive, Positive}, MAKE2(makeWeibull)},
};

const char* const statistics[] = {"mean", "stdev",  "mode",   "median",    "kurtosis",
                                  "pdf",  "cdf",    "hazard", "cumHazard", "quantile"};

std::vector<double> magnitudes = {1e-300, 1e-50, 1e-12, 1e-3, 1,    1e3,   1e6,
                                  1e9,    1e12,  1e15,  1e20, 1e50, 1e100, 1e300};
const std::vector<double> probabilities = {0, 1e-300, 1e-12, 1e-3, 0.5, 0.999, 1 - 1e-12,
                                           std::nextafter(1.0, 0.0), 1};

std::vector<double> valuesOf(Grid g) {
  std::vector<double> v;
  switch (g) {
    case Positive: return magnitudes;
    case Probability: return probabilities;
    case Count: return {0, 1, 10, 1000, 1e6, 1e9, 2147483647};
    case NonNegative: v = {0}; v.insert(v.end(), magnitudes.begin(), magnitudes.end()); return v;
    case Real:
      v = {0};
      for (double m : magnitudes) v.insert(v.end(), {m, -m});
      return v;
  }
  return v;
}

struct Call {
  int kind, statistic;
  Params params;
  double x;
  bool relative;  // x standard deviations from the mean
};

std::string describe(const Call& c) {
  std::ostringstream s;
  s.precision(17);
  s << kinds[c.kind].name << '(';
  for (std::size_t i = 0; i < c.params.size(); ++i) s << (i ? "," : "") << c.params[i];
  s << ") " << statistics[c.statistic] << (c.relative ? " xrel=" : " x=") << c.x;
  return s.str();
}

double run(const Call& c, std::string& outcome) {
  try {
    const boost::any h = kinds[c.kind].make(c.params);
    const double x = c.relative ? StatsUtils::mean(h) + c.x * StatsUtils::stdev(h) : c.x;
    switch (c.statistic) {
      case 0: return StatsUtils::mean(h);
      case 1: return StatsUtils::stdev(h);
      case 2: return StatsUtils::mode(h);
      case 3: return StatsUtils::median(h);
      case 4: return StatsUtils::kurtosis(h);
      case 5: return StatsUtils::pdf(h, x);
      case 6: return StatsUtils::cdf(h, x);
      case 7: return StatsUtils::hazard(h, x);
      case 8: return StatsUtils::cumHazard(h, x);
      default: return StatsUtils::quantile(h, x);
    }
  } catch (const char* m) {
    outcome = std::string("refused: ") + m;
  } catch (const std::exception& e) {
    outcome = std::string("error: ") + e.what();
  }
  return NAN;
}

std::vector<Call> gridCalls(const std::string& only, int shard, int shards) {
  std::vector<double> xs = {0, 0.5, 1 - 1e-9};
  for (double m : magnitudes) xs.insert(xs.end(), {m, -m});
  std::vector<Call> calls;
  long tuple = 0;
  for (int k = 0; k < int(kinds.size()); ++k) {
    if (only != "all" && only != kinds[k].name) continue;
    std::vector<Params> tuples{{}};
    for (Grid g : kinds[k].grids) {
      std::vector<Params> next;
      for (const Params& t : tuples)
        for (double v : valuesOf(g)) {
          next.push_back(t);
          next.back().push_back(v);
        }
      tuples.swap(next);
    }
    for (const Params& t : tuples) {
      if (tuple++ % shards != shard) continue;
      try {
        kinds[k].make(t);
      } catch (...) {
        continue;  // parameters the constructor refuses
      }
      for (int s = 0; s < 10; ++s) {
        if (s < 5) calls.push_back({k, s, t, 0, false});
        if (s >= 5 && s < 9) {
          for (double x : xs) calls.push_back({k, s, t, x, false});
          for (double z : {0, 1, -1, 5, -5, 40, -40}) calls.push_back({k, s, t, double(z), true});
        }
        if (s == 9)
          for (double p : probabilities) calls.push_back({k, s, t, p, false});
      }
    }
  }
  return calls;
}

std::vector<Call> listedCalls() {
  std::vector<Call> calls;
  char buffer[1024];
  while (std::fgets(buffer, sizeof buffer, stdin)) {
    std::istringstream in(buffer);
    std::string kind, statistic, x;
    if (!(in >> kind >> statistic >> x)) continue;
    Call c{-1, -1, {}, 0, x.rfind("xrel=", 0) == 0};
    for (int k = 0; k < int(kinds.size()); ++k)
      if (kind == kinds[k].name) c.kind = k;
    for (int s = 0; s < 10; ++s)
      if (statistic == statistics[s]) c.statistic = s;
    c.x = std::atof(x.c_str() + x.find('=') + 1);
    for (double p; in >> p;) c.params.push_back(p);
    if (c.kind < 0 || c.statistic < 0)
      std::fprintf(stderr, "skipped: %s", buffer);
    else
      calls.push_back(c);
  }
  return calls;
}

long nanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// What the worker shares with its supervisor.
struct Progress {
  std::atomic<long> current, started;
  std::atomic<bool> done;
};

void supervise(const std::vector<Call>& calls, double limit, double report) {
  auto* progress = static_cast<Progress*>(mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE,
                                               MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  long from = 0;
  while (from < long(calls.size())) {
    progress->current = from;
    progress->started = nanoseconds();
    progress->done = false;
    std::fflush(stdout);
    const pid_t worker = fork();
    if (worker == 0) {
      const rlimit memory{4L << 30, 4L << 30};
      setrlimit(RLIMIT_AS, &memory);
      for (long i = from; i < long(calls.size()); ++i) {
        const long t0 = nanoseconds();
        progress->started = t0;
        progress->current = i;
        std::string outcome = "ok";
        const double v = run(calls[i], outcome);
        const double seconds = (nanoseconds() - t0) * 1e-9;
        if (seconds >= report)
          std::printf("SLOW %.3f %s -> %.17g %s\n", seconds, describe(calls[i]).c_str(), v,
                      outcome.substr(0, 160).c_str());
        std::fflush(stdout);
      }
      progress->done = true;
      _exit(0);
    }
    for (int status;; usleep(5000)) {
      if (waitpid(worker, &status, WNOHANG) == worker) {
        if (progress->done) return;
        std::printf("CRASH status=%d %s\n", status, describe(calls[progress->current]).c_str());
        from = progress->current + 1;
        break;
      }
      const long i = progress->current;
      if ((nanoseconds() - progress->started) * 1e-9 > limit && progress->current == i) {
        kill(worker, SIGKILL);
        waitpid(worker, &status, 0);
        std::printf("HANG >%.1f %s\n", limit, describe(calls[i]).c_str());
        from = i + 1;
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "list") {
    supervise(listedCalls(), argc > 2 ? std::atof(argv[2]) : 2, argc > 3 ? std::atof(argv[3]) : 0.1);
    return 0;
  }
  if (mode != "grid" || argc < 3) {
    std::fprintf(stderr, "usage: %s grid KIND|all [SHARD SHARDS [LIMIT [REPORT [MAGNITUDES]]]]\n"
                         "       %s list [LIMIT [REPORT]] < calls\n", argv[0], argv[0]);
    return 2;
  }
  if (argc > 7) {
    magnitudes.clear();
    std::istringstream in(argv[7]);
    for (std::string m; std::getline(in, m, ',');) magnitudes.push_back(std::atof(m.c_str()));
  }
  const auto calls = gridCalls(argv[2], argc > 4 ? std::atoi(argv[3]) : 0,
                               argc > 4 ? std::atoi(argv[4]) : 1);
  std::fprintf(stderr, "%zu calls\n", calls.size());
  supervise(calls, argc > 5 ? std::atof(argv[5]) : 2, argc > 6 ? std::atof(argv[6]) : 0.1);
  return 0;
}
