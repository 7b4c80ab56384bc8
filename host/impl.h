// Internal state of the simulated host, shared by its parts: host.cpp (its
// life, the add-in and its registrations), sheet.cpp (cells and the dependents
// index), calc.cpp (calculation and evaluation), procedure.cpp (calling a
// registered procedure) and calls.cpp (the host functions the add-in calls).
#pragma once

#include <ffi.h>

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <string>
#include <utility>
#include <vector>

#include "host/convert.h"
#include "host/grid.h"
#include "host/host.h"

namespace xlsim {

struct Host::Impl : standin::CallHandler {
  Host* self = nullptr;
  int callbackVersion = 0x0C00;

  // ---- the add-in ----
  void* module = nullptr;
  std::string path;       // as loaded (the copy, when one was made)
  std::string requested;  // as given to load
  std::string copyDir;    // private directory of the copy, removed on unload
  int autoOpen = 0;

  // ---- registrations ----
  std::vector<Registration> regs;
  double nextId = 40001;
  struct Refusal {
    Value answer;
    int code = 0;
  };
  std::map<std::string, Refusal> refusals;
  std::map<std::string, int> timesCalled;  // lower-case function text
  // A registered procedure ready to call: its letters and libffi's call frame.
  struct Prepared {
    bool ok = false;
    char ret = 0;
    std::string params;  // one letter per argument
    std::vector<ffi_type*> types;
    ffi_cif cif;
    bool direct = false;  // pointers in and out, few: called without libffi
    int* calls = nullptr;  // its count in timesCalled (by lower-case function text)
  };
  // By index into regs. A registration never changes once made (it is only
  // marked unregistered), so its entry stays where it is, also while a call
  // made with it registers more and regs moves; dropped with regs on load.
  std::vector<std::unique_ptr<Prepared>> prepared;
  // Caches over regs, dropped whenever a registration changes.
  std::unordered_map<std::string, int> functionIndex;  // lower-case text -> index or -1
  // The last name findFunction was asked for, as written, and its answer.
  std::string lastName;
  int lastIndex = -1;
  // The last registration prepare was asked for and its answer.
  const Registration* lastReg = nullptr;
  const Prepared* lastPrepared = nullptr;
  unsigned regsVersion = 0;  // counts the changes
  void registrationsChanged() {
    functionIndex.clear();
    lastName.clear();
    lastReg = nullptr;
    lastPrepared = nullptr;
    ++regsVersion;
  }
  // reg is an element of regs.
  const Prepared& prepare(const Registration& reg);

  // ---- the sheet ----
  struct Formula {
    Area area;
    Expr expr;
    std::vector<Area> refs;  // every reference on the sheet it holds (the dependents index)
    bool array = false;  // entered over a range
    bool dirty = true;   // not yet calculated in this calculation
    bool busy = false;   // on the work stack, waiting for what it needs
    bool cycle = false;  // found in a cycle while being calculated
    bool removed = false;
    size_t stackPos = 0;  // its place on the work stack while busy
  };
  struct Cell {
    Value value;
    int formula = -1;  // index into formulas, -1 for a constant
  };
  std::vector<Formula> formulas;
  Grid<Cell> cells;
  Cell* cellAt(int row, int col) { return cells.find(row, col); }
  const Cell* cellAt(int row, int col) const { return cells.find(row, col); }
  void putCell(int row, int col, Cell cell) { cells.put(row, col) = std::move(cell); }

  // Dependents index: formulas by the single cells they refer to (a list
  // in order of entry, linked through depLinks), and formulas with a range
  // reference by the bands of rows the range touches.
  static constexpr int kBandRows = 256;
  struct DepList {
    int first = -1, last = -1;  // into depLinks
  };
  struct DepLink {
    int formula = -1;
    int next = -1;  // the next link of the list, or of the free links
  };
  Grid<DepList> cellDependents;
  std::vector<DepLink> depLinks;
  int freeLinks = -1;
  std::unordered_map<int32_t, std::vector<int>> bandDependents;
  void clearDependents();
  void indexFormula(int index, bool add);
  template <class Fn>
  void forEachDependent(const Area& changed, Fn fn);
  // Formulas with a cell in the area (an array formula once per run of cells).
  template <class Fn>
  void forEachFormulaIn(const Area& area, Fn fn);

  // Calculation: formulas waiting on the work stack, and the formulas that
  // the current evaluation met uncalculated (it runs again once they are).
  std::vector<int> work;
  std::vector<int> needs;
  std::vector<int> spareList;  // storage for calcFormula's list, kept between calls
  int inCallback = 0;     // depth of host calls being answered
  int evaluateDepth = 0;  // nesting of xlfEvaluate

  // ---- calls in progress ----
  struct Frame {
    bool hasCaller = false;
    Area caller;
  };
  std::vector<Frame> frames;
  int readOnly = 0;  // > 0: references are read as they stand, no uncalculated cell is noted

