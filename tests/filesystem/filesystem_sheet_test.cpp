// The file-system worksheet functions through the simulated host, inside a
// temporary folder made and removed by each test.
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <boost/filesystem.hpp>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/addin_test.h"

namespace {

namespace fs = boost::filesystem;
using Texts = std::vector<std::string>;

class FileSystemSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    root = (fs::temp_directory_path() / fs::unique_path("zr-fs-%%%%-%%%%")).string() + "/";
    for (const char* f : {"k", "empty", "one/only.txt", "mix/a.txt", "mix/b.dat", "mix/c", "mix/s1/x", "mix/s2/",
                          "re/abc.txt", "re/cab.txt", "re/Abc.txt", "re/a", "re/abc.d/x", "full/x", "loops/"}) {
      fs::create_directories(fs::path(root + f).parent_path());
      const size_t bytes = f[0] == 'k' ? 1536 : f[0] == 'e' ? 0 : 3;
      if (std::string(f).back() != '/') std::ofstream(root + f) << std::string(bytes, 'z');
    }
    fs::create_symlink(root + "loops/loop", root + "loops/loop");
  }
  void TearDown() override { fs::remove_all(root); }

  // "@" at the start of a text stands for the folder.
  std::string path(const std::string& a) const { return a[0] == '@' ? root + a.substr(1) : a; }
  // What a call from B2 shows (lists sorted), or "#VALUE! " and its message.
  std::string call(const std::string& f, const Texts& args) {
    std::vector<xlsim::Arg> in;
    for (const std::string& a : args) in.push_back(xlsim::Value::text(path(a)));
    xlsim::Value v = host.call(f, in, "B2");
    std::sort(v.elements.begin(), v.elements.end(), [](auto& x, auto& y) { return x.str < y.str; });
    return zrtest::isError(v, xlerrValue) ? "#VALUE! " + errorOf("B2") : v.display();
  }

  std::string root;
};

TEST_F(FileSystemSheet, EveryFunction) {
  // A call and what it shows. A failure shows the library's operation, the
  // system's text (not compared) and the arguments as quoted paths.
  const std::tuple<const char*, Texts, std::string> steps[] = {
      {"fs_isValidDirPath", {"@"}, "TRUE"}, {"fs_isValidDirPath", {"@mix/c"}, "FALSE"},
      {"fs_isValidDirPath", {""}, "FALSE"}, {"fs_isValidFilePath", {"@mix/c"}, "TRUE"},
      {"fs_isValidFilePath", {"@mix"}, "FALSE"}, {"fs_filesInDir", {"@one"}, "only.txt"},
      {"fs_filesInDir", {"@mix"}, "{\"a.txt\";\"b.dat\";\"c\"}"}, {"fs_subFolders", {"@mix"}, "{\"s1\";\"s2\"}"},
      // No names leave the emptied result, nothing of the last one.
      {"fs_filesInDir", {"@mix/s2"}, ""}, {"fs_filesInDir", {"@none"}, ""}, {"fs_subFolders", {"@one"}, ""},
      // Whole names match, with letter case; the pattern is compiled first.
      {"fs_filesInDirRE", {"@re", "a.*"}, "{\"a\";\"abc.txt\"}"}, {"fs_filesInDirRE", {"@re", "ABC.*"}, ""},
      {"fs_filesInDirRE", {"@none", "a("},
       "#VALUE! Unmatched marking parenthesis ( or \\(.  The error occurred while parsing the regular expression: "
       "'a(>>>HERE>>>'."},
      {"fs_fileSize", {"@k"}, "1.5"}, {"fs_fileSize", {"@empty"}, "0"},
      {"fs_fileSize", {"@mix"}, "#VALUE! boost::filesystem::file_size: "},
      {"fs_modifiedTime", {"@none"}, "#VALUE! boost::filesystem::last_write_time: "},
      {"fs_createDir", {"@made"}, "TRUE"}, {"fs_createDir", {"@made"}, "TRUE"},
      {"fs_createDir", {"@no/parent"}, "#VALUE! boost::filesystem::create_directory: "},
      // Renaming replaces an existing file; copying refuses to.
      {"fs_rename", {"@k", "@mix/c"}, "TRUE"}, {"fs_fileSize", {"@mix/c"}, "1.5"},
      {"fs_rename", {"@k", "@b"}, "#VALUE! boost::filesystem::rename: "}, {"fs_copyFile", {"@mix/c", "@b"}, "TRUE"},
      {"fs_copyFile", {"@empty", "@b"}, "#VALUE! boost::filesystem::copy_file: "}, {"fs_fileSize", {"@b"}, "1.5"},
      {"fs_delete", {"@b"}, "TRUE"}, {"fs_delete", {"@made"}, "TRUE"}, {"fs_delete", {"@none"}, "FALSE"},
      {"fs_isValidFilePath", {"@b"}, "FALSE"}, {"fs_delete", {"@full"}, "#VALUE! boost::filesystem::remove: "},
      // Emptying removes the folder itself, and does not follow links.
      {"fs_emptyDir", {"@mix"}, "TRUE"}, {"fs_emptyDir", {"@none"}, "TRUE"}, {"fs_isValidDirPath", {"@mix"}, "FALSE"},
      {"fs_isValidDirPath", {"@loops/loop"}, "#VALUE! boost::filesystem::status: "},
      {"fs_emptyDir", {"@loops"}, "TRUE"}, {"fs_isValidDirPath", {"@loops"}, "FALSE"},
  };
  for (const auto& [f, args, expected] : steps) {
    const std::string shows = call(f, args);
    if (expected.rfind("#VALUE! boost", 0) != 0) {
      EXPECT_EQ(shows, expected) << f << " " << args[0];
      continue;
    }
    std::string paths;
    for (const std::string& a : args) paths += (paths.empty() ? ": \"" : ", \"") + path(a) + "\"";
    EXPECT_EQ(shows.substr(0, expected.size()), expected) << shows;
    EXPECT_GT(shows.size(), expected.size() + paths.size()) << shows;
    EXPECT_EQ(shows.substr(shows.size() - std::min(shows.size(), paths.size())), paths) << shows;
  }
}

