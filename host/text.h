// The simulated host's own text, number, date and reference rules.
#pragma once

#include <string>
#include <string_view>

#include "host/formula.h"

namespace xlsim {

// SEARCH: 1-based position of pattern in within at or after start,
// case-insensitive, '?' one character, '*' any run, '~' escapes the next
// character. 0 when not found (or start out of range). An empty pattern gives
// start. Positions count the characters of UTF-8 text.
int search(const std::string& pattern, const std::string& within, int start = 1);

// The 1900 date system: serial 1 is 1 January 1900, 60 is 29 February 1900
// (the host counts 1900 as a leap year), 61 is 1 March 1900.
// False when the date is outside 1 January 1900 .. 31 December 9999.
bool serialFromDate(int year, int month, int day, double& serial);
// Year, month and day of a serial (truncated to whole days).
// False for serials below 0 or above 31 December 9999. Serial 0 is 0 January 1900.
bool dateFromSerial(double serial, int& year, int& month, int& day);

// The whole text is a decimal number: optional sign, digits with an optional
// point, optional exponent. No blanks, no thousands separators.
bool parseNumber(const std::string& text, double& out);

// VALUE: a number text (leading and trailing blanks allowed, sign, decimals,
// exponent) or a yyyy-mm-dd date (its serial). False otherwise.
bool valueOfText(const std::string& text, double& out);

// TEXT with the formats "#", "0", "0.00" (any number of decimals), "General"
// or "" (shortest round-trip form).
std::string formatNumber(double x, const std::string& format);

// Shortest text that reads back as x; integers without a decimal point.
std::string numberText(double x);
// 17 significant digits, as xlhost --tsv prints numbers.
std::string numberText17(double x);

// Error literal of an xlerr code ("#VALUE!"), and back (-1 when unknown).
std::string errorText(int code);
int errorCode(const std::string& literal);

// Column letters of a 0-based column (0 -> "A", 26 -> "AA").
std::string columnName(int column);
// "A1", "$A$1", "A1:B3": false when the text is not a reference.
bool parseArea(std::string_view text, Area& area);
// One cell ("A1", "$A$1"), 0-based: false when the text is not one.
bool parseCell(std::string_view text, int& row, int& col);
// "$A$1" or "$A$1:$B$3" (absolute) or "A1" / "A1:B3"; a single cell as one cell.
std::string areaText(const Area& area, bool absolute = true);
// The same text appended to out.
void appendAreaText(std::string& out, const Area& area, bool absolute);

}  // namespace xlsim