  // ---- host-call bookkeeping ----
  // Calls by function number: a flat table for the numbers the host knows
  // (below 0x10000), a map for any other.
  struct CallCounts {
    std::vector<int> flat;
    std::map<int, int> other;
    int& operator[](int xlfn) {
      if (xlfn < 0 || xlfn >= 0x10000) return other[xlfn];
      const size_t i = static_cast<size_t>(xlfn);
      if (i >= flat.size()) flat.resize(i + 1);
      return flat[i];
    }
    int get(int xlfn) const {
      if (xlfn >= 0 && static_cast<size_t>(xlfn) < flat.size()) return flat[static_cast<size_t>(xlfn)];
      auto it = other.find(xlfn);
      return it == other.end() ? 0 : it->second;
    }
    void clear() {
      flat.clear();
      other.clear();
    }
  };
  CallCounts counts, wideCounts;
  struct Failure {
    int code = 0;
    bool always = false;
  };
  std::map<int, Failure> failures;
  std::map<const void*, std::unique_ptr<Arena>> owned;  // host-owned results by storage pointer
  std::vector<std::string> alerts;
  std::function<void(const std::string&)> alertSink;
  NoteSink noteSink;
  // Tells the sink, when there is one, why a call was not made; why() gives
  // the reason.
  template <class Why>
  void note(const Area* caller, Why why) {
    if (noteSink) noteSink(caller, why());
  }
  DialogScript dialogScript;
  std::vector<Value> dialogTables;

  // ---- windows ----
  HWND mainWindow = nullptr;
  std::vector<HWND> wizards;

  // standin::CallHandler
  int version() override { return callbackVersion; }
  int call(int xlfn, LPXLOPER result, int count, LPXLOPER opers[]) override;
  int callWide(int xlfn, LPXLOPER12 result, int count, LPXLOPER12 opers[]);
  template <class X>
  int answer(int xlfn, X* result, int count, X* opers[], bool wide);

  // host functions over host values (calls.cpp); the result may be a reference
  int dispatch(int xlfn, const std::vector<Arg>& args, Arg& result, bool wide);
  bool checkFailure(int xlfn, int& code);
  template <class X>
  void handOut(const Arg& r, X& x);
  template <class X>
  void freeOwned(X* x);

  // registration and reference texts (calls.cpp)
  int doRegister(const std::vector<Arg>& args, Arg& result, bool wide);
  std::string reftext(const Area& a, bool a1) const;

  // the sheet (sheet.cpp)
  Formula* formulaAt(int row, int col);
  Value cellValue(int row, int col) const;
  void removeFormula(int index);
  void markDependentsDirty(const Area& changed);

  // calculation (calc.cpp)
  void calcFormula(int index);
  bool attempt(int index, Value& v);
  bool pushWaiting(const std::vector<int>& list);
  void collectPrecedents(const Expr& e, std::vector<int>& out);
  void markCycle(int index);
  void calculateDirty();
  void writeResult(Formula& f, Value&& v);
  bool formulaVolatile(const Expr& e);
  // Notes the uncalculated formulas of an area in needs.
  void noteUncalculated(const Area& area);
  // Leaves an evaluation that needs uncalculated cells: throws NeedsCalc at
  // the host's own level, gives #VALUE! inside a host call (the add-in's
  // result is dropped and the call made again).
  Arg bail();
  // Runs a call from outside a calculation, calculating what it needs first.
  template <class Fn>
  auto fromOutside(Fn fn) -> decltype(fn());
  // Expression evaluation; the result may be a reference.
  Arg eval(const Expr& e);
  // #NAME? for a call of a name nothing is registered as.
  Arg unknownName(const std::string& name);
  // A reference becomes its value (a cell) or values (an array).
  Value resolve(const Arg& a);
  Value resolve(Arg&& a);
  Value scalarOf(const Arg& a);
  // The same value without a copy: a cell's own value, an element of the
  // argument, or hold set to the value.
  const Value& scalarRef(const Arg& a, Value& hold);

  // calling a registered procedure (procedure.cpp)
  // args is padded with missing arguments to the procedure's count.
  Arg invoke(const Registration& reg, std::vector<Arg>& args, const Area* caller);
  // #VALUE! for a call the host cannot make, and why.
  Arg cannotCall(const Registration& reg, const Area* caller, const std::string& why);
  // What a call gives when an argument could not be laid out: the error value
  // passed on, or, for an argument the host refused, #VALUE! and the note why.
  Arg refused(const Registration& reg, const Area* caller, size_t index, char letter, const Arg& arg,
              Value&& instead);
  const char* refusal = nullptr;  // why the host refused an argument, until refused() reads it
  std::vector<std::vector<Arg>> spareArgs;  // argument lists kept for reuse

  // the add-in and its registrations (host.cpp)
  Registration* findFunction(const std::string& name);
  void unloadModule(bool remove);
};

// Holds a frame of the call stack for the life of a scope.
struct FramePush {
  std::vector<Host::Impl::Frame>& frames;
  FramePush(std::vector<Host::Impl::Frame>& f, const Host::Impl::Frame& top) : frames(f) { frames.push_back(top); }
  ~FramePush() { frames.pop_back(); }
};

// Thrown by an evaluation at the host's own level that needs uncalculated
// formulas first (they are in Host::Impl::needs).
struct NeedsCalc {};

std::string lowerText(std::string s);
// The area of a reference text ("B2", "A1:C3"); std::invalid_argument when
// it is not one on the sheet.
Area parseRef(const std::string& ref);
// The value of a constant term of a formula (#VALUE! for any other term).
Value constantOf(const Expr& e);
// The state of the live Host, or null.
Host::Impl* liveImpl();

}  // namespace xlsim
