#include "sql/db_context.h"

#include <sqlite3.h>

#include <boost/regex.hpp>
#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>

namespace ZR {

namespace {

struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

const char* const illegalOperation = "DBContext::Illegal operation found";

// %g with six significant digits, as a default-formatted stream writes it.
void appendNumber(std::string& out, double x) {
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 6);
  out.append(buf, r.ptr);
}

bool isPlainIdentifier(const std::string& s) {
  if (s.empty()) return false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    const char c = s[k];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    if (!letter && !(k > 0 && c >= '0' && c <= '9')) return false;
  }
  return !sqlite3_keyword_check(s.data(), static_cast<int>(s.size()));
}

// Integral values go in as integers, so that a text column holds "1", not "1.0".
void bindNumber(sqlite3_stmt* s, int column, double x) {
  if (x == std::floor(x) && std::fabs(x) < 9007199254740992.0)
    sqlite3_bind_int64(s, column, static_cast<sqlite3_int64>(x));
  else
    sqlite3_bind_double(s, column, x);
}

// What a query may do: read tables and call functions, but not the two
// functions that reach outside the database.
int readOnly(void*, int action, const char*, const char* function, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    case SQLITE_FUNCTION:
      return sqlite3_stricmp(function, "load_extension") == 0 ||
                     sqlite3_stricmp(function, "fts3_tokenizer") == 0
                 ? SQLITE_DENY
                 : SQLITE_OK;
    default:
      return SQLITE_DENY;
  }
}

}  // namespace

std::string cellToSqlText(const Cell& cell) {
  std::string text;
  switch (cell.kind) {
    case Cell::Text:
      return cell.text;
    case Cell::Number:
      appendNumber(text, cell.number);
      return text;
    default:
      throw "unhandled data model";
  }
}

std::string sqlIdentifier(const std::string& name) {
  if (isPlainIdentifier(name)) return name;
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted += '"';
}

DBContext::DBContext() {
  // The default flags, without the connection's own mutex: a context is
  // used on one thread only.
  const int rc =
      sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string text = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    throw text;
  }
  // No other database can be attached, so no query reaches a file, and
  // sorting and temporary tables stay in memory.
  sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
  try {
    exec("pragma temp_store = memory");
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

DBContext::~DBContext() { sqlite3_close(db_); }

void DBContext::exec(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string text = error ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw "ZR::DBContext::" + text;
  }
}

void DBContext::createTable(const char* name, const Table& data) { createTable(name, data, std::cout); }

void DBContext::createTable(const char* name, const Table& data, std::ostream& echo) {
  const std::size_t m = data.rows(), k = data.columns();
  if (m == 0 || k == 0) throw "unhandled data model";
  const std::string table = sqlIdentifier(name ? name : "");
  // Typed by the first record; without one every column is REAL.
  std::string create = "create table " + table + " ( ";
  std::string insert = "insert into " + table + " values (";
  for (std::size_t j = 0; j < k; ++j) {
    create += sqlIdentifier(cellToSqlText(data(0, j)));
    create += m > 1 && data(1, j).kind == Cell::Text ? " TEXT " : " REAL ";
    create += j + 1 < k ? "," : ");";
    insert += j + 1 < k ? "?," : "?)";
  }

  struct Rollback {
    sqlite3* db;
    bool armed = true;
    ~Rollback() {
      if (armed) sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    }
  } rollback{db_};
  exec("begin");
  exec(create.c_str());
  echo << create << '\n';

  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_, insert.c_str(), -1, &raw, nullptr) != SQLITE_OK)
    throw "ZR::DBContext::" + std::string(sqlite3_errmsg(db_));
  Statement statement(raw);
  // Values are bound, never written into the statement; the echo only
  // describes each record as an insert statement.
  std::string line;
  for (std::size_t i = 1; i < m; ++i) {
    line.assign(" Insert into ").append(table).append(" values ( ");
    for (std::size_t j = 0; j < k; ++j) {
      const Cell& cell = data(i, j);
      const int column = static_cast<int>(j + 1);
      if (cell.kind == Cell::Text) {
        line.append(1, '\'').append(cell.text).append(1, '\'');
        sqlite3_bind_text(raw, column, cell.text.data(), static_cast<int>(cell.text.size()), SQLITE_STATIC);
      } else if (cell.kind == Cell::Number) {
        appendNumber(line, cell.number);
        bindNumber(raw, column, cell.number);
      } else {
        throw "unhandled data model";
      }
      line += j + 1 < k ? " ," : " );";
    }
    line += '\n';
    echo.write(line.data(), static_cast<std::streamsize>(line.size()));
    if (sqlite3_step(raw) != SQLITE_DONE) throw "ZR::DBContext::" + std::string(sqlite3_errmsg(db_));
    sqlite3_reset(raw);
  }
  statement.reset();
  exec("commit");
  rollback.armed = false;
}

