// A private in-memory SQLite database into which named tables are loaded
// and on which read-only queries run.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <utility>

#include "sql/table.h"

struct sqlite3;

namespace ZR {

// Most rows an answer may have, the heading row included (a host array's limit).
constexpr std::size_t maxAnswerRows = 65535;

// Longest text or blob a query may make (SQLite's length limit): a whole
// column of a sheet, 65,535 cells of 255 characters, joined.
constexpr int maxValueBytes = 65535 * 256;

// Most heap all databases of the process may use together (SQLite's hard
// heap limit, process-wide), set when the first context is made.
constexpr long long maxHeapBytes = 512LL << 20;

// What one answer may hold, by default what a host array holds. A query
// stops as soon as its answer would hold more.
struct AnswerLimits {
  std::size_t rows = maxAnswerRows;  // the heading row included
  std::size_t columns = 255;
  std::size_t textBytes = maxValueBytes;
  std::size_t bytes = std::size_t{256} << 20;  // cells and texts together
};

// An answer's heading or text longer than AnswerLimits::textBytes; text is
// cut to one character past the limit.
struct LongText : std::length_error {
  std::string text;
  explicit LongText(std::string t) : std::length_error("DbContext::An answer text is too long"), text(std::move(t)) {}
};

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
  Table query(const char* sql, const AnswerLimits& limits = {});

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
