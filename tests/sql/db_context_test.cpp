// Tables loaded into in-memory databases and queried, at the library level.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "sql/db_context.h"
#include "tests/support/thrown.h"

namespace {

using ZR::Cell;
using ZR::Table;
using V = std::variant<double, std::string>;
using Rows = std::vector<std::vector<V>>;

Table table(const Rows& rows) {
  Table t(rows.size(), rows[0].size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    for (std::size_t j = 0; j < rows[i].size(); ++j)
      t(i, j) = std::visit([](const auto& v) { return Cell::of(v); }, rows[i][j]);
  return t;
}

Rows rowsOf(const Table& t) {
  Rows out(t.rows());
  for (std::size_t i = 0; i < t.rows(); ++i)
    for (std::size_t j = 0; j < t.columns(); ++j)
      out[i].push_back(t(i, j).kind == Cell::Text ? V(t(i, j).text) : V(t(i, j).number));
  return out;
}

using zrtest::thrownMessage;

const Rows data = {
    {"id", "name", "city", "unit price", "qty", "code"},
    {1.0, "O'Brien", "Zurich", 0.1 + 0.2, 3.0, "A1"},
    {2.0, "Smith; drop table t", "Basel", 1234567.891, 10.0, 2.0},
    {3.0, "first \"quoted\"", "Zurich", -2.5e-7, 7.0, 2.5},
    {4.0, "plain", "Geneva", 100.0, 1.0, -3.0},
    {5.0, "x", "Basel", 3.14159265358979, "12", 1e20},
    {6.0, "y", "Zurich", 42.0, "n/a", "x"},
};

struct Loaded : ::testing::Test {
  ZR::DBContext db;
  std::ostringstream echo;
  void SetUp() override { db.createTable("t", table(data), echo); }
};

// Answers of the sqlite3 shell 3.40.1 on the same table and queries
// (tools/sql/make_reference.py); values go in at full precision.
TEST_F(Loaded, AnswersAgreeWithTheSqliteShell) {
  const std::vector<std::pair<const char*, Rows>> expected = {
#include "shell_reference.inc"
  };
  for (const auto& [sql, rows] : expected) EXPECT_EQ(rowsOf(db.query(sql)), rows) << sql;
}

TEST(CreateTable, EchoesTheStatementsAndTypesByTheFirstRecord) {
  // Each statement is run, then echoed: the names as they went in.
  const std::pair<Rows, const char*> cases[] = {
      {{{"a", "b"}, {"x", 1.0}},
       "create table t ( a TEXT ,b REAL );\n Insert into t values ( 'x' ,1 );\n"},
      {{{"a"}, {"O'Brien"}, {0.1 + 0.2}, {1234567.0}},
       "create table t ( a TEXT );\n Insert into t values ( 'O'Brien' );\n"
       " Insert into t values ( 0.3 );\n Insert into t values ( 1.23457e+06 );\n"},
      // Names that are not plain identifiers are quoted.
      {{{2011.0, "first name", "order", "a\"b"}, {1.0, 2.0, 3.0, 4.0}},
       "create table t ( \"2011\" REAL ,\"first name\" REAL ,\"order\" REAL ,\"a\"\"b\" REAL );\n"
       " Insert into t values ( 1 ,2 ,3 ,4 );\n"},
      {{{"a"}}, "create table t ( a REAL );\n"},
  };
  for (const auto& [rows, expected] : cases) {
    ZR::DBContext db;
    std::ostringstream echo;
    db.createTable("t", table(rows), echo);
    EXPECT_EQ(echo.str(), expected);
  }
}

TEST(CreateTable, AFailureLeavesNoTable) {
  ZR::DBContext db;
  std::ostringstream echo;
  Table t = table({{"a"}, {1.0}, {2.0}});
  t(2, 0).kind = Cell::Boolean;
  EXPECT_EQ(thrownMessage([&] { db.createTable("t", t, echo); }), "unhandled data model");
  EXPECT_EQ(rowsOf(db.query("select name from sqlite_master")), (Rows{{"name"}}));
}

TEST_F(Loaded, QueryAnswersAndFailures) {
  const char* const tooBig = "DbContext::string or blob too big (a text or blob may have at most 16776960 bytes)";
  EXPECT_EQ(rowsOf(db.query("select 1, 'a'")), (Rows{{"1", "'a'"}, {1.0, "a"}}));
  EXPECT_EQ(rowsOf(db.query("select id from t where id > 9")), (Rows{{"id"}}));
  const std::pair<const char*, const char*> failures[] = {
      {"select * from t where lastupdate > 0", "DBContext::Illegal operation found"},
      {"select colour from t", "DbContext::no such column: colour"},
      {"-- nothing", "DbContext::No statement found"},
      // Midway failures give no partial answer.
      {"select case when qty < 5 then 1 else abs(-9223372036854775807 - 1) end from t",
       "DbContext::integer overflow"},
      // No value grows past the length limit, and a long repeat fails at once.
      {"select printf('%.*c', 900000000, 'x')", tooBig},
      {"select format('%!-.*c', -900000000, 'x')", tooBig},
      {"with recursive c(x, s) as (select 1, 'a' union all select x + 1, s || s from c where x < 40) "
       "select length(s) from c order by 1 desc limit 1", tooBig},
  };
  for (const auto& [sql, message] : failures) EXPECT_EQ(thrownMessage([&] { db.query(sql); }), message) << sql;
  db.setTimeLimit(std::chrono::milliseconds(200));
  EXPECT_EQ(thrownMessage([&] { db.query("with recursive c(x) as (select 1 union all select x + 1 from c) "
                                   "select count(*) from c"); }),
            "DbContext::Query interrupted: it ran longer than 0.2 seconds");
  EXPECT_EQ(rowsOf(db.query("select count(*) from t")).at(1), (std::vector<V>{6.0}));
}

// Texts at the length limit. The sqlite3 shell 3.40.1 with ".limit length
// 16776960" gives the same for the concatenations and for the precisions -3
// and -2147483648 (taken as -1); its printf gives NULL for a text of exactly
// the limit (it counts a terminating zero) and for one past it, where this
// one fails.
TEST(LengthLimit, PrintfMakesTextsUpToItAndFailsPastIt) {
  ZR::DBContext db;
  const std::pair<const char*, V> answers[] = {
      {"select length(printf('%.16776960c', 'x'))", 16776960.0},
      {"select length(printf('%.16776959c%.*c', 'x', 1, 'y'))", 16776960.0},
      {"select length(printf('%.16776959c', 'x') || 'y')", 16776960.0},
      {"select printf('%.*c', -2147483648, 'x')", "x"},
      {"select printf('%.*c%-*d|', -3, 'x', -2147483648, 7)", "xxx7|"},
  };
  for (const auto& [sql, value] : answers) EXPECT_EQ(rowsOf(db.query(sql)).at(1), (std::vector<V>{value})) << sql;
  const char* const tooBig = "DbContext::string or blob too big (a text or blob may have at most 16776960 bytes)";
  const char* const past[] = {
      "select printf('%.10000000c%.6776961c', 'x', 'y')",
      "select printf('%.16776960c%s', 'x', 'y')",
      "select format('%16776961d', 1)",
      "select printf('%.16776960c', 'x') || 'y'",
  };
  for (const char* sql : past) EXPECT_EQ(thrownMessage([&] { db.query(sql); }), tooBig) << sql;
}

TEST_F(Loaded, AnswerLimits) {
  auto limits = [](std::size_t rows, std::size_t columns, std::size_t textBytes, std::size_t bytes) {
    ZR::AnswerLimits l;
    l.rows = rows, l.columns = columns, l.textBytes = textBytes, l.bytes = bytes;
    return l;
  };
  const std::tuple<ZR::AnswerLimits, const char*, std::string> cases[] = {
      {limits(3, 2, 7, 1 << 20), "select id, qty from t where id <= 2", ""},
      {limits(3, 2, 7, 1 << 20), "select id from t where id <= 3", "DbContext::The answer has more than 2 rows"},
      {limits(3, 2, 7, 1 << 20), "select id, qty, city from t where 0", "DbContext::The answer has more than 2 columns"},
      // The text is kept cut to one past the limit, for the caller's message.
      {limits(3, 2, 7, 1 << 20), "select name from t where id = 2", "Smith; d"},
      {limits(3, 2, 7, 1 << 20), "select 1 as \"the heading\"", "the head"},
      {limits(70000, 2, 7, 1 << 20), "with recursive c(x) as (select 1 union all select x + 1 from c where x < 30000) "
       "select x from c", "DbContext::The answer takes more than 1 MB"},
  };
  for (const auto& [l, sql, message] : cases) {
    std::string thrown = thrownMessage([&, &l = l, &sql = sql] {
      try {
        db.query(sql, l);
      } catch (const ZR::LongText& e) {
        throw e.text;
      }
    });
    EXPECT_EQ(thrown, message) << sql;
  }
}

// Ten tables of 65,535 rows by 10 columns fit the heap bound; an answer
// holds at most 65,534 rows.
TEST(Bounds, TenFullTablesAndTheLongestAnswer) {
  Table full(ZR::maxAnswerRows, 10);
  for (std::size_t j = 0; j < 10; ++j) full(0, j) = Cell::of("c" + std::to_string(j));
  for (std::size_t i = 1; i < full.rows(); ++i)
    for (std::size_t j = 0; j < 10; ++j)
      full(i, j) = j % 2 ? Cell::of("group " + std::to_string(i % 37) + " of the city") : Cell::of(i * 1.5 + j);
  ZR::DBContext db;
  std::ostream discard(nullptr);
  for (int k = 0; k < 10; ++k) db.createTable(("t" + std::to_string(k)).c_str(), full, discard);
  EXPECT_EQ(db.query("select c1, sum(c0) from t9 group by c1").rows(), 38u);
  EXPECT_EQ(db.query("select c0 from t0").rows(), ZR::maxAnswerRows);
  EXPECT_EQ(thrownMessage([&] { db.query("select c0 from t0 union all select 1"); }),
            "DbContext::The answer has more than 65534 rows");
}

// Past the heap bound a query fails, and the database stays usable.
TEST_F(Loaded, HeapBound) {
  const sqlite3_int64 bound = sqlite3_hard_heap_limit64(-1);
  EXPECT_EQ(bound, ZR::maxHeapBytes);
  sqlite3_hard_heap_limit64(16 << 20);
  const std::string message = thrownMessage([&] {
    db.query("with recursive c(x) as (select 1 union all select x + 1 from c where x < 100) "
             "select count(*) from (select x from c order by randomblob(1000000))");
  });
  sqlite3_hard_heap_limit64(bound);
  EXPECT_EQ(message, "DbContext::out of memory (the add-in's databases may use at most 16 MB together)");
  EXPECT_EQ(rowsOf(db.query("select count(*) from t")).at(1), (std::vector<V>{6.0}));
}

// A temporary working folder, removed with what it holds.
struct WorkingFolder {
  std::filesystem::path home = std::filesystem::current_path(), path;
  WorkingFolder() {
    char pattern[] = "/tmp/zr_sql_XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("no temporary folder");
    path = pattern;
    std::filesystem::current_path(path);
  }
  ~WorkingFolder() {
    std::filesystem::current_path(home);
    std::filesystem::remove_all(path);
  }
};

// Texts from names, headings, values and queries never write to the
// database or create a file.
TEST(Injection, ChangesNothingAndCreatesNoFile) {
  WorkingFolder folder;
  {
    ZR::DBContext db;
    std::ostringstream echo;
    const char* const evil = "x'); drop table t; attach 'evil.db' as e; --";
    db.createTable("t", table(data), echo);
    db.createTable("t; drop table t; --", table({{std::string(evil)}, {std::string(evil)}}), echo);
    const Table before = db.query("select * from t");
    const char* const queries[] = {
        "select 1; drop table t", "drop table t", "attach database 'evil.db' as e", "vacuum into 'copy.db'",
        "pragma writable_schema = 1", "replace into t values (9, 'a', 'b', 1, 1, 1)", "create table z (a)",
        "begin immediate", "select load_extension('evil')", "select fts3_tokenizer('simple', x'00')",
        "select * from t; vacuum into 'copy.db'",
    };
    for (const char* sql : queries) thrownMessage([&] { db.query(sql); });
    EXPECT_EQ(rowsOf(db.query("select * from t")), rowsOf(before));
    EXPECT_EQ(rowsOf(db.query("select name from sqlite_master order by name")),
              (Rows{{"name"}, {"t"}, {"t; drop table t; --"}}));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.path));
}

}  // namespace
