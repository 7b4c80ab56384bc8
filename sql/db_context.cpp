#include "sql/db_context.h"

#include <sqlite3.h>

#include <boost/regex.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

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

// SQLite's error text, with the bound that was met where one was.
std::string errorText(sqlite3* db, const char* text) {
  std::string s = text ? text : sqlite3_errmsg(db);
  const sqlite3_int64 heap = sqlite3_hard_heap_limit64(-1);
  switch (sqlite3_errcode(db)) {
    case SQLITE_TOOBIG:
      return s + " (a text or blob may have at most " + std::to_string(maxValueBytes) + " bytes)";
    case SQLITE_NOMEM:
      if (heap > 0)
        return s + " (the add-in's databases may use at most " + std::to_string(heap >> 20) + " MB together)";
      return s;
    default:
      return s;
  }
}

// Opens a private in-memory database bounded as every one of the add-in's.
sqlite3* openBounded() {
  static const sqlite3_int64 bounded = sqlite3_hard_heap_limit64(maxHeapBytes);
  (void)bounded;
  sqlite3* db = nullptr;
  // The default flags, without the connection's own mutex: a database is
  // used on one thread only.
  const int rc =
      sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string text = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw text;
  }
  // No other database can be attached, so no query reaches a file.
  sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, maxValueBytes);
  return db;
}

