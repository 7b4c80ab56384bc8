#include "host/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace xlsim {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// ---- SEARCH ---------------------------------------------------------------

// Bytes that are not valid UTF-8 become characters of their own, out of the
// Unicode range so they only ever match themselves.
constexpr char32_t kRawByte = 0x110000;

std::vector<char32_t> decodeUtf8(const std::string& s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
    char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + extra < s.size();
    for (int k = 1; ok && k <= extra; ++k) {
      unsigned char c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (c & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (ok && extra > 0 && (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
      ok = false;
    if (ok) {
      out.push_back(cp);
      i += extra + 1;
    } else {
      out.push_back(kRawByte + b);
      ++i;
    }
  }
  return out;
}

// Lower case for ASCII, Latin-1, Greek and Cyrillic capitals.
char32_t fold(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

struct PatternChar {
  char32_t c;
  bool any;  // '?'
};
using Segment = std::vector<PatternChar>;

bool matchesAt(const Segment& seg, const std::vector<char32_t>& text, size_t at) {
  if (at + seg.size() > text.size()) return false;
  for (size_t k = 0; k < seg.size(); ++k)
    if (!seg[k].any && seg[k].c != text[at + k]) return false;
  return true;
}

// Leftmost position >= from where seg matches, or npos.
size_t find(const Segment& seg, const std::vector<char32_t>& text, size_t from) {
  for (size_t at = from; at + seg.size() <= text.size(); ++at)
    if (matchesAt(seg, text, at)) return at;
  return std::string::npos;
}

// ---- dates ----------------------------------------------------------------

// Days since 1970-01-01 of a proleptic Gregorian date.
long daysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  long era = (y >= 0 ? y : y - 399) / 400;
  long yoe = y - era * 400;
  long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(long z, int& year, int& month, int& day) {
  z += 719468;
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

const long kEpoch = daysFromCivil(1899, 12, 30);  // serial 0 for dates from March 1900
constexpr double kLastSerial = 2958465;           // 9999-12-31

// ---- number formats -------------------------------------------------------

// |x| rounded half away from zero to `decimals` places, after first rounding
// to 15 significant digits as the host does for display.
void fixedDigits(double ax, int decimals, std::string& whole, std::string& fraction) {
  std::string digits;
  int point;  // digits before the decimal point
  if (ax == 0) {
    digits = "0";
    point = 1;
  } else {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", ax);
    digits.push_back(buf[0]);
    digits.append(buf + 2, 14);
    point = std::atoi(std::strchr(buf, 'e') + 1) + 1;
  }
  long keep = long(point) + decimals;
  if (keep < 0) {
    digits.clear();
  } else if (keep < long(digits.size())) {
    bool up = digits[keep] >= '5';
    digits.resize(keep);
    for (long i = keep - 1; up && i >= 0; --i) {
      if (digits[i] == '9') {
        digits[i] = '0';
      } else {
        ++digits[i];
        up = false;
      }
    }
    if (up) {
      digits.insert(digits.begin(), '1');
      ++point;
    }
  }
  auto digitAt = [&](long i) { return i >= 0 && i < long(digits.size()) ? digits[i] : '0'; };
  whole.clear();
  for (long i = 0; i < point; ++i) whole.push_back(digitAt(i));
  size_t nonZero = whole.find_first_not_of('0');
  whole.erase(0, nonZero == std::string::npos ? whole.size() : nonZero);
  fraction.clear();
  for (long i = point; i < long(point) + decimals; ++i) fraction.push_back(digitAt(i));
}

}  // namespace

int search(const std::string& pattern, const std::string& within, int start) {
  std::vector<char32_t> text = decodeUtf8(within);
  if (start < 1 || size_t(start) > text.size() + 1) return 0;

  // The pattern split at its stars; the first segment is anchored at the match.
  std::vector<Segment> segments(1);
  std::vector<char32_t> pat = decodeUtf8(pattern);
  for (size_t i = 0; i < pat.size(); ++i) {
    char32_t c = pat[i];
    if (c == '~' && i + 1 < pat.size()) {
      segments.back().push_back({fold(pat[++i]), false});
    } else if (c == '?') {
      segments.back().push_back({0, true});
    } else if (c == '*') {
      segments.emplace_back();
    } else {
      segments.back().push_back({fold(c), false});
    }
  }
  for (char32_t& c : text) c = fold(c);

  size_t at = find(segments[0], text, size_t(start - 1));
  if (at == std::string::npos) return 0;
  // Whether the rest fits only gets harder further right, so the first
  // anchored match is the answer if any is.
  size_t from = at + segments[0].size();
  for (size_t k = 1; k < segments.size(); ++k) {
    size_t found = find(segments[k], text, from);
    if (found == std::string::npos) return 0;
    from = found + segments[k].size();
  }
  return int(at + 1);
}

bool serialFromDate(int year, int month, int day, double& serial) {
  if (year < 1900 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int last = kDays[month - 1] + (month == 2 && (isLeap(year) || year == 1900) ? 1 : 0);
  if (day > last) return false;
  if (year == 1900 && month <= 2)
    serial = month == 1 ? day : 31 + day;
  else
    serial = double(daysFromCivil(year, month, day) - kEpoch);
  return true;
}

bool dateFromSerial(double serial, int& year, int& month, int& day) {
  if (!(serial >= 0) || serial >= kLastSerial + 1) return false;
  long n = long(std::floor(serial));
  if (n <= 60) {
    year = 1900;
    month = n <= 31 ? 1 : 2;
    day = int(n <= 31 ? n : n - 31);
    return true;
  }
  civilFromDays(n + kEpoch, year, month, day);
  return true;
}

bool parseNumber(const std::string& text, double& out) {
  size_t i = 0, n = text.size();
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  size_t begin = i, digits = 0;
  for (; i < n && isDigit(text[i]); ++i) ++digits;
  if (i < n && text[i] == '.')
    for (++i; i < n && isDigit(text[i]); ++i) ++digits;
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t expBegin = i;
    for (; i < n && isDigit(text[i]); ++i) {
    }
    if (i == expBegin) return false;
  }
  if (i != n) return false;
  double value = 0;
  auto r = std::from_chars(text.data() + begin, text.data() + n, value);
  if (r.ec == std::errc::result_out_of_range) {
    // Too large is an error; too small is as good as zero.
    value = std::strtod(text.c_str() + begin, nullptr);
    if (std::isinf(value)) return false;
  } else if (r.ec != std::errc() || r.ptr != text.data() + n) {
    return false;
  }
  out = negative ? -value : value;
  return true;
}

bool valueOfText(const std::string& text, double& out) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return false;
  std::string t = text.substr(first, text.find_last_not_of(blanks) - first + 1);
  if (parseNumber(t, out)) return true;

  // yyyy-mm-dd, month and day of one or two digits.
  size_t dash1 = t.find('-');
  size_t dash2 = dash1 == std::string::npos ? dash1 : t.find('-', dash1 + 1);
  if (dash1 != 4 || dash2 == std::string::npos) return false;
  size_t monthLen = dash2 - dash1 - 1, dayLen = t.size() - dash2 - 1;
  if (monthLen < 1 || monthLen > 2 || dayLen < 1 || dayLen > 2) return false;
  for (size_t i = 0; i < t.size(); ++i)
    if (i != dash1 && i != dash2 && !isDigit(t[i])) return false;
  int year = std::atoi(t.substr(0, 4).c_str());
  int month = std::atoi(t.substr(dash1 + 1, monthLen).c_str());
  int day = std::atoi(t.substr(dash2 + 1).c_str());
  return serialFromDate(year, month, day, out);
}

std::string formatNumber(double x, const std::string& format) {
  // "#" or "0", then optionally '.' and zeros.
  bool known = !format.empty() && (format[0] == '#' || format[0] == '0');
  size_t decimals = 0;
  if (known && format.size() > 1) {
    known = format[1] == '.' && format.find_first_not_of('0', 2) == std::string::npos;
    decimals = format.size() - 2;
  }
  if (!known || !std::isfinite(x)) return numberText(x);

  std::string whole, fraction;
  fixedDigits(std::fabs(x), int(decimals), whole, fraction);
  if (whole.empty() && format[0] == '0') whole = "0";
  std::string out = x < 0 ? "-" : "";
  out += whole;
  if (format.size() > 1) out += "." + fraction;
  return out;
}

std::string numberText(double x) {
  if (x == 0) return "0";
  char buf[64];
  if (!std::isfinite(x)) {
    auto r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
  }
  // Shortest digits, laid out in plain notation for moderate exponents.
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
  std::string sci(buf, r.ptr);
  size_t e = sci.find('e');
  int exponent = std::atoi(sci.c_str() + e + 1);
  if (exponent < -6 || exponent > 20) return sci;
  bool negative = sci[0] == '-';
  std::string digits;
  for (size_t i = negative ? 1 : 0; i < e; ++i)
    if (sci[i] != '.') digits.push_back(sci[i]);
  std::string out = negative ? "-" : "";
  if (exponent < 0) {
    out += "0." + std::string(size_t(-exponent - 1), '0') + digits;
  } else if (size_t(exponent) + 1 >= digits.size()) {
    out += digits + std::string(exponent + 1 - digits.size(), '0');
  } else {
    out += digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
  }
  return out;
}

std::string numberText17(double x) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", x);
  return buf;
}

namespace {
const struct {
  int code;
  const char* text;
} kErrors[] = {{0, "#NULL!"}, {7, "#DIV/0!"}, {15, "#VALUE!"}, {23, "#REF!"},
               {29, "#NAME?"}, {36, "#NUM!"}, {42, "#N/A"}};
}  // namespace

std::string errorText(int code) {
  for (const auto& e : kErrors)
    if (e.code == code) return e.text;
  return "";
}

int errorCode(const std::string& literal) {
  for (const auto& e : kErrors) {
    if (literal.size() != std::strlen(e.text)) continue;
    size_t i = 0;
    while (i < literal.size() && upper(literal[i]) == e.text[i]) ++i;
    if (i == literal.size()) return e.code;
  }
  return -1;
}

namespace {
// Appends the letters of a 0-based column.
void appendColumn(std::string& out, int column) {
  char buf[8];
  size_t n = sizeof buf;
  for (long c = long(column) + 1; c > 0 && column >= 0; c = (c - 1) / 26) buf[--n] = char('A' + (c - 1) % 26);
  out.append(buf + n, sizeof buf - n);
}

void appendCell(std::string& out, int row, int col, bool absolute) {
  if (absolute) out += '$';
  appendColumn(out, col);
  if (absolute) out += '$';
  char buf[16];
  out.append(buf, std::to_chars(buf, buf + sizeof buf, long(row) + 1).ptr);
}
}  // namespace

std::string columnName(int column) {
  std::string out;
  appendColumn(out, column);
  return out;
}

bool parseCell(std::string_view s, int& row, int& col) {
  const size_t end = s.size();
  size_t i = 0;
  if (i < end && s[i] == '$') ++i;
  long c = 0;
  size_t letters = 0;
  for (; i < end && isLetter(s[i]); ++i, ++letters) {
    if (letters == 3) return false;
    c = c * 26 + (upper(s[i]) - 'A' + 1);
  }
  if (letters == 0) return false;
  if (i < end && s[i] == '$') ++i;
  long r = 0;
  size_t digits = 0;
  for (; i < end && isDigit(s[i]); ++i, ++digits) {
    r = r * 10 + (s[i] - '0');
    if (r > 1048576) return false;
  }
  if (digits == 0 || i != end || r < 1 || c > 16384) return false;
  row = int(r - 1);
  col = int(c - 1);
  return true;
}

bool parseArea(std::string_view text, Area& area) {
  size_t colon = text.find(':');
  int r1, c1, r2, c2;
  if (colon == std::string_view::npos) {
    if (!parseCell(text, r1, c1)) return false;
    area = Area{r1, c1, r1, c1};
    return true;
  }
  if (!parseCell(text.substr(0, colon), r1, c1) || !parseCell(text.substr(colon + 1), r2, c2))
    return false;
  area = Area{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
  return true;
}

void appendAreaText(std::string& out, const Area& area, bool absolute) {
  appendCell(out, area.row1, area.col1, absolute);
  if (area.single()) return;
  out += ':';
  appendCell(out, area.row2, area.col2, absolute);
}

std::string areaText(const Area& area, bool absolute) {
  std::string out;
  appendAreaText(out, area, absolute);
  return out;
}

}  // namespace xlsim
