// regex_search and regex_replace over a column of 40,000 texts of about 100
// characters, against perl doing the same per line with the pattern compiled
// once (bench/regex_reference.pl). Every figure is a time per cell:
// - Sheet: the marginal time through the xlhost program, the sheet with the
//   calls minus the same sheet without them, best of a few rounds (processor
//   time of the processes, as perl's, so that other work on the machine
//   counts less);
// - ThroughHost: the host calling the function in this process;
// - Library: the library call; Boost: Boost.Regex with the pattern compiled once.
// Version* is the host's cost of a call that does nothing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "bench/programs.h"
#include "host/host.h"
#include "regex/regex.h"

namespace {

constexpr int kCells = 40000;
constexpr int kRounds = 7;
const char* const searchPattern = "\\d{4}-\\d\\d";
const char* const replacePattern = "(\\w+) (\\w+)";
const char* const replaceFormat = "\\2 \\1";  // perl's "$2 $1"

// About 100 characters of words; every other text ends with a date.
std::vector<std::string> makeTexts() {
  static const char* const words[] = {"the",  "quick", "brown", "fox",   "jumps", "over",  "lazy",
                                      "dog",  "pack",  "my",    "box",   "with",  "five",  "dozen",
                                      "liquor", "jugs", "alpha", "beta", "gamma", "delta"};
  std::mt19937 random(7);
  std::vector<std::string> texts(kCells);
  for (int i = 0; i < kCells; ++i) {
    std::string& s = texts[i];
    while (s.size() < 88) s += std::string(words[random() % std::size(words)]) + ' ';
    s += i % 2 ? "id 2026x12." : "id 2026-12-06.";
  }
  return texts;
}

const std::vector<std::string>& texts() {
  static const std::vector<std::string> t = makeTexts();
  return t;
}

// A folder holding the texts and the sheets, removed at exit.
class Files {
 public:
  Files() {
    if (!folder_.ok()) return;
    std::ofstream lines(path("texts")), base(path("base")), version(path("version")), search(path("search")),
        replace(path("replace"));
    for (int r = 1; r <= kCells; ++r) {
      const std::string a = "A" + std::to_string(r), b = "B" + std::to_string(r) + " ";
      const std::string text = a + " " + texts()[r - 1] + "\n";
      lines << texts()[r - 1] << '\n';
      base << text;
      version << text << b << "=hf_xllversion()\n";
      search << text << b << "=regex_search(" << a << ",\"" << searchPattern << "\")\n";
      replace << text << b << "=regex_replace(" << a << ",\"" << replacePattern << "\",\"" << replaceFormat
              << "\")\n";
    }
  }
  bool ok() const { return folder_.ok(); }
  std::string path(const std::string& name) const { return folder_.path(name); }

 private:
  zrbench::TempFolder folder_{"regex_bench"};
};

const Files& files() {
  static const Files f;
  return f;
}

using zrbench::childSeconds;
using zrbench::quoted;
using zrbench::run;

// Processor seconds of xlhost calculating and printing a sheet, best of
// kRounds, and the values of column B, one a line.
double xlhost(const std::string& sheet, std::string& columnB) {
  const std::string command = quoted(XLHOST) + " --addin " + quoted(ZR_XLL) + " --tsv " + quoted(files().path(sheet));
  double best = 1e9;
  std::string out;
  for (int i = 0; i < kRounds; ++i) {
    const double start = childSeconds();
    if (!run(command, out)) return -1;
    best = std::min(best, childSeconds() - start);
  }
  std::istringstream in(out);
  columnB.clear();
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] == 'B') columnB += line.substr(line.rfind('\t') + 1) + "\n";
  return best;
}

// perl's seconds per line, best of rounds, and its results, one a line.
double perl(const char* mode, int rounds, std::string& results) {
  if (!run("/usr/bin/perl " + quoted(PERL_REFERENCE) + " " + mode + " " + quoted(files().path("texts")) + " " +
               std::to_string(rounds),
           results))
    return -1;
  const size_t eol = results.find('\n');
  const double seconds = std::stod(results.substr(0, eol));
  results.erase(0, eol + 1);
  return seconds;
}