// Whether the %c repeats of a printf format together make a text longer
// than a value may be. SQLite appends a repeat once per unit of precision,
// on past its length limit, which takes seconds; the text is too long in the
// end, so it is refused at once. Reads a conversion as SQLite does: flags,
// width, precision, length, type; '*' takes the next argument, whose
// negative precision counts as its magnitude (-2147483648 as -1).
bool repeatsTooLong(int argc, sqlite3_value** argv) {
  const char* f = argc > 0 ? reinterpret_cast<const char*>(sqlite3_value_text(argv[0])) : nullptr;
  if (!f) return false;
  int next = 1;
  auto argument = [&] { return next < argc ? static_cast<int>(sqlite3_value_int64(argv[next++])) : 0; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  long long repeated = 0;  // bytes, one at least per repeat
  while ((f = std::strchr(f, '%'))) {
    ++f;
    while (*f && std::strchr("-+ #!0,", *f)) ++f;
    if (*f == '*') {
      argument();
      ++f;
    } else {
      while (digit(*f)) ++f;
    }
    long long precision = -1;
    if (*f == '.') {
      if (*++f == '*') {
        const long long p = argument();
        precision = p >= 0 ? p : p >= -2147483647 ? -p : -1;
        ++f;
      } else {
        unsigned px = 0;
        for (; digit(*f); ++f) px = px * 10 + static_cast<unsigned>(*f - '0');
        precision = px & 0x7fffffff;
      }
    }
    for (int l = 0; l < 2 && *f == 'l'; ++l) ++f;
    const char type = *f;
    if (type == 'c' && (repeated += std::max(precision, 1LL)) > maxValueBytes) return true;
    if (type == '%' || type == 'n') {
      ++f;
      continue;
    }
    if (!type || !std::strchr("dsgzqQwcouxXfeEGipr", type)) return false;  // SQLite stops here
    ++f;
    ++next;
  }
  return false;
}

// printf (and format) as SQLite makes them, run on a database of its own
// once a format has passed repeatsTooLong.
class Formatter {
 public:
  ~Formatter() {
    byArguments_.clear();
    sqlite3_close(db_);
  }

  static void call(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (repeatsTooLong(argc, argv)) return sqlite3_result_error_toobig(context);
    Formatter& f = *static_cast<Formatter*>(sqlite3_user_data(context));
    sqlite3_stmt* s = nullptr;
    try {
      s = f.statement(argc);
    } catch (...) {
    }
    if (!s) return sqlite3_result_error(context, f.db_ ? sqlite3_errmsg(f.db_) : "out of memory", -1);
    for (int i = 0; i < argc; ++i) sqlite3_bind_value(s, i + 1, argv[i]);
    if (sqlite3_step(s) == SQLITE_ROW) {
      sqlite3_value* text = sqlite3_column_value(s, 0);
      // SQLite's printf gives NULL for a format when its text grows too long
      if (sqlite3_value_type(text) == SQLITE_NULL && argc > 0 && sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_error_toobig(context);
      else
        sqlite3_result_value(context, text);
    } else {
      sqlite3_result_error(context, sqlite3_errmsg(f.db_), -1);
      sqlite3_result_error_code(context, sqlite3_errcode(f.db_));
    }
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
  }

 private:
  // "select printf(?,...)" with argc arguments, prepared once.
  sqlite3_stmt* statement(int argc) {
    if (!db_) {
      db_ = openBounded();
      // Twice the limit and more: SQLite's printf counts its terminating zero
      // against the limit, and grows its text by doubling only below half of
      // it (above, by what each piece needs, which is slow). A text past the
      // limit fails in the query's own database.
      sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, 2 * maxValueBytes + 2);
    }
    if (byArguments_.size() <= static_cast<std::size_t>(argc)) byArguments_.resize(argc + 1);
    Statement& s = byArguments_[argc];
    if (!s) {
      std::string sql = "select printf(";
      for (int i = 0; i < argc; ++i) sql += i ? ",?" : "?";
      sqlite3_stmt* raw = nullptr;
      sqlite3_prepare_v2(db_, (sql += ")").c_str(), -1, &raw, nullptr);
      s.reset(raw);
    }
    return s.get();
  }

  sqlite3* db_ = nullptr;
  std::vector<Statement> byArguments_;
};

void addFormatters(sqlite3* db) {
  for (const char* name : {"printf", "format"}) {
    sqlite3_create_function_v2(
        db, name, -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, new Formatter, Formatter::call,
        nullptr, nullptr, [](void* f) { delete static_cast<Formatter*>(f); });
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

DBContext::DBContext() : db_(openBounded()) {
  // Sorting and temporary tables stay in memory.
  try {
    addFormatters(db_);
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
    std::string text = errorText(db_, error);
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
    throw "ZR::DBContext::" + errorText(db_, nullptr);
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
    if (sqlite3_step(raw) != SQLITE_DONE) throw "ZR::DBContext::" + errorText(db_, nullptr);
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
    if (!context.interrupted_) throw "DbContext::" + errorText(context.db_, nullptr);
    std::string text = "DbContext::Query interrupted: it ran longer than ";
    appendNumber(text, static_cast<double>(context.timeLimit_.count()) / 1000);
    throw text + " seconds";
  }
};

Table DBContext::query(const char* sql, const AnswerLimits& limits) {
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
  if (static_cast<std::size_t>(n) > limits.columns)
    throw "DbContext::The answer has more than " + std::to_string(limits.columns) + " columns";
  std::size_t bytes = 0;
  // A text as a cell; a long one ends the answer, cut to one past the limit.
  auto textCell = [&](const char* text, std::size_t size) {
    if (size > limits.textBytes) throw LongText(std::string(text, limits.textBytes + 1));
    bytes += size;
    return Cell::of(std::string(text, size));
  };
  Table answer(1, static_cast<std::size_t>(n));
  for (int c = 0; c < n; ++c) {
    const char* heading = sqlite3_column_name(raw, c);
    answer(0, static_cast<std::size_t>(c)) = textCell(heading ? heading : "", heading ? std::strlen(heading) : 0);
  }
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    if (answer.rows() == limits.rows)
      throw "DbContext::The answer has more than " + std::to_string(limits.rows - 1) + " rows";
    Cell* row = answer.addRow();
    for (int c = 0; c < n; ++c) {
      if (sqlite3_column_type(raw, c) == SQLITE_TEXT) {
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, c));
        const int size = sqlite3_column_bytes(raw, c);
        row[c] = text ? textCell(text, static_cast<std::size_t>(size)) : Cell::of(std::string());
      } else {
        row[c] = Cell::of(sqlite3_column_double(raw, c));
      }
    }
    bytes += sizeof(Cell) * static_cast<std::size_t>(n);
    if (bytes > limits.bytes)
      throw "DbContext::The answer takes more than " + std::to_string(limits.bytes >> 20) + " MB";
  }
  // A statement that fails midway gives no partial answer.
  if (rc != SQLITE_DONE) queryGuard.fail();
  return answer;
}

}  // namespace ZR
