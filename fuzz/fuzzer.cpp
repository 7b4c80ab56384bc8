#include "fuzz/fuzzer.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <ostream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zrfuzz {

using xlsim::Arg;
using xlsim::Value;

namespace {

// ---- the call under way, for a report when the process dies -----------------

char g_current[4096] = "";
std::atomic<uint64_t> g_started{0};  // calls begun

void setCurrent(const std::string& s) {
  size_t n = std::min(s.size(), sizeof g_current - 1);
  std::memcpy(g_current, s.data(), n);
  g_current[n] = '\0';
  ++g_started;
}

void reportCurrent() {
  if (g_current[0] == '\0') return;
  const char head[] = "\nzr_fuzz: died in call ";
  ssize_t ignored = write(2, head, sizeof head - 1);
  ignored = write(2, g_current, std::strlen(g_current));
  ignored = write(2, "\n", 1);
  (void)ignored;
}

void onSignal(int sig) {
  reportCurrent();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

}  // namespace
}  // namespace zrfuzz

extern "C" void __sanitizer_set_death_callback(void (*)(void)) __attribute__((weak));

namespace zrfuzz {

void startWatchdog(double seconds, void (*onHang)()) {
  std::thread([seconds, onHang] {
    uint64_t seen = g_started.load();
    auto since = std::chrono::steady_clock::now();
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      uint64_t now = g_started.load();
      if (now != seen) {
        seen = now;
        since = std::chrono::steady_clock::now();
      } else if (g_current[0] && std::chrono::steady_clock::now() - since > std::chrono::duration<double>(seconds)) {
        std::fprintf(stderr, "\nFAIL: hang, no answer for %.0f s from call %s\n", seconds, g_current);
        if (onHang) onHang();
        std::_Exit(1);
      }
    }
  }).detach();
}

void installDeathReport() {
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(reportCurrent);
  for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL}) std::signal(sig, onSignal);
}

// ---- discovery ---------------------------------------------------------------------

namespace {

std::string lower(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool startsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// File-system functions that only read; every other one gets contained paths.
const std::set<std::string> kReadingFs{
    "fs_isvaliddirpath", "fs_isvalidfilepath", "fs_workingdir", "fs_filesize", "fs_filesindir",
    "fs_user",           "fs_modifiedtime",    "fs_filesindirre", "fs_subfolders"};

bool isNetwork(const Target& t) {
  if (t.category != "ZR_DataSource" && !startsWith(lower(t.name), "source_")) return false;
  return lower(t.name).find("fieldnames") == std::string::npos;
}

}  // namespace

bool isContainedPath(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.back() == '/') return false;
  std::stringstream in(path);
  std::string part;
  while (std::getline(in, part, '/'))
    if (part.empty() || part == "." || part == ".." || part.find_first_of("\\:") != std::string::npos)
      return false;
  return true;
}

std::vector<Target> discover(const xlsim::Host& host, bool offline, std::vector<std::string>& skipped) {
  std::vector<Target> out;
  std::set<std::string> seen;
  for (const xlsim::Registration& r : host.registrations()) {
    if (!r.active() || r.functionText.empty() || !seen.insert(lower(r.functionText)).second) continue;
    Target t;
    t.name = r.functionText;
    t.category = r.category;
    t.command = r.macroType == 2;
    bool ok = true;
    bool first = true;
    for (char c : r.typeText) {
      if (!std::isalpha(static_cast<unsigned char>(c))) continue;
      if (first) {
        first = false;
        continue;
      }
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (std::string("ABJCFKPR").find(c) == std::string::npos) ok = false;
      t.params += c;
    }
    std::string key = lower(t.name);
    t.writesFiles = (t.category == "ZR_FileSystem" || startsWith(key, "fs_")) && !kReadingFs.count(key);
    if (!ok && !t.command) {
      skipped.push_back(t.name + ": type text " + r.typeText + " has letters the host cannot pass");
    } else if (isNetwork(t) && !offline) {
      skipped.push_back(t.name + ": fetches over the network");
    } else {
      out.push_back(t);
    }
  }
  return out;
}

// ---- the fuzzer ----------------------------------------------------------------------

