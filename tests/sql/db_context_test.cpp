// Tables loaded into in-memory databases and queried, at the library level.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "sql/db_context.h"

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

// The message a call throws (the library throws texts).
template <class F>
std::string failure(F f) {
  try {
    f();
  } catch (const char* s) {
    return s;
  } catch (const std::string& s) {
    return s;
  }
  return "(nothing thrown)";
}

const Rows data = {
    {"id", "name", "city", "unit price", "qty"},
    {1.0, "O'Brien", "Zurich", 0.1 + 0.2, 3.0},
    {2.0, "Smith; drop table t", "Basel", 1234567.891, 10.0},
    {3.0, "first \"quoted\"", "Zurich", -2.5e-7, 7.0},
    {4.0, "plain", "Geneva", 100.0, 1.0},
    {5.0, "x", "Basel", 3.14159265358979, "12"},
    {6.0, "y", "Zurich", 42.0, "n/a"},
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
  EXPECT_EQ(failure([&] { db.createTable("t", t, echo); }), "unhandled data model");
  EXPECT_EQ(rowsOf(db.query("select name from sqlite_master")), (Rows{{"name"}}));
}

TEST_F(Loaded, QueryAnswersAndFailures) {
  EXPECT_EQ(rowsOf(db.query("select 1, 'a'")), (Rows{{"1", "'a'"}, {1.0, "a"}}));
  EXPECT_EQ(rowsOf(db.query("select id from t where id > 9")), (Rows{{"id"}}));
  const std::pair<const char*, const char*> failures[] = {
      {"select * from t where lastupdate > 0", "DBContext::Illegal operation found"},
      {"select colour from t", "DbContext::no such column: colour"},
      {"-- nothing", "DbContext::No statement found"},
      // Midway failures give no partial answer.
      {"select case when qty < 5 then 1 else abs(-9223372036854775807 - 1) end from t",
       "DbContext::integer overflow"},
      {"with recursive c(x) as (select 1 union all select x + 1 from c where x < 70000) select x from c",
       "DbContext::The answer has more than 65534 rows"},
  };
  for (const auto& [sql, message] : failures) EXPECT_EQ(failure([&] { db.query(sql); }), message) << sql;
  db.setTimeLimit(std::chrono::milliseconds(200));
  EXPECT_EQ(failure([&] { db.query("with recursive c(x) as (select 1 union all select x + 1 from c) "
                                   "select count(*) from c"); }),
            "DbContext::Query interrupted: it ran longer than 0.2 seconds");
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
        "pragma writable_schema = 1", "replace into t values (9, 'a', 'b', 1, 1)", "create table z (a)",
        "begin immediate", "select load_extension('evil')", "select fts3_tokenizer('simple', x'00')",
        "select * from t; vacuum into 'copy.db'",
    };
    for (const char* sql : queries) failure([&] { db.query(sql); });
    EXPECT_EQ(rowsOf(db.query("select * from t")), rowsOf(before));
    EXPECT_EQ(rowsOf(db.query("select name from sqlite_master order by name")),
              (Rows{{"name"}, {"t"}, {"t; drop table t; --"}}));
  }
  EXPECT_TRUE(std::filesystem::is_empty(folder.path));
}

}  // namespace