// Per cell: the sheet with the calls minus the sheet without them. With a
// perl mode, the results must be perl's.
void throughXlhost(benchmark::State& state, const char* sheet, const char* perlMode) {
  if (!files().ok()) return state.SkipWithError("no temporary folder");
  for (auto _ : state) {
    std::string results, none, expected;
    const double with = xlhost(sheet, results), without = xlhost("base", none);
    if (with < 0 || without < 0) return state.SkipWithError("xlhost failed");
    state.SetIterationTime((with - without) / kCells);
    if (perlMode && (perl(perlMode, 1, expected) < 0 || results != expected))
      return state.SkipWithError("the add-in and perl disagree");
  }
}

void BM_SearchSheet(benchmark::State& state) { throughXlhost(state, "search", "search"); }
void BM_ReplaceSheet(benchmark::State& state) { throughXlhost(state, "replace", "replace"); }
void BM_VersionSheet(benchmark::State& state) { throughXlhost(state, "version", nullptr); }

void perlPerLine(benchmark::State& state, const char* mode) {
  if (!files().ok()) return state.SkipWithError("no temporary folder");
  std::string results;
  for (auto _ : state) {
    const double seconds = perl(mode, kRounds, results);
    if (seconds < 0) return state.SkipWithError("perl failed");
    state.SetIterationTime(seconds);
  }
}

void BM_SearchPerl(benchmark::State& state) { perlPerLine(state, "search"); }
void BM_ReplacePerl(benchmark::State& state) { perlPerLine(state, "replace"); }

BENCHMARK(BM_SearchPerl)->UseManualTime()->Iterations(1);
BENCHMARK(BM_SearchSheet)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ReplacePerl)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ReplaceSheet)->UseManualTime()->Iterations(1);
BENCHMARK(BM_VersionSheet)->UseManualTime()->Iterations(1);

// In this process, one text after the other.
template <class Call>
void overTexts(benchmark::State& state, Call call) {
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(call(texts()[i]));
    if (++i == texts().size()) i = 0;
  }
}

void BM_SearchBoost(benchmark::State& state) {
  const boost::regex re(searchPattern, boost::regex::perl);
  overTexts(state, [&](const std::string& t) { return boost::regex_search(t, re); });
}
BENCHMARK(BM_SearchBoost);

void BM_ReplaceBoost(benchmark::State& state) {
  const boost::regex re(replacePattern, boost::regex::perl);
  overTexts(state, [&](const std::string& t) { return boost::regex_replace(t, re, replaceFormat, boost::format_sed); });
}
BENCHMARK(BM_ReplaceBoost);

void BM_SearchLibrary(benchmark::State& state) {
  overTexts(state, [](const std::string& t) { return ZR::regexSearch(t, searchPattern); });
}
BENCHMARK(BM_SearchLibrary);

void BM_ReplaceLibrary(benchmark::State& state) {
  overTexts(state, [](const std::string& t) { return ZR::regexReplace(t, replacePattern, replaceFormat); });
}
BENCHMARK(BM_ReplaceLibrary);

void throughHost(benchmark::State& state, const char* function, std::vector<xlsim::Arg> args) {
  standin::reset();
  xlsim::Host host;
  if (!host.load(ZR_XLL)) return state.SkipWithError("zr.xll did not load");
  overTexts(state, [&](const std::string& t) {
    if (!args.empty()) args[0] = xlsim::Value::text(t);
    return host.call(function, args, "B1");
  });
}

void BM_SearchThroughHost(benchmark::State& state) {
  throughHost(state, "regex_search", {xlsim::Value::nil(), xlsim::Value::text(searchPattern)});
}
BENCHMARK(BM_SearchThroughHost);

void BM_ReplaceThroughHost(benchmark::State& state) {
  throughHost(state, "regex_replace",
              {xlsim::Value::nil(), xlsim::Value::text(replacePattern), xlsim::Value::text(replaceFormat)});
}
BENCHMARK(BM_ReplaceThroughHost);

void BM_VersionThroughHost(benchmark::State& state) { throughHost(state, "hf_xllversion", {}); }
BENCHMARK(BM_VersionThroughHost);

}  // namespace

BENCHMARK_MAIN();