namespace {

const int kErrors[] = {xlerrNull, xlerrDiv0, xlerrValue, xlerrRef, xlerrName, xlerrNum, xlerrNA, 43};

const char* const kWords[] = {
    "",  " ", "UK", "US", "Target", "Switzerland", "Australia", "WeekDaysOnly", "NULL", "Zurich", "l",
    "u", "lu", "LU", "p", "q", "r", "qr", "QR", "ldlt", "llt", "t1", "t2", "a", "b", "TRUE", "1", "-1",
    "1e308", "#hndl", "#hndl0", "#hndl1", "#HNDL1", "#hndl01", "#hndl-1", "#hndl4294967297",
    "#hndl99999999999999999999", "#N/A", "(a+)+$", "[", "(", "\\", "a.*", ".*", "$1", "\\1", "(?<n>a)",
    "select * from t1", "select a, b from t1 where a > 1", "select count(*) from t1", "drop table t1",
    "select * from t1; delete from t1", "insert into t1 values (1)", "select * from nowhere", "*", "?",
    "bsopt*", "*fv", "hf_?e", "*.*", "Following", "ModifiedFollowing", "Preceding", "ModifiedPreceding",
    "Unadjusted", "HalfMonthModifiedFollowing", "d", "w", "m"};

// Plain names inside the work folder.
const char* const kPaths[] = {"a.txt", "b.txt", "d1",        "d1/c.txt", "d1/d2", "d1/d2/e.txt",
                              "d3",    "d3/f",  "new",       "new/x",    "g.csv", "d1/h.txt",
                              "z",     "z/z",   "long name", "d1/d2/d4"};

const double kNumbers[] = {0.0,        -0.0,       1.0,     -1.0,       0.5,        2.0,     3.0,
                           10.0,       100.0,      1e308,   -1e308,     DBL_MAX,    -DBL_MAX, 1e-308,
                           DBL_MIN,    4.9e-324,   -4.9e-324, 1e15,     0.1,        1e-9,    255.0,
                           256.0,      65535.0,    65536.0, 2147483647.0, 2147483648.0, -2147483648.0,
                           -2147483649.0, 4294967295.0, 4294967296.0, 9007199254740993.0, 1.0,  60.0,
                           61.0,       59.0,       366.0,   36526.0,    45000.0,    73050.0, 73051.0,
                           2958465.0,  2958466.0,  -0.5,    0.999999999};

}  // namespace

Fuzzer::Fuzzer(xlsim::Host& host, const Options& options, std::ostream& log)
    : host_(host), opt_(options), log_(log), rng_(options.seed) {
  targets_ = discover(host_, opt_.offline, summary_.skipped);
  summary_.targets = targets_.size();
  for (const Target& t : targets_) {
    std::string k = lower(t.name);
    if (!t.command && t.category != "ZR_FileSystem" && !startsWith(k, "fs_") && !startsWith(k, "source_"))
      safeNames_.push_back(t.name);
  }
  for (const char* w : kWords) texts_.push_back(w);
}

double Fuzzer::number() {
  switch (pick(8)) {
    case 0: return std::numeric_limits<double>::quiet_NaN();
    case 1: return chance(50) ? HUGE_VAL : -HUGE_VAL;
    case 2: return static_cast<double>(static_cast<int>(pick(21)) - 10);
    case 3: return std::ldexp(static_cast<double>(rng_() % 1000000) / 1e6, static_cast<int>(pick(2100)) - 1075) *
                   (chance(50) ? 1 : -1);
    case 4: return std::uniform_real_distribution<double>(-100, 100)(rng_);
    case 5: return std::uniform_real_distribution<double>(0, 1)(rng_);
    default: return kNumbers[pick(sizeof kNumbers / sizeof kNumbers[0])];
  }
}

// Row and column counts of matrix functions: small, or so large that the
// size guard refuses them; never so that one call's work (a decomposition
// of millions of rows) runs for minutes.
double Fuzzer::count() {
  static const double edges[] = {-1, -2147483648.0, 2147483647, 4294967296.0, 1e9, 0};
  if (chance(15)) return edges[pick(sizeof edges / sizeof edges[0])];
  if (chance(5)) return number() > 0 ? 0.5 : -0.5;
  return static_cast<double>(pick(chance(80) ? 8 : 300));
}

