// Regular-expression worksheet functions.
#include <cstdint>
#include <string>

#include "addin/categories.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "regex/regex.h"

using namespace xll;

const CategoryTable& ZR::RegexCategory() {
  static const ArgRow str{"C#", "str", "is the input string."};
  static const ArgRow regexp{"C#", "regexp", "is the input regular expression."};
  static const ArgRow replacement{"C#", "replacement ", "is the replacement."};
  static const CategoryTable table{
      "ZR_Regex",
      "The ZR Regex library provides useful Regular expression functions.",
      "The library uses Regular expression library of boost at the back end.The library exports "
      "various useful Regex operation functions.",
      CategoryTable::DocumentationLast,
      {
          {"regex_match", "P#", {str, regexp}, "checks if the regex matches the input string."},
          {"regex_search", "P#", {str, regexp}, "checks if the match is found in the input string."},
          {"regex_replace", "P#", {str, regexp, replacement}, "replaces all occurences of the regex string."},
          {"regex_extract", "P#", {str, regexp}, "extract the string based on the input regex string."},
          {"regex_extractn", "P#", {str, regexp, {"J#", "n", "is n."}},
           "extract the nth match string based on the input regex."},
      },
      {},
  };
  return table;
}

XLL_PROC(LPXLOPER, regex_match, "?regex_match", (const char* str, const char* regexp)) {
  static OPER result;
  return framed(result, [&] { result = ZR::regexMatch(textOf(str), textOf(regexp)); });
}

XLL_PROC(LPXLOPER, regex_search, "?regex_search", (const char* str, const char* regexp)) {
  static OPER result;
  return framed(result, [&] { result = ZR::regexSearch(textOf(str), textOf(regexp)); });
}

XLL_PROC(LPXLOPER, regex_replace, "?regex_replace",
         (const char* str, const char* regexp, const char* replacement)) {
  static OPER result;
  return framed(result,
                [&] { result = ZR::regexReplace(textOf(str), textOf(regexp), textOf(replacement)); });
}

XLL_PROC(LPXLOPER, regex_extract, "?regex_extract", (const char* str, const char* regexp)) {
  static OPER result;
  return framed(result, [&] { result = ZR::regexExtract(textOf(str), textOf(regexp)); });
}

XLL_PROC(LPXLOPER, regex_extractn, "?regex_extractn", (const char* str, const char* regexp, std::int32_t n)) {
  static OPER result;
  return framed(result, [&] { result = ZR::regexExtractN(textOf(str), textOf(regexp), n); });
}
