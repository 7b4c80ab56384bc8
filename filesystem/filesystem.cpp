#include "filesystem/filesystem.h"

#include <stdexcept>

#include <boost/filesystem.hpp>

#include "regex/regex.h"

namespace fs = boost::filesystem;

namespace ZR {

namespace {

// Names of the entries directly in dir whose kind passes keep(status, name).
template <class Keep>
std::vector<std::string> list(const std::string& dir, Keep keep) {
  std::vector<std::string> names;
  if (!fs::is_directory(fs::status(dir))) return names;
  for (fs::directory_iterator it(dir), end; it != end; ++it) {
    std::string name = it->path().filename().string();
    if (keep(it->status(), name)) names.push_back(std::move(name));
  }
  return names;
}

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

}  // namespace

bool isDirectory(const std::string& path) { return fs::is_directory(fs::status(path)); }

bool isRegularFile(const std::string& path) { return fs::is_regular_file(fs::status(path)); }

std::string workingDir() { return fs::current_path().string(); }

double fileSizeKB(const std::string& path) {
  const boost::uintmax_t bytes = fs::file_size(path);
  return static_cast<double>(bytes) * 0.0009765625;
}

std::vector<std::string> filesInDir(const std::string& dir) {
  return list(dir, [](const fs::file_status& s, const std::string&) { return fs::is_regular_file(s); });
}

std::vector<std::string> subFolders(const std::string& dir) {
  return list(dir, [](const fs::file_status& s, const std::string&) { return fs::is_directory(s); });
}

std::vector<std::string> filesInDirMatching(const std::string& dir, const std::string& pattern) {
  const boost::regex re = compilePattern(pattern);
  return list(dir, [&](const fs::file_status& s, const std::string& name) {
    return fs::is_regular_file(s) && boost::regex_match(name, re);
  });
}

bool createDir(const std::string& path) {
  if (fs::is_directory(fs::status(path))) return true;
  return fs::create_directory(path);
}

double localSerial(std::time_t t) {
  std::tm local{};
#ifdef _WIN32
  // The Windows run-time keeps this result per thread.
  const std::tm* converted = std::localtime(&t);
  const bool ok = converted != nullptr;
  if (ok) local = *converted;
#else
  const bool ok = localtime_r(&t, &local) != nullptr;
#endif
  if (!ok) throw std::runtime_error("ZR::fs_modifiedTime - the time cannot be shown as a local date");
  const long long days = daysFromCivil(local.tm_year + 1900LL, static_cast<unsigned>(local.tm_mon + 1),
                                       static_cast<unsigned>(local.tm_mday));
  const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return static_cast<double>(days + 25569) + seconds / 86400.0;
}

double modifiedTime(const std::string& path) { return localSerial(fs::last_write_time(path)); }

void removeAll(const std::string& path) { fs::remove_all(path); }

void renamePath(const std::string& from, const std::string& to) { fs::rename(from, to); }

bool deletePath(const std::string& path) {
  const fs::file_status s = fs::status(path);
  if (!fs::is_regular_file(s) && !fs::is_directory(s)) return false;
  fs::remove(path);
  return true;
}

void copyFile(const std::string& from, const std::string& to) {
  // Only a regular file is read: opening a pipe can wait for ever, and a
  // device can be endless. A path that cannot be examined is left to the copy.
  boost::system::error_code ec;
  const fs::file_status source = fs::status(from, ec);
  if (!ec && fs::exists(source) && !fs::is_regular_file(source))
    throw std::runtime_error("ZR::fs_copyFile - only a regular file can be copied: \"" + from + "\"");
  fs::copy_file(from, to);
}

}  // namespace ZR
