// The simulated spreadsheet host: loads an add-in, keeps what it registers,
// answers its call-backs, and calculates one sheet of formulas that call the
// registered functions.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/formula.h"
#include "platform/standin.h"
#include "platform/xlcall.h"

namespace xlsim {

constexpr const char* kBookName = "Book1";
constexpr const char* kSheetName = "Sheet1";
constexpr IDSHEET kSheetId = 0x5E1;
// The sheet: 65,536 rows by 256 columns (A1:IV65536).
constexpr int kSheetRows = 65536;
constexpr int kSheetColumns = 256;
// The area lies on the sheet.
bool onSheet(const Area& a);

// ---- values --------------------------------------------------------------------

// A value as the host keeps it in a cell or passes it around.
struct Value {
  enum Kind { Nil, Number, Text, Boolean, Error, Missing, Array };
  Kind kind = Nil;
  double num = 0;
  std::string str;  // Text
  bool flag = false;  // Boolean
  int err = 0;  // Error: an xlerr code
  int rows = 0, columns = 0;  // Array
  std::vector<Value> elements;  // Array, row-major

  static Value nil();
  static Value missing();
  static Value number(double x);
  static Value text(const std::string& s);
  static Value boolean(bool b);
  static Value error(int code);
  static Value array(int rows, int columns, std::vector<Value> elements);

  bool is(Kind k) const { return kind == k; }
  // Element (r, c) of an array; the value itself for any other kind.
  const Value& at(int r, int c) const;
  // "num", "str", "bool", "err", "nil", "missing", "multi".
  std::string kindName() const;
  // The value as a cell shows it: shortest number, text, TRUE/FALSE,
  // "#VALUE!", "" for nil and missing, "{1,2;3,4}" for an array.
  std::string display() const;
  // Exact equality (texts with letter case, numbers by ==, arrays elementwise).
  bool operator==(const Value& o) const;
  bool operator!=(const Value& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& os, const Value& v);

// The host's reading of an add-in value (references give #VALUE!).
Value toValue(const xloper& x);
Value toValue(const xloper12& x);

// An xloper built from a Value that owns its storage (texts of more than 255
// characters are cut), for tests that call the host or a procedure themselves.
class HostOper {
 public:
  explicit HostOper(const Value& v = Value::nil());
  // A single-area reference on the sheet: xltypeSRef, or xltypeRef with the
  // sheet id when multi is true.
  static HostOper reference(const Area& area, bool multi = false);
  HostOper(const HostOper&) = delete;
  HostOper& operator=(const HostOper&) = delete;
  HostOper(HostOper&&) noexcept;
  HostOper& operator=(HostOper&&) noexcept;
  ~HostOper();
  xloper* get() { return &x_; }
  operator xloper*() { return &x_; }

 private:
  struct Storage;
  xloper x_{};
  std::unique_ptr<Storage> s_;
};

// An argument of a direct call: a value or a reference to an area of the sheet.
struct Arg {
  Value value;
  bool isReference = false;
  Area area;

  Arg() : value(Value::missing()) {}
  Arg(const Value& v) : value(v) {}  // NOLINT: implicit on purpose
  Arg(Value&& v) : value(std::move(v)) {}  // NOLINT
  Arg(double x) : value(Value::number(x)) {}  // NOLINT
  Arg(int x) : value(Value::number(x)) {}  // NOLINT
  static Arg ref(const Area& a);
  static Arg ref(const std::string& a1);  // "B2", "A1:C3"; throws on a bad text
};

// ---- registrations -------------------------------------------------------------

// One xlfRegister call, as the host received and answered it.
struct Registration {
  std::vector<Value> elements;  // every value passed, the module text first
  // The elements read as texts ("" when absent or not a text).
  std::string module, procedure, typeText, functionText, argumentText;
  std::string category, shortcut, helpTopic, functionHelp;
  std::vector<std::string> argumentHelp;
  int macroType = 1;  // 1 function, 2 command (element 5; 1 when absent)
  bool wide = false;  // came through MdCallBack12
  void* address = nullptr;  // the procedure as GetProcAddress found it
  int returnCode = 0;  // what xlfRegister returned
  Value result;  // what xlfRegister answered (the id, or an error value)
  double id = 0;  // register id; 0 when refused
  bool accepted = false;  // an id was given
  bool unregistered = false;  // xlfUnregister(id) or the add-in was unloaded
  bool active() const { return accepted && !unregistered; }
  bool isVolatile() const;  // '!' in the type text
};

// ---- the host ------------------------------------------------------------------

class Host {
 public:
  // Installs itself as the stand-in's call-back handler and creates the main
  // window (class "XLMAIN"), which becomes the active window. One live Host at
  // a time: a second one throws std::logic_error.
  Host();
  ~Host();  // unloads the add-in (xlAutoClose), closes its windows, uninstalls
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The Host that is live, or null.
  static Host* current();

