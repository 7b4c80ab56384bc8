// A private in-memory SQLite database into which named tables are loaded
// and on which read-only queries run.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

#include "sql/table.h"

struct sqlite3;

namespace ZR {

// Most rows an answer may have, the heading row included (a host array's limit).
constexpr std::size_t maxAnswerRows = 65535;

// A cell's text in the statements echoed for a table: a text as it stands, a
// number with six significant digits; other kinds throw "unhandled data model".
std::string cellToSqlText(const Cell& cell);

// A name as an SQL identifier: as it stands when it is a plain one, else in
// double quotes with its own double quotes doubled.
std::string sqlIdentifier(const std::string& name);

class DBContext {
 public:
  // Opens a fresh in-memory database; its error text is thrown on failure.
  DBContext();
  ~DBContext();
  DBContext(const DBContext&) = delete;
  DBContext& operator=(const DBContext&) = delete;

  // Creates the table from the headings in row 0, typed by row 1, and inserts
  // every further row, all in one transaction. Each statement is echoed to
  // echo as text.
  void createTable(const char* name, const Table& data, std::ostream& echo);
  void createTable(const char* name, const Table& data);  // echoes to standard output

  // Runs the first statement of sql, which may only read, and gives its
  // answer: the column names, then one row per result row.
  Table query(const char* sql);

  // Longest a query may run before it is interrupted.
  void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

 private:
  friend struct QueryGuard;
  void exec(const char* sql);

  sqlite3* db_ = nullptr;
  std::chrono::milliseconds timeLimit_{10000};
  std::chrono::steady_clock::time_point deadline_;
  bool interrupted_ = false;
};

}  // namespace ZR