#ifndef _WIN32
// A copy reads only a regular file or a link to one: a pipe or a device is
// refused before it is opened, and nothing is written. The other functions
// only examine such a path.
TEST_F(FileSystemSheet, SpecialFiles) {
  ASSERT_EQ(mkfifo((root + "pipe").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", root + "zero");
  fs::create_symlink(root + "k", root + "link");
  for (const char* source : {"pipe", "zero"}) {
    EXPECT_EQ(call("fs_copyFile", {std::string("@") + source, "@copy"}),
              "#VALUE! ZR::fs_copyFile - only a regular file can be copied: \"" + root + source + "\"");
    EXPECT_FALSE(fs::exists(root + "copy"));
  }
  EXPECT_EQ(call("fs_copyFile", {"@link", "@copy"}), "TRUE");
  EXPECT_EQ(call("fs_fileSize", {"@copy"}), "1.5");
  EXPECT_EQ(call("fs_fileSize", {"@pipe"}).rfind("#VALUE! boost::filesystem::file_size: ", 0), 0u);
  EXPECT_GT(std::stod(call("fs_modifiedTime", {"@pipe"})), 25569);
}
#endif

// Last write times are local, with daylight saving. Expected serials from
// Python's zoneinfo (Europe/Zurich, America/New_York): (datetime.fromtimestamp(t,
// zone) - datetime(1899, 12, 30)) / 1 day.
TEST_F(FileSystemSheet, ModifiedTimeInTwoZones) {
  const char *zurich = "CET-1CEST,M3.5.0,M10.5.0/3", *newYork = "EST5EDT,M3.2.0,M11.1.0";
  const std::tuple<const char*, std::time_t, double> cases[] = {
      {"UTC0", 1625140800, 44378.5},           {zurich, 86400, 25570.041666666668},
      {zurich, 1610712000, 44211.541666666664}, {zurich, 1625140800, 44378.583333333336},
      {newYork, 1610712000, 44211.291666666664}, {newYork, 1625140800, 44378.333333333336}};
  const char* given = std::getenv("TZ");
  const std::string before = given ? given : "";
  for (const auto& [tz, t, serial] : cases) {
    setenv("TZ", tz, 1);
    tzset();
    fs::last_write_time(root + "mix", t);
    EXPECT_NEAR(std::stod(call("fs_modifiedTime", {"@mix"})), serial, 1e-9) << tz << " " << t;
  }
  given ? setenv("TZ", before.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST_F(FileSystemSheet, WorkingFolderAndUser) {
  EXPECT_EQ(call("fs_workingDir", {}), fs::current_path().string());
  standin::setUserName(std::string(99, 'u'));
  EXPECT_EQ(call("fs_user", {}), std::string(99, 'u'));
  standin::setUserName(std::string(100, 'u'));
  EXPECT_EQ(call("fs_user", {}), "#VALUE! ZR::fs_user function failed.");
}

}  // namespace
