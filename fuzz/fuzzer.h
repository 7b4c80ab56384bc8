// Calls every function and command an add-in registers, through the
// simulated host, with generated arguments; reproducible from a seed.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <random>
#include <string>
#include <vector>

#include "host/host.h"

namespace zrfuzz {

struct Options {
  std::string addin;
  uint64_t seed = 1;
  uint64_t calls = 10000;
  uint64_t traceFrom = UINT64_MAX;  // print every call from this index on
  uint64_t progressEvery = 0;       // 0: no progress lines
  bool stats = false;               // calls and error results per target
  double hangSeconds = 60;          // a call this long is reported as a hang
  bool offline = false;             // name lookups never leave the machine
};

// One registered function or command as the fuzzer uses it.
struct Target {
  std::string name;      // function text or macro text
  std::string category;
  std::string params;    // one type letter per argument
  bool command = false;
  bool writesFiles = false;  // its texts are paths inside the work folder only
};

struct Summary {
  uint64_t calls = 0;
  uint64_t failures = 0;
  uint64_t errorResults = 0;
  size_t targets = 0;
  std::vector<std::string> skipped;  // with the reason
  double seconds = 0;
  std::vector<std::pair<double, std::string>> slowest;  // seconds; number, cell and function of the call
  std::vector<std::string> perTarget;  // name, calls, error results
};

// The active registrations turned into targets; network functions are left
// out (listed in skipped) unless offline.
std::vector<Target> discover(const xlsim::Host& host, bool offline, std::vector<std::string>& skipped);

// True for a relative path made only of plain names ("d1/a.txt"): no "",
// ".", "..", root or drive.
bool isContainedPath(const std::string& path);

class Fuzzer {
 public:
  Fuzzer(xlsim::Host& host, const Options& options, std::ostream& log);
  // Builds the sheet and the handles of every stored kind, then makes the
  // calls. Failures are printed as they happen.
  Summary run();

 private:
  using Arg = xlsim::Arg;
  using Value = xlsim::Value;

  // ---- values ----
  double number();
  double count();
  std::string text();
  std::string path();
  std::string formula(int depth);
  Value scalar();
  Value array(bool numeric);
  Arg reference();
  std::string handle();
  Arg argFor(const Target& t, size_t i);
  Arg anything();

  // ---- the sheet ----
  void buildSheet();
  void makeHandles();
  void resetFiles();
  void dirtyCells();
  std::string callerCell();

  // ---- one call ----
  void callOnce(uint64_t index);
  void harvest(const Value& v);
  bool asFormula(const Target& t, const std::vector<Arg>& args, std::string& out) const;
  void fail(uint64_t index, const std::string& what);
  std::string describe(const Target& t, const std::vector<Arg>& args, const std::string& caller,
                       size_t limit) const;

  size_t pick(size_t n) { return static_cast<size_t>(rng_() % n); }
  bool chance(int percent) { return static_cast<int>(rng_() % 100) < percent; }

  xlsim::Host& host_;
  Options opt_;
  std::ostream& log_;
  std::mt19937_64 rng_;
  std::vector<Target> targets_;
  std::vector<std::string> safeNames_;  // functions allowed in util_eval texts
  std::vector<std::string> handles_;      // seen in results
  std::vector<std::string> seedHandles_;  // one per stored kind, kept valid
  std::vector<std::string> texts_;        // seen in results
  std::vector<Value> arrays_;             // seen in results
  bool wizard_ = false;
  std::vector<std::pair<uint64_t, uint64_t>> counts_;  // per target: calls, errors
  Summary summary_;
};

// The call under way, printed when the process dies in it.
void installDeathReport();
// Watches the calls from another thread: one that takes longer than seconds
// is reported as a hang and the process ends (status 1) after onHang().
void startWatchdog(double seconds, void (*onHang)());

}  // namespace zrfuzz
