// Dispatch of the ten statistics on the holder's kind: the kind's row is
// found by the holder's type in constant time (the kinds are exclusive, so
// their order in Kinds decides nothing). The type_info's address finds it
// at once; a type named alike but described elsewhere (another module) is
// found by its name.
#include "statistics/stats_utils.h"

#include <array>
#include <string>
#include <typeindex>
#include <unordered_map>
#include <utility>

#include "statistics/operations.h"

namespace {

using namespace ZR::stats;

template <std::size_t... I>
std::array<const Operations*, kindCount> allRows(std::index_sequence<I...>) {
  return {&operationsOf<typename std::tuple_element_t<I, Kinds>::type>()...};
}

class Dispatch {
 public:
  static const Dispatch& instance() {
    static const Dispatch dispatch;
    return dispatch;
  }
  // The row of the holder's kind, or null.
  const Operations* find(const std::type_info& type) const {
    auto it = byAddress_.find(&type);
    if (it != byAddress_.end()) return it->second;
    auto named = byName_.find(std::type_index(type));
    return named == byName_.end() ? nullptr : named->second;
  }

 private:
  Dispatch() {
    for (const Operations* row : allRows(std::make_index_sequence<kindCount>())) {
      byAddress_.emplace(row->type, row);
      byName_.emplace(std::type_index(*row->type), row);
    }
  }
  std::unordered_map<const std::type_info*, const Operations*> byAddress_;
  std::unordered_map<std::type_index, const Operations*> byName_;
};

double run(Statistic s, const char* unrecognised, const boost::any& holder, double x) {
  const Operations* row = Dispatch::instance().find(holder.type());
  if (!row) throw unrecognised;
  return row->run[s](holder, x);
}

}  // namespace

const char* ZR::stats::failureMessage(Statistic s, Failure f) {
  static const auto texts = [] {
    const char* names[statisticCount] = {"mean",     "stdev", "mode", "median",    "kurtosis",
                                         "pdf",      "cdf",   "hazard", "cumHazard", "quantile"};
    const char* whys[failureCount] = {"parameters too large to evaluate", "not a finite number",
                                      "too far in the tail to evaluate", "the numeric search did not converge",
                                      "no root found on the support"};
    std::array<std::array<std::string, failureCount>, statisticCount> t;
    for (int i = 0; i < statisticCount; ++i)
      for (int j = 0; j < failureCount; ++j) t[i][j] = std::string("StatsUtils::") + names[i] + " - " + whys[j];
    return t;
  }();
  return texts[s][f].c_str();
}

namespace StatsUtils {

double mean(const boost::any& holder) {
  return run(Mean, "StatsUtils::mean - unrecognised statistical distribution", holder, 0);
}

double stdev(const boost::any& holder) {
  return run(StdDev, "StatsUtils::standard deviation - unrecognised statistical distribution",
             holder, 0);
}

double mode(const boost::any& holder) {
  return run(Mode, "StatsUtils::mode - unrecognised statistical distribution", holder, 0);
}

// The median is the quantile at one half, its argument for the refusals.
double median(const boost::any& holder) {
  return run(Median, "StatsUtils::median - unrecognised statistical distribution", holder, 0.5);
}

double kurtosis(const boost::any& holder) {
  return run(Kurtosis, "StatsUtils::kurtosis - unrecognised statistical distribution", holder, 0);
}

double pdf(const boost::any& holder, double x) {
  return run(Pdf, "StatsUtils::Probability density function - unrecognised statistical distribution",
             holder, x);
}

double cdf(const boost::any& holder, double x) {
  return run(Cdf,
             "StatsUtils::Cumulative distribution function - unrecognised statistical distribution",
             holder, x);
}

double hazard(const boost::any& holder, double x) {
  return run(Hazard, "StatsUtils::Hazard function - unrecognised statistical distribution", holder,
             x);
}

double cumHazard(const boost::any& holder, double x) {
  return run(CumHazard,
             "StatsUtils:: Cumulative hazard function - unrecognised statistical distribution",
             holder, x);
}

double quantile(const boost::any& holder, double probability) {
  return run(Quantile, "StatsUtils::quantile - unrecognised statistical distribution", holder,
             probability);
}

}  // namespace StatsUtils
