#include "regex/regex.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace zr {

namespace {

struct Kept {
  std::string pattern;
  boost::regex::flag_type flags;
  boost::regex re;
};

// Most recently used first.
std::vector<Kept>& kept() {
  static std::vector<Kept> patterns;
  return patterns;
}

}  // namespace

boost::regex compilePattern(const std::string& pattern, boost::regex::flag_type flags) {
  std::vector<Kept>& k = kept();
  auto it = std::find_if(k.begin(), k.end(), [&](const Kept& e) { return e.flags == flags && e.pattern == pattern; });
  if (it != k.end()) {
    std::rotate(k.begin(), it, it + 1);
    return k.front().re;
  }
  boost::regex re(pattern, flags);
  if (pattern.size() <= kLongestKeptPattern) {
    if (k.size() == kKeptPatterns) k.pop_back();
    k.insert(k.begin(), Kept{pattern, flags, re});
  }
  return re;
}

std::size_t keptPatterns() { return kept().size(); }

bool regexMatch(const std::string& text, const std::string& pattern) {
  return boost::regex_match(text, compilePattern(pattern));
}

bool regexSearch(const std::string& text, const std::string& pattern) {
  return boost::regex_search(text, compilePattern(pattern));
}

std::string regexReplace(const std::string& text, const std::string& pattern, const std::string& format) {
  return boost::regex_replace(text, compilePattern(pattern), format, boost::format_sed);
}

std::string regexExtract(const std::string& text, const std::string& pattern) {
  const boost::regex re = compilePattern(pattern);
  boost::sregex_iterator it(text.begin(), text.end(), re), end;
  if (it == end) throw std::runtime_error("RegexExports::regex_extract::No match found.");
  return it->str(0);
}

std::string regexExtractN(const std::string& text, const std::string& pattern, std::int32_t n) {
  if (n < 1) throw std::runtime_error("RegexExports::regex_extractn::n should be greater than 0");
  const boost::regex re = compilePattern(pattern);
  boost::sregex_iterator it(text.begin(), text.end(), re), end;
  for (std::int32_t k = 1; k < n && it != end; ++k) ++it;
  if (it == end) throw std::runtime_error("RegexExports::regex_extractn::Fewer than n matches found.");
  return it->str(0);
}

}  // namespace zr