std::string Fuzzer::text() {
  switch (pick(10)) {
    case 0:
    case 1: {  // printable, short
      std::string s(pick(12), ' ');
      for (auto& c : s) c = static_cast<char>(32 + pick(95));
      return s;
    }
    case 2: {  // any byte but NUL
      std::string s(pick(40), ' ');
      for (auto& c : s) c = static_cast<char>(1 + pick(255));
      return s;
    }
    case 3: {  // around the host's limit of 255
      static const size_t lengths[] = {254, 255, 256, 300, 1000};
      std::string s(lengths[pick(5)], 'x');
      if (chance(50)) s[pick(s.size())] = '*';
      return s;
    }
    case 4: return handle();
    case 5: return formula(0);
    default: return texts_[pick(texts_.size())];
  }
}

std::string Fuzzer::path() { return kPaths[pick(sizeof kPaths / sizeof kPaths[0])]; }

// A formula text for util_eval: calls of functions that neither write files nor
// reach the network.
std::string Fuzzer::formula(int depth) {
  if (safeNames_.empty() || depth > 2 || chance(30)) {
    switch (pick(5)) {
      case 0: return std::to_string(static_cast<int>(pick(100)) - 50);
      case 1: return "\"" + texts_[pick(texts_.size())].substr(0, 20) + "\"";
      case 2: return "{1,2;3,4}";
      case 3: return "K" + std::to_string(1 + pick(12));
      default: return "#N/A";
    }
  }
  std::string f = safeNames_[pick(safeNames_.size())] + "(";
  size_t n = pick(4);
  for (size_t i = 0; i < n; ++i) f += (i ? "," : "") + formula(depth + 1);
  f += ")";
  if (depth == 0 && chance(50)) f = "=" + f;
  return f;
}

std::string Fuzzer::handle() {
  int r = static_cast<int>(pick(10));
  if (r < 4 && !seedHandles_.empty()) return seedHandles_[pick(seedHandles_.size())];
  if (r < 8 && !handles_.empty()) return handles_[pick(handles_.size())];
  return "#hndl" + std::to_string(pick(300));
}

Value Fuzzer::scalar() {
  switch (pick(12)) {
    case 0: return Value::text(text());
    case 1: return Value::text(handle());
    case 2: return Value::boolean(chance(50));
    case 3: return Value::error(kErrors[pick(8)]);
    case 4: return Value::missing();
    case 5: return Value::nil();
    default: return Value::number(number());
  }
}

Value Fuzzer::array(bool numeric) {
  if (!numeric && !arrays_.empty() && chance(20)) return arrays_[pick(arrays_.size())];
  int rows = 1 + static_cast<int>(pick(chance(70) ? 4 : 12));
  int cols = 1 + static_cast<int>(pick(chance(70) ? 4 : 12));
  if (chance(2)) {  // at and past the value type's limits
    static const int shapes[][2] = {{65535, 1}, {1, 255}, {1, 256}, {65536, 1}, {300, 255}, {2000, 40}};
    const int* s = shapes[pick(6)];
    rows = s[0];
    cols = s[1];
  }
  std::vector<Value> el(static_cast<size_t>(rows) * static_cast<size_t>(cols));
  bool plain = chance(60);
  for (auto& e : el) {
    if (numeric && (plain || chance(95)))
      e = Value::number(chance(90) ? std::uniform_real_distribution<double>(-10, 10)(rng_) : number());
    else
      e = chance(50) ? Value::number(number()) : scalar();
    if (e.kind == Value::Missing) e = Value::nil();  // arrays hold no missing value
  }
  return Value::array(rows, cols, std::move(el));
}

