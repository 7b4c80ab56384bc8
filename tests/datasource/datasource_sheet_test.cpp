// The source_* functions on a sheet, against a local server: the request each
// sends and the arrays the host makes of the answers.
#include <tuple>

#include "tests/datasource/local_server.h"
#include "tests/support/addin_test.h"

namespace {

const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";
const std::string tail = " HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n";

// The add-in's test copy, every service at a local server that gives answer.
class DataSourceSheet : public zrtest::HostTest {
 protected:
  void SetUp() override { load(ZR_DS_PROBE); }
  // What the cells show, as an array, once the formula is in ref.
  std::string at(const std::string& ref, const std::string& formula, const std::string& answer,
                 const std::string& cells) {
    dstest::LocalServer server(dstest::LocalServer::Reply, answer);
    point(server.port());
    host.setCell(ref, formula);
    host.calculate();
    request = server.request();
    return host.values(cells).display();
  }
  // Every service at that port of 127.0.0.1.
  void point(const std::string& port) {
    using Point = void (*)(const char* host, const char* port, int milliseconds);
    reinterpret_cast<Point>(host.symbol("zr_ds_point"))("127.0.0.1", port.c_str(), 300);
  }
  std::string request;  // the last one
};

TEST_F(DataSourceSheet, Quotes) {
  const std::string csv = ok + "\"IBM\",\"1/15/2010\",132.31\r\n\"XYZ\",N/A,-2\r\n";
  EXPECT_EQ(at("A1:C2", "=source_yahoo_quote(\"IBM\",\"zz\",TRUE,FALSE)", csv, "A1:C2"),
            "{\"IBM\",\"1/15/2010\",132.31;\"XYZ\",#N/A,-2}");
  EXPECT_EQ(request, "GET /d/quotes.csv?s=IBM&f=d1l1" + tail);
  const std::string json = ok + "// [ { \"t\" : \"GOOG\" ,\"l\" : \"1021.57\" } ]";
  EXPECT_EQ(at("E1:F2", "=source_googlefinance_quote(\"GOOG\")", json, "E1:F2"), "{\"t\",\"GOOG\";\"l\",\"1021.57\"}");
  EXPECT_EQ(request, "GET /finance/info?client=ig&q=GOOG" + tail);
  EXPECT_EQ(at("H1:I89", "=source_yahoo_FieldNames()", "", "H88:I89"), "{\"YearLow\",\"j0\";\"YearRange\",\"w0\"}");
}

// A quote that cannot be fetched says what happened; an answer without a
// line end is the system's own failure.
TEST_F(DataSourceSheet, QuoteFailuresSayWhatHappened) {
  const std::string yahoo = "=source_yahoo_quote(\"IBM\",\"price\",TRUE,FALSE)";
  const std::string google = "=source_googlefinance_quote(\"IBM\")";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {yahoo, "", "DataSourceExports - cannot read the answer of 127.0.0.1: End of file"},
      {google, "HTTP/1.0 404 Not Found\r\n\r\nno page", "DataSourceExports - 127.0.0.1 answered with status 404"},
      {yahoo, ok + "132.31", "invalid string position"},
  };
  for (const auto& [formula, answer, message] : cases) {
    EXPECT_EQ(at("A1", formula, answer, "A1"), "{#VALUE!}") << answer;
    EXPECT_EQ(errorOf("A1"), message) << answer;
  }
  // nothing listens at the port
  point(dstest::LocalServer(dstest::LocalServer::Reply, "").port());
  host.setCell("A1", yahoo);
  host.calculate();
  EXPECT_EQ(errorOf("A1"), "DataSourceExports - cannot reach 127.0.0.1: Connection refused");
}

TEST_F(DataSourceSheet, HistoryAndItsShortenedFrame) {
  const std::string csv = ok + "Date,Open,High,Low,Close,Volume,Adj Close\n" +
                          "2011-02-28,162.24,163.0,161.5,162.28,5240200,x\n2010-01-15,1,2,3,4,5,6\n";
  // 15 January 2010 to 28 February 2011; field values are read by the host
  EXPECT_EQ(at("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"\",TRUE)", csv, "A1:G3"),
            "{\"Date\",\"Open\",\"High\",\"Low\",\"Close\",\"Volume\",\"Adj Close\";"
            "40602,162.24,163,161.5,162.28,5240200,#VALUE!;40193,1,2,3,4,5,6}");
  EXPECT_EQ(request, "GET /table.csv?s=IBM&a=0&b=15&c=2010&d=1&e=28&f=2011&g=d&ignore=.csv" + tail);
  EXPECT_EQ(at("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"m m\",FALSE)", csv, "A1"), "{40602}");
  EXPECT_EQ(request, "GET /table.csv?s=IBM&a=0&b=15&c=2010&d=1&e=28&f=2011&g=m%20m&ignore=.csv" + tail);
  // failures (from not before to; an answer without its last line break) give
  // #VALUE! and leave the cell's earlier message
  at("J1", "=source_yahoo_quote(\"IBM\",\"\",FALSE,FALSE)", ok, "J1");
  const std::pair<const char*, std::string> failures[] = {{"40193,40193", csv}, {"40193,40602", ok + "no line break"}};
  for (const auto& f : failures) {
    const std::string formula = std::string("=source_yahoo_historical(\"IBM\",") + f.first + ",\"\",TRUE)";
    EXPECT_EQ(at("J1", formula, f.second, "J1"), "{#VALUE!}") << f.first;
    EXPECT_EQ(errorOf("J1"), "invalid string position");  // the quote's, kept
  }
}

}  // namespace
