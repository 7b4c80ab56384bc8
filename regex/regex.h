// Matching, searching, cutting and rewriting texts with Perl-syntax regular
// expressions. Invalid patterns raise boost::regex_error; the library's
// limit on the work of one match raises std::runtime_error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/regex.hpp>

namespace ZR {

// The compiled patterns kept for reuse, most recently used first: at most
// this many, each of at most kLongestKeptPattern characters (longer ones are
// compiled on every call).
constexpr std::size_t kKeptPatterns = 32;
constexpr std::size_t kLongestKeptPattern = 255;

// A pattern compiled with the given syntax options (by default Perl syntax,
// case-sensitive). Kept by its text and options; an invalid pattern throws
// every time and is not kept. Calls come from one thread.
boost::regex compilePattern(const std::string& pattern, boost::regex::flag_type flags = boost::regex::perl);
// How many compiled patterns are kept now.
std::size_t keptPatterns();

// The pattern matches the whole text.
bool regexMatch(const std::string& text, const std::string& pattern);
// The pattern matches somewhere in the text.
bool regexSearch(const std::string& text, const std::string& pattern);
// Every match rewritten by a sed-style format ("&", "\1", escapes).
std::string regexReplace(const std::string& text, const std::string& pattern, const std::string& format);
// The whole first match; fails when there is none.
std::string regexExtract(const std::string& text, const std::string& pattern);
// The whole n-th match, counted from 1; n is checked before the pattern.
std::string regexExtractN(const std::string& text, const std::string& pattern, std::int32_t n);

}  // namespace ZR