// Areas of the data block mostly, else anywhere, whole columns or off the sheet.
Arg Fuzzer::reference() {
  xlsim::Area a;
  switch (pick(20)) {
    case 0: a = {0, 0, 65535, 0}; break;                  // a whole column
    case 1: a = {0, 0, 65535, 255}; break;                // the whole sheet
    case 2: a = {65535, 255, 65535, 255}; break;          // the last cell
    case 3: a = {65530, 250, 65536, 256}; break;          // off the sheet
    case 4: {  // anywhere, mostly empty
      int r = static_cast<int>(pick(65536)), c = static_cast<int>(pick(256));
      a = {r, c, std::min(65535, r + static_cast<int>(pick(4))), std::min(255, c + static_cast<int>(pick(4)))};
      break;
    }
    default: {  // the data block K1:Y40
      int r = static_cast<int>(pick(40)), c = 10 + static_cast<int>(pick(15));
      a = {r, c, r + static_cast<int>(pick(chance(60) ? 1 : 8)), c + static_cast<int>(pick(chance(60) ? 1 : 4))};
    }
  }
  return Arg::ref(a);
}

Arg Fuzzer::anything() {
  switch (pick(6)) {
    case 0: return reference();
    case 1: return array(chance(50));
    default: return scalar();
  }
}

Arg Fuzzer::argFor(const Target& t, size_t i) {
  char letter = t.params[i];
  if (t.writesFiles && (letter == 'C' || letter == 'F'))
    return Value::text(path());
  if (lower(t.name) == "util_eval" && chance(80)) return Value::text(formula(0));
  if (startsWith(lower(t.name), "fs_") && (letter == 'C' || letter == 'F') && chance(70))
    return Value::text(path());
  if (chance(10)) return anything();  // what the letter does not ask for
  switch (letter) {
    case 'A':
      return chance(80) ? Value::boolean(chance(50)) : Value::number(number());
    case 'B':
    case 'J':
      if (chance(10)) return reference();
      if (letter == 'J' && t.category == "ZR_BLAS") return Value::number(count());
      return Value::number(number());
    case 'C':
    case 'F':
      if (chance(45)) return Value::text(handle());
      if (chance(10)) return reference();
      return Value::text(text());
    case 'K':
      if (chance(25)) return reference();
      return array(true);
    case 'R':
      if (chance(60)) return reference();
      return chance(50) ? Arg(scalar()) : Arg(array(false));
    default:  // P
      if (chance(30)) return Value::text(handle());
      return anything();
  }
}

// ---- the sheet ----------------------------------------------------------------------

// Callers: A1:D4 and two ranges; data: K1:Y40; kept handles: AA1 down.
void Fuzzer::buildSheet() {
  for (int r = 1; r <= 8; ++r) {
    host_.setValue("K" + std::to_string(r), Value::number(r * 1.5 - 3));
    host_.setValue("L" + std::to_string(r), Value::number(r % 3 == 0 ? 0 : 7 - r));
    host_.setValue("M" + std::to_string(r), Value::number(r * r));
  }
  const char* words[] = {"UK", "Target", "l", "qr", "#hndl1", "select * from t1", "a.*", "", "x", "US"};
  for (int r = 1; r <= 10; ++r) host_.setValue("N" + std::to_string(r), Value::text(words[r - 1]));
  host_.setValue("O1", Value::boolean(true));
  host_.setValue("O2", Value::error(xlerrNA));
  host_.setValue("O3", Value::number(std::nan("")));
  host_.setValue("O4", Value::text(std::string(255, 'y')));
  host_.setValue("O5", Value::number(73051));
  // a table with a header row
  const char* header[] = {"a", "b", "c"};
  for (int c = 0; c < 3; ++c) host_.setValue(std::string(1, static_cast<char>('Q' + c)) + "1", Value::text(header[c]));
  for (int r = 2; r <= 6; ++r) {
    host_.setValue("Q" + std::to_string(r), Value::number(r));
    host_.setValue("R" + std::to_string(r), Value::text(std::string(1, static_cast<char>('a' + r))));
    host_.setValue("S" + std::to_string(r), Value::number(r * 0.25));
  }
  // formula cells, calculated now and made uncalculated again from time to time
  dirtyCells();
  makeHandles();
  host_.calculate();
  for (int r = 1; r <= 12; ++r) {
    Value v = host_.value("AA" + std::to_string(r));
    if (v.is(Value::Text) && startsWith(v.str, "#hndl")) seedHandles_.push_back(v.str);
  }
  log_ << "handles kept: " << seedHandles_.size() << "\n";
}

