// Modification times as local serial date-times.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include <boost/filesystem.hpp>

#include "filesystem/filesystem.h"

namespace {

namespace fs = boost::filesystem;

// Sets TZ until destroyed.
class Zone {
 public:
  explicit Zone(const char* tz) {
    if (const char* old = std::getenv("TZ")) old_ = old, had_ = true;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~Zone() {
    if (had_) setenv("TZ", old_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  std::string old_;
  bool had_ = false;
};

TEST(FileSystem, ModifiedTimeIsLocalWithDaylightSaving) {
  const fs::path dir = fs::temp_directory_path() / fs::unique_path("zr-fs-%%%%-%%%%");
  fs::create_directory(dir);
  const std::string file = (dir / "f.txt").string();
  std::ofstream(file) << "x";
  // Expected serials from Python's zoneinfo (Europe/Zurich, America/New_York):
  // (datetime.fromtimestamp(t, zone) - datetime(1899, 12, 30)) / 1 day.
  struct Case {
    const char* tz;
    std::time_t t;
    double serial;
  };
  const char* zurich = "CET-1CEST,M3.5.0,M10.5.0/3";
  const char* newYork = "EST5EDT,M3.2.0,M11.1.0";
  const Case cases[] = {
      {"UTC0", 86400, 25570.0},           {"UTC0", 1625140800, 44378.5},
      {zurich, 86400, 25570.041666666668}, {zurich, 1610712000, 44211.541666666664},
      {zurich, 1625140800, 44378.583333333336}, {newYork, 86400, 25569.791666666668},
      {newYork, 1610712000, 44211.291666666664}, {newYork, 1625140800, 44378.333333333336},
  };
  for (const Case& c : cases) {
    Zone zone(c.tz);
    for (const std::string& path : {file, dir.string()}) {
      fs::last_write_time(path, c.t);
      EXPECT_NEAR(zr::modifiedTime(path), c.serial, 1e-9) << c.tz << " " << c.t << " " << path;
    }
  }
  fs::remove_all(dir);
}

}  // namespace
