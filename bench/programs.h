// Running programs from a benchmark: a temporary folder for their files,
// shell quoting, a command's output, and the processor time they took.
#pragma once

#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace zrbench {

// A new folder in the temporary directory, removed with its files at exit;
// ok() is false when none could be made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
    dir_ = mkdtemp(&pattern[0]) ? pattern : std::string();
  }
  ~TempFolder() {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  bool ok() const { return !dir_.empty(); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

// s in single quotes, for the shell (s holds none).
inline std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Runs a command through the shell; its standard output, or false when it fails.
inline bool run(const std::string& command, std::string& out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  out.clear();
  char buf[65536];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  return pclose(p) == 0;
}

// Processor seconds (user and system) of the children waited for so far.
inline double childSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace zrbench