void Fuzzer::dirtyCells() {
  const char* formulas[] = {"=K1", "=hf_count()", "=date_AllCalendars()", "=mtrx_create(K1:M3)",
                            "=N1", "=stat_distrNormal(0,1)", "=bsopt_create(1,1,0.1,0,0,1,FALSE)",
                            "=mtrx_create({1,2;3,4})", "=O2", "=K1:K3"};
  for (int r = 1; r <= 10; ++r) {
    std::string f = formulas[r - 1];
    size_t open = f.find('(');
    if (open != std::string::npos && !host_.function(f.substr(1, open - 1))) f = "=K" + std::to_string(r);
    host_.setCell("U" + std::to_string(r), f);
    host_.setCell("V" + std::to_string(r), "=U" + std::to_string(r));
  }
}

// One constructor of each stored kind, in a cell of its own that nothing else
// calls from, so the handle stays valid.
void Fuzzer::makeHandles() {
  const char* seeds[][2] = {
      {"bsopt_create", "=bsopt_create(100,105,0.2,0.03,0.01,0.5,TRUE)"},
      {"date_Calendar", "=date_Calendar(\"UK\")"},
      {"date_Calendar", "=date_Calendar(\"Target\")"},
      {"mtrx_create", "=mtrx_create({4,3;6,3})"},
      {"mtrx_create", "=mtrx_create(K1:M8)"},
      {"mtrx_fullPivLU", "=mtrx_fullPivLU(AA4)"},
      {"stat_distrNormal", "=stat_distrNormal(0,1)"},
      {"stat_distrPoisson", "=stat_distrPoisson(3)"},
      {"tbl_createTbl", "=tbl_createTbl(\"t1\",Q1:S6)"},
      {"dbctx_create", "=dbctx_create(AA9)"},
      {"dbctx_execute", "=dbctx_execute(AA10,\"select a, c from t1\",\"t2\")"},
      {"mtrx_create", "=mtrx_create({2,1,0;1,2,1;0,1,2})"},
  };
  int row = 1;
  for (const auto& s : seeds) {
    std::string cell = "AA" + std::to_string(row++);
    if (host_.function(s[0]))
      host_.setCell(cell, s[1]);
    else
      log_ << "no " << s[0] << " in this build: " << cell << " left empty\n";
  }
}

void Fuzzer::resetFiles() {
  for (const char* d : {"d1", "d1/d2", "d3"}) ::mkdir(d, 0755);
  for (const char* f : {"a.txt", "d1/c.txt", "d1/d2/e.txt", "g.csv"}) {
    std::ofstream out(f, std::ios::app);
    out << "zr fuzz\n";
  }
}

std::string Fuzzer::callerCell() {
  switch (pick(12)) {
    case 0: return "";
    case 1: return "A10:B12";
    case 2: return "C10:C14";
    default: return std::string(1, static_cast<char>('A' + pick(4))) + std::to_string(1 + pick(4));
  }
}

// ---- calls ----------------------------------------------------------------------------

namespace {

std::string show(const Value& v, size_t limit) {
  std::ostringstream o;
  switch (v.kind) {
    case Value::Text: {
      o << '"';
      for (unsigned char c : v.str.substr(0, limit)) {
        if (c == '"') o << "\"\"";
        else if (c < 32 || c > 126) o << "\\x" << std::hex << static_cast<int>(c) << std::dec;
        else o << c;
      }
      if (v.str.size() > limit) o << "...(" << v.str.size() << " chars)";
      o << '"';
      break;
    }
    case Value::Number: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.17g", v.num);
      o << buf;
      break;
    }
    case Value::Array: {
      o << '{';
      size_t n = std::min(v.elements.size(), limit);
      for (size_t i = 0; i < n; ++i)
        o << (i == 0 ? "" : (i % static_cast<size_t>(v.columns) == 0 ? ";" : ",")) << show(v.elements[i], limit);
      if (n < v.elements.size()) o << "...";
      o << "} " << v.rows << "x" << v.columns;
      break;
    }
    case Value::Missing: break;
    case Value::Nil: o << "<nil>"; break;
    default: o << v.display();
  }
  return o.str();
}