  // Call-back version answered by XLCallVer (0x0C00 by default; 0x0B00 also
  // switches the wide entry off: MdCallBack12 then answers 32).
  void setVersion(int version);
  int version() const;

  // ---- add-in lifecycle ----
  // dlopen, DllMain(module, DLL_PROCESS_ATTACH, 0), then xlAutoOpen. False
  // (with the reason in error) when the module cannot be loaded. The list of
  // registrations starts afresh. If an earlier load of the same file is still
  // mapped, a private copy (whose name also ends in ".xll") is loaded instead,
  // so every load starts with fresh static state.
  bool load(const std::string& path, std::string* error = nullptr);
  bool loaded() const;
  int autoOpenResult() const;  // what xlAutoOpen returned (0 when absent)
  // [xlAutoRemove when remove], xlAutoClose, DllMain(module,
  // DLL_PROCESS_DETACH, 0), dlclose. Registrations of the module are marked
  // unregistered.
  void unload(bool remove = false);
  // The path xlGetName answers (the copy, when one was made); "" when none.
  const std::string& addinPath() const;
  // The path given to load.
  const std::string& requestedPath() const;
  void* moduleHandle() const;
  // An exported symbol of the module (found through GetProcAddress), or null.
  void* symbol(const std::string& name) const;
  // Calls a hook int(void) by name (xlAutoOpen, xlAutoClose, xlAutoAdd,
  // xlAutoRemove, ...); -1 when the module does not export it.
  int callHook(const std::string& name);
  // xlAutoRegister / xlAutoRegister12 with a text; a copy of what it returned
  // (Missing when the hook is absent or returned null).
  Value autoRegister(const std::string& name);
  Value autoRegister12(const std::string& name);
  // xlAutoFree with the pointer; false when the hook is absent.
  bool autoFree(xloper* p);

  // ---- registrations ----
  // Every xlfRegister call in order, refused and unregistered ones included.
  const std::vector<Registration>& registrations() const;
  // The active function or command registered under this function text
  // (without regard to letter case), or null.
  const Registration* function(const std::string& functionText) const;
  // The latest registration of this procedure name (exact), or null.
  const Registration* procedure(const std::string& procedureName) const;
  // Makes the next registrations of a procedure fail: with returnCode 0 the
  // host answers the given value (an error value); otherwise it returns that
  // code and leaves the result as the add-in set it.
  void refuseRegistration(const std::string& procedureName, const Value& answer = Value::error(xlerrValue),
                          int returnCode = xlretSuccess);
  void clearRefusals();

  // ---- the sheet ----
  // A sheet-file cell: REF is a cell ("B2") or, for an array formula, a range
  // ("D1:E3"); CONTENT starting with '=' is a formula, else a constant.
  // Throws std::invalid_argument (bad reference, a constant over a range, a
  // change to part of an array) or xlsim::FormulaError. Formulas that depend
  // on a changed cell are marked for the next calculate().
  void setCell(const std::string& ref, const std::string& content);
  void setValue(const std::string& ref, const Value& v);  // a constant in one cell
  void clearCell(const std::string& ref);  // a cell, or the whole array it belongs to
  void clearSheet();
  // What the cell shows now (Nil when empty or not yet calculated).
  Value value(const std::string& ref) const;
  Value value(int row, int col) const;
  // Values of an area as an array (a single cell as a 1 x 1 array).
  Value values(const std::string& ref) const;
  bool isFormula(const std::string& ref) const;
  // False for a formula cell still waiting for calculation.
  bool isCalculated(const std::string& ref) const;
  // Cells that hold something (constants and formula cells), row-major.
  std::vector<std::pair<Area, Value>> nonEmptyCells() const;
  // fn(row, col, value) for the same cells, without copying them.
  void forEachCell(const std::function<void(int row, int col, const Value& v)>& fn) const;
  // Bounding area of the used cells; false for an empty sheet.
  bool usedArea(Area& area) const;