// For the time of one query: reading only, and a deadline.
struct QueryGuard {
  DBContext& context;
  explicit QueryGuard(DBContext& c) : context(c) {
    context.interrupted_ = false;
    context.deadline_ = std::chrono::steady_clock::now() + context.timeLimit_;
    sqlite3_set_authorizer(context.db_, readOnly, nullptr);
    sqlite3_progress_handler(context.db_, 1000, onProgress, &context);
  }
  ~QueryGuard() {
    sqlite3_progress_handler(context.db_, 0, nullptr, nullptr);
    sqlite3_set_authorizer(context.db_, nullptr, nullptr);
  }
  static int onProgress(void* p) {
    DBContext& c = *static_cast<DBContext*>(p);
    if (std::chrono::steady_clock::now() < c.deadline_) return 0;
    c.interrupted_ = true;
    return 1;
  }
  [[noreturn]] void fail() const {
    if (!context.interrupted_) throw "DbContext::" + std::string(sqlite3_errmsg(context.db_));
    std::string text = "DbContext::Query interrupted: it ran longer than ";
    appendNumber(text, static_cast<double>(context.timeLimit_.count()) / 1000);
    throw text + " seconds";
  }
};

Table DBContext::query(const char* sql) {
  static const boost::regex guard("(insert|delete|alter|update)", boost::regex::perl | boost::regex::icase);
  if (!sql) sql = "";
  if (boost::regex_search(sql, guard)) throw illegalOperation;

  QueryGuard queryGuard(*this);
  sqlite3_stmt* raw = nullptr;
  // Only the first statement runs; the rest of the text is ignored.
  const int prepared = sqlite3_prepare_v2(db_, sql, -1, &raw, nullptr);
  Statement statement(raw);
  if (prepared != SQLITE_OK) queryGuard.fail();
  if (!raw) throw "DbContext::No statement found";
  if (!sqlite3_stmt_readonly(raw)) throw illegalOperation;

  const int n = sqlite3_column_count(raw);
  Table answer(1, static_cast<std::size_t>(n));
  for (int c = 0; c < n; ++c) {
    const char* heading = sqlite3_column_name(raw, c);
    answer(0, static_cast<std::size_t>(c)) = Cell::of(heading ? heading : "");
  }
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    if (answer.rows() == maxAnswerRows)
      throw "DbContext::The answer has more than " + std::to_string(maxAnswerRows - 1) + " rows";
    Cell* row = answer.addRow();
    for (int c = 0; c < n; ++c) {
      if (sqlite3_column_type(raw, c) == SQLITE_TEXT) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
        const int bytes = sqlite3_column_bytes(raw, c);
        row[c] = Cell::of(text ? std::string(text, static_cast<std::size_t>(bytes)) : std::string());
      } else {
        row[c] = Cell::of(sqlite3_column_double(raw, c));
      }
    }
  }
  // A statement that fails midway gives no partial answer.
  if (rc != SQLITE_DONE) queryGuard.fail();
  return answer;
}

}  // namespace ZR
