#include "regex/regex.h"

#include <stdexcept>

namespace zr {

boost::regex compilePattern(const std::string& pattern) { return boost::regex(pattern, boost::regex::perl); }

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