std::string a1(const xlsim::Area& a) {
  auto cell = [](int r, int c) {
    std::string col;
    for (int n = c + 1; n > 0; n = (n - 1) / 26) col.insert(col.begin(), static_cast<char>('A' + (n - 1) % 26));
    return col + std::to_string(r + 1);
  };
  return a.single() ? cell(a.row1, a.col1) : cell(a.row1, a.col1) + ":" + cell(a.row2, a.col2);
}

}  // namespace

// The call as a sheet formula; false when an argument has no formula text
// (a number that is not finite, a nested array).
bool Fuzzer::asFormula(const Target& t, const std::vector<Arg>& args, std::string& out) const {
  std::function<bool(const Value&, bool, std::string&)> put = [&](const Value& v, bool inArray, std::string& o) {
    switch (v.kind) {
      case Value::Number: {
        if (!std::isfinite(v.num)) return false;
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v.num);
        o += buf;
        return true;
      }
      case Value::Text:
        o += '"';
        for (char c : v.str) o += c == '"' ? std::string("\"\"") : std::string(1, c);
        o += '"';
        return true;
      case Value::Boolean: o += v.flag ? "TRUE" : "FALSE"; return true;
      case Value::Error: {
        if (v.err == 43) return false;
        o += v.display();
        return true;
      }
      case Value::Array: {
        if (inArray || v.elements.size() > 2000) return false;
        o += '{';
        for (size_t i = 0; i < v.elements.size(); ++i) {
          if (i) o += i % static_cast<size_t>(v.columns) == 0 ? ';' : ',';
          if (!put(v.elements[i].is(Value::Nil) ? Value::number(0) : v.elements[i], true, o)) return false;
        }
        o += '}';
        return true;
      }
      default: return !inArray;  // missing or nil: an omitted argument
    }
  };
  out = "=" + t.name + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) out += ",";
    if (args[i].isReference) {
      if (!xlsim::onSheet(args[i].area)) return false;
      out += a1(args[i].area);
    } else if (!put(args[i].value, false, out)) {
      return false;
    }
  }
  out += ")";
  return true;
}

std::string Fuzzer::describe(const Target& t, const std::vector<Arg>& args, const std::string& caller,
                             size_t limit) const {
  std::string s = (caller.empty() ? std::string("<no caller>") : caller) + " =" + t.name + "(";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) s += ",";
    s += args[i].isReference ? a1(args[i].area)
                             : show(args[i].value, limit);
  }
  return s + ")";
}

void Fuzzer::harvest(const Value& v) {
  auto keep = [&](std::vector<std::string>& bag, const std::string& s, size_t cap) {
    if (bag.size() < cap) bag.push_back(s);
    else bag[pick(cap)] = s;
  };
  if (v.is(Value::Text)) {
    if (startsWith(v.str, "#hndl")) keep(handles_, v.str, 64);
    else if (v.str.size() < 64) keep(texts_, v.str, 256);
  } else if (v.is(Value::Array) && v.elements.size() <= 400) {
    if (arrays_.size() < 32) arrays_.push_back(v);
    else arrays_[pick(32)] = v;
    for (const Value& e : v.elements)
      if (e.is(Value::Text) && startsWith(e.str, "#hndl")) keep(handles_, e.str, 64);
  }
}

void Fuzzer::fail(uint64_t index, const std::string& what) {
  ++summary_.failures;
  log_ << "FAIL #" << index << ": " << what << "\n" << std::flush;
}

