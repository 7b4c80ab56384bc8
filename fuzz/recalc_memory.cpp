// zr_recalc_memory [--times N] SHEET...
// Enters each example sheet into the simulated host with the add-in loaded,
// calculates it, then calculates it again N times (default 10,000), printing
// the process's resident memory as it goes. Steps (!...) are ignored.
// Exit status: 0, or 1 when the resident memory of the last tenth of the
// recalculations grew by more than 1 MiB, 2 for a bad command line.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

std::string trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

bool enterSheet(xlsim::Host& host, const std::string& file) {
  std::ifstream in(file);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '#' || line[0] == '!') continue;
    size_t gap = line.find_first_of(" \t");
    host.setCell(line.substr(0, gap), gap == std::string::npos ? "" : trim(line.substr(gap)));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  long times = 10000;
  std::vector<std::string> sheets;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--times" && i + 1 < argc)
      times = std::atol(argv[++i]);
    else
      sheets.push_back(a);
  }
  if (sheets.empty() || times < 10) {
    std::cerr << "usage: zr_recalc_memory [--times N] SHEET...\n";
    return 2;
  }
  int status = 0;
  xlsim::Host host;
  std::string error;
  if (!host.load(ZR_XLL, &error)) {
    std::cerr << "cannot load the add-in: " << error << "\n";
    return 2;
  }
  std::cout << "sheet\trecalcs\tRSS KiB\tpool entries\n";
  for (const std::string& sheet : sheets) {
    host.clearSheet();
    if (!enterSheet(host, sheet)) {
      std::cerr << "cannot read " << sheet << "\n";
      return 2;
    }
    host.calculate();
    long lastTenth = 0;
    for (long n = 0; n <= times; ++n) {
      if (n > 0) host.recalculate();
      if (n == times - times / 10) lastTenth = residentKiB();
      if (n % (times / 10) == 0)
        std::cout << sheet << "\t" << n << "\t" << residentKiB() << "\t"
                  << host.call("hf_count", {}).display() << "\n";
    }
    long growth = residentKiB() - lastTenth;
    if (growth > 1024) {
      std::cout << sheet << ": grew by " << growth << " KiB over the last tenth\n";
      status = 1;
    }
  }
  return status;
}
