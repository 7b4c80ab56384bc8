// zr_fuzz SEED CALLS [--addin PATH] [--trace FROM] [--progress N] [--stats] [--hang SECONDS]
// Loads the add-in into the simulated host inside a fresh temporary folder,
// makes CALLS generated calls from SEED, unloads it and checks what is left.
// Exit status: 0 clean, 1 failures found, 2 bad command line, 3 no add-in.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <string>

#include "fuzz/fuzzer.h"
#include "fuzz/offline.h"
#include "platform/standin.h"

namespace fs = std::filesystem;

#ifdef __SANITIZE_ADDRESS__
// Blocks of 2 GiB and more fail as on a 32-bit host (malloc gives null),
// instead of taking the machine's memory.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=2048";
}
#endif

namespace {

int usage() {
  std::cerr << "usage: zr_fuzz SEED CALLS [--addin PATH] [--trace FROM] [--progress N] [--stats] [--hang SECONDS]\n";
  return 2;
}

bool readNumber(const char* s, uint64_t& out) {
  char* end = nullptr;
  out = std::strtoull(s, &end, 10);
  return *s && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  zrfuzz::Options opt;
#ifdef ZR_XLL
  opt.addin = ZR_XLL;
#endif
  std::vector<std::string> plain;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--addin" && i + 1 < argc) {
      opt.addin = argv[++i];
    } else if (a == "--trace" && i + 1 < argc) {
      if (!readNumber(argv[++i], opt.traceFrom)) return usage();
    } else if (a == "--progress" && i + 1 < argc) {
      if (!readNumber(argv[++i], opt.progressEvery)) return usage();
    } else if (a == "--hang" && i + 1 < argc) {
      opt.hangSeconds = std::atof(argv[++i]);
    } else if (a == "--stats") {
      opt.stats = true;
    } else {
      plain.push_back(a);
    }
  }
  if (plain.size() != 2 || !readNumber(plain[0].c_str(), opt.seed) || !readNumber(plain[1].c_str(), opt.calls))
    return usage();
  opt.addin = fs::absolute(opt.addin).string();
#ifndef __SANITIZE_ADDRESS__
  // the same bound on the whole process: large allocations fail, not the machine
  rlimit limit{rlim_t{8} << 30, rlim_t{8} << 30};
  setrlimit(RLIMIT_AS, &limit);
#endif

  // every file the calls touch lies in this folder, the working folder
  const fs::path home = fs::current_path();
  std::string pattern = (fs::temp_directory_path() / "zr_fuzz.XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::cerr << "zr_fuzz: cannot make a temporary folder\n";
    return 2;
  }
  const fs::path work = fs::canonical(pattern);
  fs::current_path(work);
  if (fs::current_path() != work) return 2;

  zrfuzz::installDeathReport();
  static fs::path workFolder = work;
  zrfuzz::startWatchdog(opt.hangSeconds, [] {
    std::error_code ec;
    fs::remove_all(workFolder, ec);
  });
  opt.offline = zrfuzz::offlineLookups();
  if (!opt.offline) std::cerr << "zr_fuzz: name lookups are not answered locally: network functions left out\n";
  int status = 0;
  {
    standin::reset();
    xlsim::Host host;
    std::string error;
    if (!host.load(opt.addin, &error) || host.autoOpenResult() != 1) {
      std::cerr << "zr_fuzz: cannot load " << opt.addin << ": " << error << "\n";
      fs::current_path(home);
      fs::remove_all(work);
      return 3;
    }
    std::cerr << "zr_fuzz: seed " << opt.seed << ", " << opt.calls << " calls, work folder " << work.string()
              << "\n";
    zrfuzz::Fuzzer fuzzer(host, opt, std::cerr);
    zrfuzz::Summary s = fuzzer.run();
    for (const std::string& k : s.skipped) std::cerr << "skipped " << k << "\n";
    xlsim::Value count = host.call("hf_count", {});
    const std::string module = host.addinPath();
    host.unload();
    {
      std::ifstream maps("/proc/self/maps");
      std::string line;
      while (std::getline(maps, line))
        if (line.find(module) != std::string::npos) {
          std::cerr << "FAIL at unload: the add-in is still mapped\n";
          ++s.failures;
          break;
        }
    }
    int left = host.outstanding();
    int keys = standin::openRegistryKeys();
    if (left != 0 || keys != 0) {
      std::cerr << "FAIL at unload: " << left << " host-owned results, " << keys << " registry keys open\n";
      ++s.failures;
    }
    std::cerr << "targets: " << s.targets << ", calls: " << s.calls << ", error results: " << s.errorResults
              << ", pool entries before unload: " << count.display() << ", failures: " << s.failures
              << ", seconds: " << s.seconds << "\n";
    std::cerr << "name lookups answered with a closed local port: " << zrfuzz::lookupsAnswered() << "\n";
    for (const std::string& line : s.perTarget) std::cerr << "target " << line << "\n";
    for (const auto& [sec, call] : s.slowest)
      std::cerr << "slow: " << std::fixed << std::setprecision(3) << sec << " s " << call << "\n";
    status = s.failures ? 1 : 0;
  }
  fs::current_path(home);
  fs::remove_all(work);
  return status;
}
