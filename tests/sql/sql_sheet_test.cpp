// The SQL worksheet functions on a sheet of the simulated host.
#include <algorithm>
#include <string>

#include "tests/support/addin_test.h"

namespace {

using xlsim::Value;

// A1:B3 a table of fruit, A5:B7 cells of every kind; D1 its table, D3 a
// database holding it, D10 the table of kinds.
class SqlSheet : public zrtest::AddinTest {
 protected:
  void SetUp() override {
    AddinTest::SetUp();
    const char* cells[][2] = {
        {"A1", "name"}, {"B1", "qty"}, {"A2", "pear"}, {"B2", "2"}, {"A3", "fig"}, {"B3", "5"},
        {"A5", "flag"}, {"B5", "2.5"}, {"A6", "TRUE"}, {"B6", "#N/A"}, {"B7", "x"},
        {"D1", "=tbl_createTbl(\"fruit\", A1:B3)"}, {"D3", "=dbctx_create(D1)"},
        {"D10", "=tbl_createTbl(\"kinds\", A5:B7)"},
    };
    for (const auto& c : cells) host.setCell(c[0], c[1]);
    host.calculate();
  }
  Value display(const std::string& ref) { return host.call("tbl_displayTbl", {host.value(ref)}, "Z1"); }
  std::string failure(const std::string& formula) {
    Value v = enter("E20", formula);
    EXPECT_TRUE(zrtest::isError(v, xlerrValue)) << formula << " gives " << v;
    return errorOf("E20");
  }
};

TEST_F(SqlSheet, TablesContextsAndAnswers) {
  EXPECT_EQ(host.value("D1").str, "#hndl1");
  EXPECT_EQ(enter("D2", "=tbl_name(D1)").str, "fruit");
  enter("D4", "=dbctx_execute(D3, \"select name, qty * 2 as q from fruit order by qty desc\", \"doubled\")");
  EXPECT_EQ(enter("D5", "=tbl_name(D4)").str, "doubled");
  EXPECT_EQ(display("D4"), Value::array(3, 2, {Value::text("name"), Value::text("q"), Value::text("fig"),
                                        Value::number(10), Value::text("pear"), Value::number(4)}));
  // An answer loads into another database beside the table it came from.
  enter("D6", "=dbctx_create(D4, \"\", D1)");
  enter("D7", "=dbctx_execute(D6, \"select count(*) from doubled join fruit using (name)\", \"\")");
  EXPECT_EQ(display("D7"), Value::array(2, 1, {Value::text("count(*)"), Value::number(2)}));
  enter("D8", "=dbctx_create()");
  enter("D9", "=dbctx_execute(D8, \"select 1\", \"one\")");
  EXPECT_EQ(display("D9"), Value::array(2, 1, {Value::text("1"), Value::number(1)}));
  // A table shows its range as it was given, every kind of cell kept.
  EXPECT_EQ(display("D10"), host.values("A5:B7"));
}

TEST_F(SqlSheet, FailuresAndTheirMessages) {
  const std::string badHandle = "boost::bad_any_cast: failed conversion using boost::any_cast";
  const std::pair<const char*, std::string> cases[] = {
      {"=tbl_createTbl(\"\", A1)", "SQLExports::No tablename provided"},
      {"=tbl_createTbl(\"t\", A1:B1)", "SQLExports::Atleast two rows expected - one column heading and data row."},
      // The host passes a range of more than 65,535 rows as #VALUE!.
      {"=tbl_createTbl(\"t\", A1:A65536)",
       "SQLExports::data is the error value #VALUE! or a range larger than 65,535 rows"},
      {"=tbl_createTbl(\"t\", B6)", "SQLExports::data is the error value #N/A"},
      {"=tbl_name(\"#hndl99\")", badHandle},
      {"=dbctx_execute(D1, \"select 1\", \"x\")", badHandle},
      {"=dbctx_create(D1, D1)", "ZR::DBContext::table fruit already exists"},
  };
  for (const auto& [formula, message] : cases) EXPECT_EQ(failure(formula), message) << formula;
  // An answer text longer than a cell holds: the framework's check, its
  // file named within the project.
  const std::string tooLong = failure("=dbctx_execute(D3, \"select hex(zeroblob(128))\", \"x\")");
  EXPECT_EQ(tooLong.rfind("file: xll/oper.h\nline: ", 0), 0u) << tooLong;
  const std::string check = "\nensure: \"n <= limits<XLOPER>::maxchars\" failed";
  EXPECT_EQ(tooLong.substr(tooLong.size() - std::min(tooLong.size(), check.size())), check) << tooLong;
}

TEST_F(SqlSheet, RegistrationRows) {
  const char* const rows[][4] = {
      {"dbctx_create", "R#C#C#C#C#C#C#C#C#C#C#P#",
       "tbl1, [tbl2], [tbl3], [tbl4], [tbl5], [tbl6], [tbl7], [tbl8], [tbl9], [tbl10], trigger",
       "Creates a new DB Context."},
      {"tbl_createTbl", "R#C#P#P#", "tblname, data, Trigger", "Create table object"},
      {"tbl_displayTbl", "P#C#P#", "hndl, Trigger", "displays the tbl object."},
      {"tbl_name", "R#C#P#", "hndl, Trigger", "displays the tbl name."},
      {"dbctx_execute", "R#CCCP#", "dbctx, sql, tblname, Trigger", "Displays the result of the query."},
  };
  for (const auto& row : rows) {
    const xlsim::Registration* r = host.function(row[0]);
    ASSERT_NE(r, nullptr) << row[0];
    EXPECT_EQ(r->category, "ZR_SQL");
    EXPECT_EQ(r->typeText, row[1]);
    EXPECT_EQ(r->argumentText, row[2]);
    EXPECT_EQ(r->functionHelp, row[3]);
    EXPECT_EQ(r->argumentHelp.back(), "is an optional argument for static dependencies.");
  }
}

}  // namespace
