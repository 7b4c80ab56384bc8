// The source_* functions on a sheet, against a local server: the request each
// sends and the arrays the host makes of the answers.
#include "tests/datasource/local_server.h"
#include "tests/support/addin_test.h"

namespace {

using dstest::LocalServer;
using xlsim::Value;
using zrtest::isError;

const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// The add-in's test copy, every service at the local server.
class DataSourceSheet : public zrtest::HostTest {
 protected:
  void SetUp() override {
    load(ZR_DS_PROBE);
    auto point = reinterpret_cast<void (*)(const char*, const char*, int)>(host.symbol("zr_ds_point"));
    ASSERT_NE(point, nullptr);
    point("127.0.0.1", server.port().c_str(), 300);
  }
  Value at(const std::string& ref, const std::string& formula, const std::string& answer,
           const std::string& cell) {
    server.serve(LocalServer::Reply, answer);
    host.setCell(ref, formula);
    host.calculate();
    std::string r = server.request();
    line = r.substr(0, r.find("\r\n"));
    return host.value(cell);
  }
  LocalServer server{LocalServer::Reply};
  std::string line;  // of the last request
};

TEST_F(DataSourceSheet, Quotes) {
  const std::string csv = ok + "\"IBM\",\"1/15/2010\",132.31\r\n\"XYZ\",N/A,-2\r\n";
  EXPECT_TRUE(isError(at("A1:C2", "=source_yahoo_quote(\"IBM\",\"zz\",TRUE,FALSE)", csv, "B2"), xlerrNA));
  EXPECT_EQ(line, "GET /d/quotes.csv?s=IBM&f=d1l1 HTTP/1.0");
  EXPECT_EQ(host.value("B1"), Value::text("1/15/2010"));
  EXPECT_EQ(host.value("C1"), Value::number(132.31));

  const std::string json = ok + "// [ { \"t\" : \"GOOG\" ,\"l\" : \"1021.57\" } ]";
  EXPECT_EQ(at("E1:F2", "=source_googlefinance_quote(\"GOOG\")", json, "F2"), Value::text("1021.57"));
  EXPECT_EQ(line, "GET /finance/info?client=ig&q=GOOG HTTP/1.0");

  host.setCell("H1:I89", "=source_yahoo_FieldNames()");
  host.calculate();
  EXPECT_EQ(host.value("I2"), Value::text("c8"));
  EXPECT_EQ(host.value("H89"), Value::text("YearRange"));
}

TEST_F(DataSourceSheet, HistoryAndItsShortenedFrame) {
  const std::string csv = ok + "Date,Open,High,Low,Close,Volume,Adj Close\n" +
                          "2011-02-28,162.24,163.0,161.5,162.28,5240200,x\n2010-01-15,1,2,3,4,5,6\n";
  // 15 January 2010 to 28 February 2011; field values are read by the host
  EXPECT_EQ(at("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"\",TRUE)", csv, "G1"),
            Value::text("Adj Close"));
  EXPECT_EQ(line, "GET /table.csv?s=IBM&a=0&b=15&c=2010&d=1&e=28&f=2011&g=d&ignore=.csv HTTP/1.0");
  EXPECT_EQ(host.value("A2"), Value::number(40602));
  EXPECT_EQ(host.value("F2"), Value::number(5240200));
  EXPECT_TRUE(isError(host.value("G2"), xlerrValue));
  EXPECT_EQ(at("A1:G3", "=source_yahoo_historical(\"IBM\",40193,40602,\"m\",FALSE)", csv, "A2"),
            Value::number(40193));

  // failures give #VALUE! and leave the cell's earlier message
  at("J1", "=source_yahoo_quote(\"IBM\",\"\",FALSE,FALSE)", "", "J1");
  for (const char* dates : {"40193,40193", "40193,40602"}) {
    EXPECT_TRUE(isError(at("J1", std::string("=source_yahoo_historical(\"IBM\",") + dates + ",\"\",TRUE)",
                           ok + "no final line break", "J1"),
                        xlerrValue));
    EXPECT_EQ(errorOf("J1"), "invalid string position");
  }
}

}  // namespace
