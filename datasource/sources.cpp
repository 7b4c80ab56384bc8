#include "datasource/sources.h"

#include <stdexcept>

namespace ZR {

Service services[ServiceCount] = {
    {"download.finance.yahoo.com", "http"},
    {"ichart.finance.yahoo.com", "http"},
    {"finance.google.com", "http"},
};

namespace {

// Every occurrence of what, left to right, without overlaps.
std::string replaceAll(const std::string& text, const std::string& what, const std::string& with) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(what, from)) != std::string::npos; from = at + what.size())
    out.append(text, from, at - from).append(with);
  return out.append(text, from, std::string::npos);
}

}  // namespace

std::string percentEncode(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c > 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string yahooQuotePath(const std::string& ticker, bool lastTradeDate, bool lastTradeTime) {
  std::string codes;
  if (lastTradeDate) codes += "d1";
  if (lastTradeTime) codes += "t1";
  codes += "l1";
  return "/d/quotes.csv?s=" + percentEncode(ticker) + "&f=" + codes;
}

std::string googleQuotePath(const std::string& ticker) {
  return "/finance/info?client=ig&q=" + percentEncode(ticker);
}

std::string yahooHistoryPath(const std::string& ticker, const std::array<std::string, 6>& n,
                             const std::string& frequency) {
  return "/table.csv?s=" + percentEncode(ticker) + "&a=" + n[0] + "&b=" + n[1] + "&c=" + n[2] +
         "&d=" + n[3] + "&e=" + n[4] + "&f=" + n[5] + "&g=" + percentEncode(frequency) +
         "&ignore=.csv";
}

bool replace_first(std::string& text, const std::string& what, const std::string& with) {
  std::size_t at = text.find(what);
  if (at == std::string::npos) return false;
  text.replace(at, what.size(), with);
  return true;
}

std::string quote_csv_to_array(const std::string& answer) {
  std::string text = "{";
  text.reserve(answer.size() + 1);
  // every run of line ends becomes one row separator
  for (std::size_t i = 0; i < answer.size();) {
    if (answer.compare(i, 2, "\r\n") != 0) {
      text += answer[i++];
      continue;
    }
    text += ';';
    while (answer.compare(i, 2, "\r\n") == 0) i += 2;
  }
  text = replaceAll(text, "N/A", "#N/A");
  std::size_t last = text.rfind(';');
  if (last == std::string::npos) throw std::out_of_range("invalid string position");
  text[last] = '}';
  return text;
}

std::string quote_json_to_array(const std::string& answer) {
  std::string text = replaceAll(replaceAll("{" + answer, ",", ";"), ":", ",");
  return replaceAll(text, "N/A", "#N/A") + "}";
}

std::string google_answer_to_array(std::string answer) {
  for (const char* what : {"//", "[", "]", "{", "}"}) replace_first(answer, what, "");
  return quote_json_to_array(answer);
}

void requireArrayConstant(const std::string& text) {
  bool quoted = false, sound = text.size() >= 2 && text.front() == '{' && text.back() == '}';
  for (std::size_t i = 1; sound && i + 1 < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    sound = quoted || (c != '(' && c != ')' && c != '{' && c != '}');
  }
  if (!sound || quoted) throw std::runtime_error("DataSourceExports - the answer is not an array constant");
}

std::vector<HistoryRow> historical_csv_to_array(const std::string& answer, bool headers) {
  const char* const origin = "historical_csv_to_array - ";
  if (answer.empty()) throw std::runtime_error(std::string(origin) + "the answer is empty");
  if (answer.back() != '\n')
    throw std::runtime_error(std::string(origin) + "the answer does not end with a line break");
  std::vector<HistoryRow> rows;
  std::size_t line = 0;
  for (std::size_t pos = 0; pos < answer.size(); ++line) {
    const std::size_t end = answer.find('\n', pos);  // found: the answer ends with one
    if (line == 0 && !headers) {
      pos = end + 1;
      continue;
    }
    HistoryRow row;
    for (std::size_t k = 0; k < 6; ++k) {
      std::size_t comma = answer.find(',', pos);
      if (comma >= end)
        throw std::runtime_error(std::string(origin) + "line " + std::to_string(line + 1) +
                                 " has fewer than seven fields");
      row[k].assign(answer, pos, comma - pos);
      pos = comma + 1;
    }
    row[6].assign(answer, pos, end - pos);
    pos = end + 1;
    rows.push_back(std::move(row));
  }
  return rows;
}

const char* const yahooFields[kFieldRows][2] = {
    {"Description", "Code"},
    {"AfterHoursChangeRealtime", "c8"}, {"AnnualizedGain", "g3"}, {"Ask", "a0"},
    {"Realtime", "b2"}, {"AskSize", "a5"}, {"AverageDailyVolume", "a2"}, {"Bid", "b0"},
    {"BidRealtime", "b3"}, {"BidSize", "b6"}, {"BookValuePerShare", "b4"}, {"Change", "c1"},
    {"Change_ChangeInPercent", "c0"}, {"ChangeFromFiftydayMovingAverage", "m7"},
    {"ChangeFromTwoHundreddayMovingAverage", "m5"}, {"ChangeFromYearHigh", "k4"},
    {"ChangeFromYearLow", "j5"}, {"ChangeInPercent", "p2"}, {"ChangeInPercentRealtime", "k2"},
    {"ChangeRealtime", "c6"}, {"Commission", "c3"}, {"Currency", "c4"}, {"DaysHigh", "h0"},
    {"DaysLow", "g0"}, {"DaysRange", "m0"}, {"DaysRangeRealtime", "m2"}, {"DaysValueChange", "w1"},
    {"DaysValueChangeRealtime", "w4"}, {"DividendPayDate", "r1"},
    {"TrailingAnnualDividendYield", "d0"}, {"TrailingAnnualDividendYieldInPercent", "y0"},
    {"DilutedEPS", "e0"}, {"EBITDA", "j4"}, {"EPSEstimateCurrentYear", "e7"},
    {"EPSEstimateNextQuarter", "e9"}, {"EPSEstimateNextYear", "e8"}, {"ExDividendDate", "q0"},
    {"FiftydayMovingAverage", "m3"}, {"SharesFloat", "f6"}, {"HighLimit", "l2"},
    {"HoldingsGain", "g4"}, {"HoldingsGainPercent", "g1"}, {"HoldingsGainPercentRealtime", "g5"},
    {"HoldingsGainRealtime", "g6"}, {"HoldingsValue", "v1"}, {"HoldingsValueRealtime", "v7"},
    {"LastTradeDate", "d1"}, {"LastTradePriceOnly", "l1"}, {"LastTradeRealtimeWithTime", "k1"},
    {"LastTradeSize", "k3"}, {"LastTradeTime", "t1"}, {"LastTradeWithTime", "l0"},
    {"LowLimit", "l3"}, {"MarketCapitalization", "j1"}, {"MarketCapRealtime", "j3"},
    {"MoreInfo", "i0"}, {"Name", "n0"}, {"Notes", "n4"}, {"OneyrTargetPrice", "t8"},
    {"Open", "o0"}, {"OrderBookRealtime", "i5"}, {"PEGRatio", "r5"}, {"PERatio", "r0"},
    {"PERatioRealtime", "r2"}, {"PercentChangeFromFiftydayMovingAverage", "m8"},
    {"PercentChangeFromTwoHundreddayMovingAverage", "m6"}, {"ChangeInPercentFromYearHigh", "k5"},
    {"PercentChangeFromYearLow", "j6"}, {"PreviousClose", "p0"}, {"PriceBook", "p6"},
    {"PriceEPSEstimateCurrentYear", "r6"}, {"PriceEPSEstimateNextYear", "r7"}, {"PricePaid", "p1"},
    {"PriceSales", "p5"}, {"Revenue", "s6"}, {"SharesOwned", "s1"}, {"SharesOutstanding", "j2"},
    {"ShortRatio", "s7"}, {"StockExchange", "x0"}, {"Symbol", "s0"}, {"TickerTrend", "t7"},
    {"TradeDate", "d2"}, {"TradeLinks", "t6"}, {"TradeLinksAdditional", "f0"},
    {"TwoHundreddayMovingAverage", "m4"}, {"Volume", "v0"}, {"YearHigh", "k0"}, {"YearLow", "j0"},
    {"YearRange", "w0"},
};

}  // namespace ZR
