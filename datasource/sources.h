// The quote services: where requests go, their paths, and the rewriting of
// their answers into array-constant texts and history fields.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace ZR {

// A quote service: host name and service ("http", or a port number).
struct Service {
  const char* host;
  const char* service;
};
enum ServiceId { YahooQuotes, YahooHistory, GoogleFinance, ServiceCount };
// The table every request reads; tests point it at a server of their own.
extern Service services[ServiceCount];

// Bytes below 0x21 and from 0x7F up as %XX; every other byte unchanged.
std::string percentEncode(const std::string& text);

// Paths with query. The ticker and the frequency are percent-encoded.
std::string yahooQuotePath(const std::string& ticker, bool lastTradeDate, bool lastTradeTime);
std::string googleQuotePath(const std::string& ticker);
// numbers: the month index, day and year of From, then of To, as digits.
std::string yahooHistoryPath(const std::string& ticker, const std::array<std::string, 6>& numbers,
                             const std::string& frequency);

// Replaces the first occurrence of what; false when there is none.
bool replace_first(std::string& text, const std::string& what, const std::string& with);

// One answer line per row, CRLF-ended, fields already array-constant elements:
// the text of the array constant ("{a,b;c,d}"). Throws std::out_of_range
// ("invalid string position") when the answer has no line end.
std::string quote_csv_to_array(const std::string& answer);
// Key and value pairs "k":"v" separated by ',': one row per pair.
std::string quote_json_to_array(const std::string& answer);
// The second service's answer without its first "//", "[", "]", "{" and "}".
std::string google_answer_to_array(std::string answer);

// Throws std::runtime_error unless text can only be one array constant:
// outside double-quoted texts no parenthesis, and braces only at its two
// ends. The host evaluates the text as a formula; an answer must not be
// able to call a function.
void requireArrayConstant(const std::string& text);

// A price history cut into rows of seven fields, the title line first when
// headers is set. Throws std::runtime_error on an answer that is empty, does
// not end with a line break or has a line of fewer than seven fields.
typedef std::array<std::string, 7> HistoryRow;
std::vector<HistoryRow> historical_csv_to_array(const std::string& answer, bool headers);

// The first service's quote fields: a title row, then name and code.
constexpr int kFieldRows = 89;
extern const char* const yahooFields[kFieldRows][2];

}  // namespace ZR
