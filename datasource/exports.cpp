// Market-data worksheet functions: quotes and price histories over HTTP.
#include <array>
#include <stdexcept>
#include <string>
#include <utility>

#include "addin/categories.h"
#include "datasource/http.h"
#include "datasource/sources.h"
#include "platform/export.h"
#include "pool/frame.h"
#include "xll/ensure.h"
#include "xll/excel.h"

using namespace xll;

namespace {

// The body of a whole answer with status 200; anything else fails with what
// happened.
std::string fetch(ZR::ServiceId id, const std::string& path) {
  const ZR::Service& s = ZR::services[id];
  ZR::HttpAnswer answer = ZR::http_get(s.host, s.service, path);
  if (!answer.failure.empty()) throw std::runtime_error("DataSourceExports - " + answer.failure);
  return std::move(answer.body);
}

// The host's value of an array-constant text (255 characters at most).
OPER evaluate(const std::string& text) {
  OPER formula(text);
  ZR::requireArrayConstant(text);
  return Excel(xlfEvaluate, formula).copy();
}

// A part of a date serial (xlfDay, xlfMonth, xlfYear) from the host.
double datePart(int xlfn, double serial) {
  OPER part = Excel(xlfn, OPER(serial)).copy();
  if (part.xltype != xltypeNum) throw std::runtime_error("source_yahoo_historical - not a date");
  return part.val.num;
}

// Decimal digits of a whole number, as the host writes it with "#".
std::string digits(double x) {
  std::string s = Excel(xlfText, OPER(x), OPER("#")).copy().text();
  return s.empty() ? "0" : s;
}

// No error clearing; a failure gives #VALUE! and stores nothing.
constexpr FrameSteps historyFrame{FrameSteps::EmptyResult, false, true, FrameSteps::ValueOnly};

}  // namespace

const CategoryTable& ZR::DataSourceCategory() {
  static const ArgRow ticker{"F!", "Ticker", "is the Ticker."};
  static const CategoryTable table{
      "ZR_DataSource",
      "Data Source Library",
      "Yahoo and Google finance.",
      CategoryTable::DocumentationFirst,
      {
          {"source_yahoo_quote",
           "R!",
           {ticker,
            {"F!", "Field", "is the field Code.\nCheck function data_yahoo_fields for available fields."},
            {"A!", "ReturnLastTradeDate",
             "is a boolean flag.\nSelect true if you want to return the Last trade date else false."},
            {"A!", "ReturnLastTradeTime",
             "is a boolean flag.\nSelect true if you want to return the Last trade time else false."}},
           "Returns the yahoo quote."},
          {"source_yahoo_FieldNames", "R", {}, "Returns the yahoo filednames available."},
          {"source_googlefinance_quote", "R!", {ticker}, "Returns the google finance quote."},
          {"source_yahoo_historical",
           "P",
           {{"C", "Ticker", "is the instrument ticker."},
            {"B", "From", "is first date for which data are returned. "},
            {"B", "To", "is last date for which data are returned. "},
            {"C", "Frequency?", "is \"d\", \"w\", or \"m\" with daily by default."},
            {"A", "Headers?", "is a boolean indicating whether on not headers should be returned."}},
           "Retrieve historical Date, Open, High, Low, Close, Volume, and Adjusted Close from Yahoo! "
           "Finance."},
      },
      {},
  };
  return table;
}

// The field argument is registered but the fields fetched follow the flags.
XLL_PROC(LPXLOPER, source_yahoo_quote, "?source_yahoo_quote",
         (char* ticker, char* field, short lastTradeDate, short lastTradeTime)) {
  static OPER result;
  return framed(result, [&] {
    std::string answer =
        fetch(ZR::YahooQuotes, ZR::yahooQuotePath(textOf(ticker), lastTradeDate != 0, lastTradeTime != 0));
    result = evaluate(ZR::quote_csv_to_array(answer));
  });
}

XLL_PROC(LPXLOPER, source_yahoo_FieldNames, "?source_yahoo_FieldNames", ()) {
  static OPER result;
  return framed(result, [&] {
    OPER table(ZR::kFieldRows, 2);
    for (int i = 0; i < ZR::kFieldRows; ++i)
      for (int j = 0; j < 2; ++j) table[i * 2 + j] = ZR::yahooFields[i][j];
    result = std::move(table);
  });
}

XLL_PROC(LPXLOPER, source_googlefinance_quote, "?source_googlefinance_quote", (char* ticker)) {
  static OPER result;
  return framed(result, [&] {
    std::string answer = fetch(ZR::GoogleFinance, ZR::googleQuotePath(textOf(ticker)));
    result = evaluate(ZR::google_answer_to_array(answer));
  });
}

XLL_PROC(LPXLOPER, source_yahoo_historical, "?source_yahoo_historical",
         (const char* ticker, double from, double to, const char* frequency, short headers)) {
  static OPER result;
  return framed(
      result,
      [&] {
        if (!(from < to)) ensureFailed("DataSourceExports", 305, "source_yahoo_historical", "from < to");
        std::string freq = textOf(frequency);
        if (freq.empty()) freq = "d";
        const std::array<std::string, 6> numbers{
            digits(datePart(xlfMonth, from) - 1), digits(datePart(xlfDay, from)),
            digits(datePart(xlfYear, from)),      digits(datePart(xlfMonth, to) - 1),
            digits(datePart(xlfDay, to)),         digits(datePart(xlfYear, to))};
        std::string answer = fetch(ZR::YahooHistory, ZR::yahooHistoryPath(textOf(ticker), numbers, freq));

        const auto rows = ZR::historical_csv_to_array(answer, headers != 0);
        OPER table;  // nil when there is no row
        if (!rows.empty()) table = OPER(rows.size(), 7);
        for (std::size_t i = 0; i < rows.size(); ++i) {
          const bool titles = headers != 0 && i == 0;
          for (std::size_t k = 0; k < 7; ++k) {
            OPER field(rows[i][k]);
            table[i * 7 + k] = titles ? field : Excel(xlfValue, field).copy();
          }
        }
        result = std::move(table);
      },
      historyFrame);
}
