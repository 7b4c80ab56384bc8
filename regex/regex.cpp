#include "regex/regex.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace ZR {

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

namespace {

// The format has no "\x" or "\c" escape: appendExpansion can expand it.
bool simpleSed(const std::string& format) {
  for (size_t i = 0; i + 1 < format.size(); ++i)
    if (format[i] == '\\' && (format[++i] == 'x' || format[i] == 'c')) return false;
  return true;
}

// The character an escape letter stands for; any other stands for itself.
char escaped(char c) {
  switch (c) {
    case 'a': return '\a';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case 'v': return '\v';
    case 'e': return 27;
    default: return c;
  }
}

// Boost's sed-style expansion of a simple format for one match, without its
// formatter's reading of each "\d" through a stream.
void appendExpansion(std::string& out, const boost::smatch& m, const std::string& format) {
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    int sub = c == '&' ? 0 : -1;
    if (c == '\\' && i + 1 < format.size()) {
      c = format[++i];
      if (c >= '0' && c <= '9') sub = c - '0';
      c = escaped(c);
    }
    if (sub < 0) out += c;
    else out.append(m[sub].first, m[sub].second);
  }
}

}  // namespace

std::string regexReplace(const std::string& text, const std::string& pattern, const std::string& format) {
  const boost::regex re = compilePattern(pattern);
  if (!simpleSed(format)) return boost::regex_replace(text, re, format, boost::format_sed);
  // boost::regex_replace's walk over the matches
  std::string out;
  auto last = text.begin();
  for (boost::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
    out.append(it->prefix().first, it->prefix().second);
    appendExpansion(out, *it, format);
    last = (*it)[0].second;
  }
  return out.append(last, text.end());
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

}  // namespace ZR
