// The source_* functions on a sheet, against a local server: the request each
// sends, the arrays the host makes of the answers, failures and messages.
#include <string>

#include "tests/datasource/local_server.h"
#include "tests/support/addin_test.h"

namespace {

using dstest::LocalServer;
using xlsim::Value;
using zrtest::isError;

const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// The add-in's test copy with every service at the local server.
class DataSourceSheet : public zrtest::HostTest {
 protected:
  void SetUp() override {
    load(ZR_DS_PROBE);
    auto point = reinterpret_cast<void (*)(const char*, const char*, int)>(host.symbol("zr_ds_point"));
    ASSERT_NE(point, nullptr);
    point("127.0.0.1", server.port().c_str(), 300);
  }
  // The request line the server received last.
  std::string requestLine() {
    std::string r = server.request();
    return r.substr(0, r.find("\r\n"));
  }
  LocalServer server{LocalServer::Reply};
};

TEST_F(DataSourceSheet, QuotesBecomeArrays) {
  server.serve(LocalServer::Reply, ok + "\"IBM\",\"1/15/2010\",132.31\r\n\"XYZ\",N/A,-2\r\n");
  host.setCell("A1:C2", "=source_yahoo_quote(\"IBM\",\"zz\",TRUE,FALSE)");
  host.calculate();
  EXPECT_EQ(requestLine(), "GET /d/quotes.csv?s=IBM&f=d1l1 HTTP/1.0");
  EXPECT_EQ(host.value("A1"), Value::text("IBM"));
  EXPECT_EQ(host.value("B1"), Value::text("1/15/2010"));
  EXPECT_EQ(host.value("C1"), Value::number(132.31));
  EXPECT_TRUE(isError(host.value("B2"), xlerrNA));
  EXPECT_EQ(host.value("C2"), Value::number(-2));

  server.serve(LocalServer::Reply, ok + "// [ { \"t\" : \"GOOG\" ,\"l\" : \"1021.57\" } ]");
  host.setCell("E1:F2", "=source_googlefinance_quote(\"GOOG\")");
  host.calculate();
  EXPECT_EQ(requestLine(), "GET /finance/info?client=ig&q=GOOG HTTP/1.0");
  EXPECT_EQ(host.value("E2"), Value::text("l"));
  EXPECT_EQ(host.value("F2"), Value::text("1021.57"));
}

TEST_F(DataSourceSheet, QuoteFailuresStoreTheirMessage) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "invalid string position"},  // nothing came back
      {ok + "404 page", "invalid string position"},
      {ok + std::string(300, '1') + "\r\n", "ensure: \"n <= limits<XLOPER>::maxchars\" failed"},
  };
  for (const auto& c : cases) {
    server.serve(LocalServer::Reply, c.first);
    EXPECT_TRUE(isError(enter("A1", "=source_yahoo_quote(\"IBM\",\"\",FALSE,FALSE)"), xlerrValue));
    std::string message = errorOf("A1");
    EXPECT_EQ(message.substr(message.rfind('\n') + 1), c.second);
  }
}

TEST_F(DataSourceSheet, HistoryRowsAndItsShortenedFrame) {
  server.serve(LocalServer::Reply,
               ok + "Date,Open,High,Low,Close,Volume,Adj Close\n"
                    "2011-02-28,162.24,163.0,161.5,162.28,5240200,152.04\n"
                    "2010-01-15,132.03,132.89,131.09,131.78,8494400,x\n");
  // 15 January 2010 to 28 February 2011
  host.setCell("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"\",TRUE)");
  host.calculate();
  EXPECT_EQ(requestLine(),
            "GET /table.csv?s=IBM&a=0&b=15&c=2010&d=1&e=28&f=2011&g=d&ignore=.csv HTTP/1.0");
  EXPECT_EQ(host.value("G1"), Value::text("Adj Close"));
  EXPECT_EQ(host.value("A2"), Value::number(40602));
  EXPECT_EQ(host.value("F2"), Value::number(5240200));
  EXPECT_EQ(host.value("A3"), Value::number(40193));
  EXPECT_TRUE(isError(host.value("G3"), xlerrValue));
  host.setCell("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"m\",FALSE)");
  host.calculate();
  EXPECT_NE(requestLine().find("&g=m&"), std::string::npos);
  EXPECT_EQ(host.value("A1"), Value::number(40602));

  // failures give #VALUE! and leave the cell's earlier message
  server.serve(LocalServer::Reply, "");
  EXPECT_TRUE(isError(enter("J1", "=source_yahoo_quote(\"IBM\",\"\",FALSE,FALSE)"), xlerrValue));
  server.serve(LocalServer::Reply, ok + "Date,Open,High,Low,Close,Volume,Adj Close");
  for (const char* dates : {"40193,40193", "40193,40602"}) {
    EXPECT_TRUE(isError(enter("J1", std::string("=source_yahoo_historical(\"IBM\",") + dates + ",\"\",TRUE)"),
                        xlerrValue));
    EXPECT_EQ(errorOf("J1"), "invalid string position");
  }
}

TEST_F(DataSourceSheet, FieldNamesAndRegistration) {
  host.setCell("A1:B89", "=source_yahoo_FieldNames()");
  host.calculate();
  EXPECT_EQ(host.value("A1"), Value::text("Description"));
  EXPECT_EQ(host.value("B2"), Value::text("c8"));
  EXPECT_EQ(host.value("A89"), Value::text("YearRange"));
  EXPECT_EQ(host.value("B89"), Value::text("w0"));

  const xlsim::Registration* quote = host.function("source_yahoo_quote");
  ASSERT_NE(quote, nullptr);
  EXPECT_TRUE(quote->isVolatile());
  const xlsim::Registration* history = host.function("source_yahoo_historical");
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(history->procedure, "?source_yahoo_historical");
  EXPECT_EQ(history->category, "ZR_DataSource");
  EXPECT_EQ(history->argumentText, "Ticker, From, To, Frequency?, Headers?");
  ASSERT_EQ(history->argumentHelp.size(), 5u);
  EXPECT_EQ(history->argumentHelp[1], "is first date for which data are returned. ");
}

}  // namespace