void Fuzzer::callOnce(uint64_t index) {
  // now and then: the function wizard, a failing host call, uncalculated cells
  if (chance(1) && pick(5) == 0) {
    wizard_ = !wizard_;
    wizard_ ? (void)host_.openWizard() : host_.closeWizard();
  }
  if (index % 20000 == 19999) {  // the whole sheet again: the kept handles change
    host_.recalculate();
    seedHandles_.clear();
    for (int r = 1; r <= 12; ++r) {
      Value v = host_.value("AA" + std::to_string(r));
      if (v.is(Value::Text) && startsWith(v.str, "#hndl")) seedHandles_.push_back(v.str);
    }
  }
  if (index % 500 == 0) {
    dirtyCells();
    resetFiles();
    host_.clearAlerts();
  }
  bool injected = false;
  if (chance(1)) {
    static const int fns[] = {xlfCaller, xlfReftext, xlCoerce, xlGetHwnd, xlfEvaluate,
                              xlSheetNm, xlGetName,  xlcAlert, xlfSearch, xlfDialogBox};
    static const int codes[] = {xlretFailed, xlretUncalced, xlretAbort, xlretInvXloper, xlretInvCount};
    host_.failCall(fns[pick(10)], codes[pick(5)], chance(30));
    injected = true;
  }

  const size_t which = pick(targets_.size());
  const Target& t = targets_[which];
  std::string caller = callerCell();
  std::vector<Arg> args;
  size_t n = t.params.size();
  if (chance(3)) n = pick(n + 2);  // too few or one too many
  for (size_t i = 0; i < n; ++i) args.push_back(i < t.params.size() ? argFor(t, i) : anything());

  std::string desc = describe(t, args, caller, 16);
  setCurrent("#" + std::to_string(index) + " " + desc);
  if (index >= opt_.traceFrom) log_ << "#" << index << " " << describe(t, args, caller, 100000) << "\n" << std::flush;

  auto start = std::chrono::steady_clock::now();
  Value result;
  std::string formulaText;
  try {
    if (t.command) {
      host_.scriptDialog([this](const Value& table) {
        if (chance(30)) return Value::boolean(false);
        Value answer = table;
        if (answer.is(Value::Array) && !answer.elements.empty() && chance(70))
          answer.elements[pick(answer.elements.size())] = chance(50) ? scalar() : Value::number(number());
        return answer;
      });
      result = Value::number(host_.runCommand(t.name));
    } else if (!caller.empty() && chance(3) && asFormula(t, args, formulaText)) {
      try {
        host_.setCell(caller, formulaText);
      } catch (const xlsim::FormulaError&) {
        formulaText.clear();
      } catch (const std::invalid_argument&) {
        formulaText.clear();
      }
      if (!formulaText.empty()) {
        host_.calculate(caller);
        result = host_.value(caller.substr(0, caller.find(':')));
      }
    } else {
      result = host_.call(t.name, args, caller);
    }
  } catch (const std::exception& e) {
    fail(index, desc + ": exception " + e.what());
  } catch (...) {
    fail(index, desc + ": unknown exception");
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (injected) host_.clearFailures();
  if (host_.outstanding() != 0) {
    fail(index, desc + ": " + std::to_string(host_.outstanding()) + " host-owned results not freed");
    host_.clearFailures();
  }
  ++counts_[which].first;
  if (result.is(Value::Error)) {
    ++summary_.errorResults;
    ++counts_[which].second;
  }
  harvest(result);

  auto& slow = summary_.slowest;
  if (slow.size() < 5 || seconds > slow.back().first) {
    // the call's number (for --trace), its cell and function, not its arguments
    slow.emplace_back(seconds, "#" + std::to_string(index) + " " + (caller.empty() ? "<no caller>" : caller) +
                                   " =" + t.name);
    std::sort(slow.begin(), slow.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    if (slow.size() > 5) slow.pop_back();
  }
}

Summary Fuzzer::run() {
  if (targets_.empty()) {
    log_ << "nothing registered to call\n";
    return summary_;
  }
  counts_.assign(targets_.size(), {0, 0});
  resetFiles();
  buildSheet();
  auto start = std::chrono::steady_clock::now();
  for (uint64_t i = 0; i < opt_.calls; ++i) {
    callOnce(i);
    ++summary_.calls;
    if (opt_.progressEvery && (i + 1) % opt_.progressEvery == 0)
      log_ << "calls: " << (i + 1) << ", failures: " << summary_.failures << ", seconds: "
           << std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() << "\n"
           << std::flush;
  }
  setCurrent("");
  if (wizard_) host_.closeWizard();
  if (opt_.stats)
    for (size_t i = 0; i < targets_.size(); ++i)
      summary_.perTarget.push_back(targets_[i].name + " " + std::to_string(counts_[i].first) + " calls, " +
                                   std::to_string(counts_[i].second) + " errors");
  summary_.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return summary_;
}

}  // namespace zrfuzz