  // Calculates every formula not yet calculated (new, changed, depending on a
  // change) and every volatile one, in row-major order of their first cell,
  // each first calculating the cells it needs. Cells in a cycle become #REF!.
  // A formula that meets an uncalculated cell while it runs (a returned
  // reference, xlCoerce or xlfEvaluate answering 64) runs again once the cell
  // is calculated. A number that is not finite becomes #NUM!.
  void calculate();
  // Calculates that cell (or the array formula it belongs to) again, only it.
  void calculate(const std::string& ref);
  // Calculates every formula again, in the same order.
  void recalculate();

  // Calls a registered function directly (name without regard to letter
  // case) with the given arguments, as if from the caller cell or range
  // ("" = no caller: xlfCaller then gives an error value). invoke keeps a
  // returned reference; call turns it into the referenced value(s).
  Arg invoke(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller = "");
  Value call(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller = "");
  // Evaluates a formula text as xlfEvaluate does. xlfEvaluate nests at most
  // 64 deep; deeper it answers #VALUE!.
  Value evaluate(const std::string& formula, const std::string& caller = "");
  // Runs a registered command (macro type 2) by its macro text; its return
  // value, or -1 when there is no such command.
  int runCommand(const std::string& macroText);
  // How often the host called the registered function (by function text).
  int timesCalled(const std::string& functionText) const;

  // ---- host calls ----
  // Calls per function number since the last reset (classic path, and wide).
  int callCount(int xlfn) const;
  int wideCallCount(int xlfn) const;
  void resetCallCounts();
  // Makes calls of xlfn return code without doing anything: once, or until
  // clearFailures.
  void failCall(int xlfn, int code, bool always = false);
  void clearFailures();
  // Host-owned results (texts, arrays, references) handed out and not yet
  // given back with xlFree.
  int outstanding() const;

  // Texts shown with xlcAlert, in order; a sink also sees each (xlhost prints
  // them to standard error).
  const std::vector<std::string>& alerts() const;
  void clearAlerts();
  void setAlertSink(std::function<void(const std::string&)> sink);

  // Why the host gave an error value in place of a call: a function name it
  // does not know (#NAME?), more arguments than the function takes, an
  // argument it cannot pass as its type, a type text it cannot call
  // (#VALUE!). The sink gets the calling cell or range (null without one)
  // and the reason, which ends with the error value in parentheses; xlhost
  // prints it to standard error.
  using NoteSink = std::function<void(const Area* caller, const std::string& why)>;
  void setNoteSink(NoteSink sink);

  // xlfDialogBox: the script gets the dialog table (7 columns) and gives the
  // answer (the changed table, or FALSE for Cancel). Without a script the host
  // presses OK: the table comes back with row 0, column 6 set to the row of
  // the first OK button (kind 1 or 3).
  using DialogScript = std::function<Value(const Value& table)>;
  void scriptDialog(DialogScript script);
  const std::vector<Value>& dialogs() const;  // every table shown

  // ---- windows ----
  HWND mainWindow() const;
  HWND openWindow(const std::string& className, const std::string& title, HWND parent);
  void closeWindow(HWND window);
  // A function-wizard window (class "bosa_sdm_XL9") under the main window.
  HWND openWizard();
  void closeWizard();  // closes every window opened by openWizard
  bool wizardOpen() const;

  struct Impl;

 private:
  friend Impl* liveImpl();
  std::unique_ptr<Impl> impl_;
};

}  // namespace xlsim

// The wide call-back entry of the host process.
extern "C" int WINAPI MdCallBack12(int xlfn, int count, LPXLOPER12 opers[], LPXLOPER12 res);
