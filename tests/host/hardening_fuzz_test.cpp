// The fuzz driver's own guarantees: what it calls, where it writes, where its
// name lookups lead, and that a seed gives the same calls again.
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "fuzz/fuzzer.h"
#include "tests/support/addin_test.h"

namespace fs = std::filesystem;

namespace {

TEST(FuzzPaths, OnlyPlainRelativeNamesAreContained) {
  const std::pair<const char*, bool> cases[] = {
      {"a.txt", true}, {"d1/d2/e.txt", true}, {"long name", true}, {"", false},     {".", false},
      {"..", false},   {"a/../b", false},     {"a/./b", false},    {"/tmp/x", false}, {"a//b", false},
      {"a/", false},   {"C:\\x", false},      {"d1\\..", false}};
  for (const auto& [path, contained] : cases) EXPECT_EQ(zrfuzz::isContainedPath(path), contained) << path;
}

// Every name resolves to a port on this machine that nothing listens on.
TEST(FuzzLookups, StayOnThisMachine) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  ASSERT_EQ(getaddrinfo("quotes.example.invalid", "http", &hints, &res), 0);
  ASSERT_EQ(res->ai_family, AF_INET);
  const auto* a = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
  EXPECT_EQ(ntohl(a->sin_addr.s_addr), INADDR_LOOPBACK);
  int s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  EXPECT_NE(connect(s, res->ai_addr, res->ai_addrlen), 0);
  EXPECT_EQ(errno, ECONNREFUSED);
  close(s);
  freeaddrinfo(res);
}

class FuzzAddin : public zrtest::AddinTest {};

TEST_F(FuzzAddin, DiscoversEveryFunctionAndGuardsTheWritingOnes) {
  std::vector<std::string> skipped;
  std::set<std::string> writing, all;
  for (const zrfuzz::Target& t : zrfuzz::discover(host, false, skipped)) {
    all.insert(t.name);
    if (t.writesFiles) writing.insert(t.name);
  }
  EXPECT_EQ(writing, (std::set<std::string>{"fs_copyFile", "fs_createDir", "fs_delete", "fs_emptyDir", "fs_rename"}));
  for (const char* name : {"bsopt_create", "hf_getError", "XLL.MACRO", "ALERT.FILTER"})
    EXPECT_TRUE(all.count(name)) << name;
  size_t network = 0;
  for (const char* name : {"source_yahoo_quote", "source_googlefinance_quote", "source_yahoo_historical"}) {
    EXPECT_FALSE(all.count(name)) << name << " fetches over the network";
    network += host.function(name) != nullptr;
  }
  std::vector<std::string> none;
  EXPECT_EQ(zrfuzz::discover(host, true, none).size(), all.size() + network);
  EXPECT_TRUE(none.empty());
}

// Runs the calls of a seed inside a temporary folder; the printed calls.
std::string callsOf(uint64_t seed, uint64_t calls = 400) {
  const fs::path home = fs::current_path();
  // one name for every run: the working folder is among the texts it reuses
  const fs::path dir = fs::temp_directory_path() / ("zr_fuzz_test." + std::to_string(getpid()));
  if (!fs::create_directory(dir)) return "";
  fs::current_path(dir);
  std::ostringstream log;
  {
    zrtest::FreshPlatform fresh;
    xlsim::Host host;
    if (host.load(ZR_XLL)) {
      zrfuzz::Options opt;
      opt.seed = seed;
      opt.calls = calls;
      opt.traceFrom = 0;
      zrfuzz::Fuzzer(host, opt, log).run();
    }
  }
  fs::current_path(home);
  fs::remove_all(dir);
  return log.str();
}

TEST(FuzzSeeds, SameSeedSameCalls) {
  const std::string first = callsOf(5);
  EXPECT_NE(first.find("#399 "), std::string::npos);
  EXPECT_EQ(callsOf(5), first);
  EXPECT_NE(callsOf(6), first);
}

// The functions that write get plain names inside the work folder only, and
// a handle of every stored kind is made before the calls.
TEST(FuzzSeeds, WritersGetContainedPathsAndHandlesOfEveryKind) {
  const std::string log = callsOf(9, 3000);
  EXPECT_NE(log.find("handles kept: 12\n"), std::string::npos) << log.substr(0, 200);
  const std::regex writer(R"(=fs_(createDir|emptyDir|delete|rename|copyFile)\(([^\n]*)\)\n)");
  const std::regex text(R"re("((?:[^"]|"")*)")re");
  int writes = 0;
  for (auto m = std::sregex_iterator(log.begin(), log.end(), writer); m != std::sregex_iterator(); ++m) {
    const std::string args = (*m)[2];
    const int paths = (*m)[1] == "rename" || (*m)[1] == "copyFile" ? 2 : 1;
    auto t = std::sregex_iterator(args.begin(), args.end(), text);
    for (int i = 0; i < paths && t != std::sregex_iterator(); ++i, ++t)
      EXPECT_TRUE(zrfuzz::isContainedPath((*t)[1])) << (*m)[0];
    ++writes;
  }
  EXPECT_GT(writes, 40);
}

}  // namespace
