// The simulated host: add-in lifecycle, the sheet, calculation and calls of
// registered functions.
#include <dlfcn.h>
#include <ffi.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <set>
#include <stdexcept>

#include "host/impl.h"
#include "host/text.h"

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr ffi_abi kProcedureAbi = FFI_STDCALL;  // registered procedures are __stdcall
#else
constexpr ffi_abi kProcedureAbi = FFI_DEFAULT_ABI;
#endif

namespace xlsim {

namespace {

Host* liveHost = nullptr;
constexpr size_t kMaxCells = size_t{1} << 22;

// Files whose earlier load stayed mapped after dlclose.
std::set<std::string>& stuckFiles() {
  static std::set<std::string> s;
  return s;
}

bool intersects(const Area& a, const Area& b) {
  return a.row1 <= b.row2 && b.row1 <= a.row2 && a.col1 <= b.col2 && b.col1 <= a.col2;
}

bool contains(const Area& outer, const Area& inner) {
  return outer.row1 <= inner.row1 && inner.row2 <= outer.row2 && outer.col1 <= inner.col1 &&
         inner.col2 <= outer.col2;
}

Area parseRef(const std::string& ref) {
  Area a;
  if (!parseArea(ref, a) || !onSheet(a)) throw std::invalid_argument("not a reference on the sheet: " + ref);
  return a;
}

void collectRefs(const Expr& e, std::vector<Area>& out) {
  if (e.kind == Expr::Reference && onSheet(e.area)) out.push_back(e.area);
  for (const auto& a : e.args) collectRefs(a, out);
}

int32_t cellKey(int row, int col) { return row * kSheetColumns + col; }

// Holds a frame of the call stack for the life of a scope.
struct FramePush {
  std::vector<Host::Impl::Frame>& frames;
  FramePush(std::vector<Host::Impl::Frame>& f, const Host::Impl::Frame& top) : frames(f) { frames.push_back(top); }
  ~FramePush() { frames.pop_back(); }
};

// A number that is not finite shows #NUM!, alone or in an array.
Value finite(Value v) {
  if (v.kind == Value::Number && !std::isfinite(v.num)) return Value::error(xlerrNum);
  if (v.kind == Value::Array)
    for (auto& e : v.elements)
      if (e.kind == Value::Number && !std::isfinite(e.num)) e = Value::error(xlerrNum);
  return v;
}

Value constantOf(const Expr& e) {
  switch (e.kind) {
    case Expr::Number: return Value::number(e.number);
    case Expr::Text: return Value::text(e.text);
    case Expr::Boolean: return Value::boolean(e.boolean);
    case Expr::Error: return Value::error(e.error);
    case Expr::Missing: return Value::missing();
    default: return Value::error(xlerrValue);
  }
}

// One letter of a type text with its suffixes.
struct Letter {
  char code = 0;
  bool macro = false;
  bool vol = false;
};

bool parseType(const std::string& t, std::vector<Letter>& out) {
  for (char c : t) {
    if (c == '#' || c == '!' || c == '$' || c == '&' || c == '%') {
      if (out.empty()) return false;
      if (c == '#') out.back().macro = true;
      if (c == '!') out.back().vol = true;
    } else if (std::isalnum(static_cast<unsigned char>(c))) {
      out.push_back(Letter{static_cast<char>(std::toupper(static_cast<unsigned char>(c)))});
    } else {
      return false;
    }
  }
  return !out.empty();
}

ffi_type* ffiType(char code) {
  switch (code) {
    case 'A': return &ffi_type_sint16;
    case 'B': return &ffi_type_double;
    case 'J': return &ffi_type_sint32;
    case 'C':
    case 'F':
    case 'K':
    case 'P':
    case 'R': return &ffi_type_pointer;
    default: return nullptr;
  }
}


}  // namespace

bool onSheet(const Area& a) {
  return a.row1 >= 0 && a.col1 >= 0 && a.row1 <= a.row2 && a.col1 <= a.col2 && a.row2 < kSheetRows &&
         a.col2 < kSheetColumns;
}

std::string lowerText(std::string s) {
  for (auto& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Registration::isVolatile() const { return typeText.find('!') != std::string::npos; }

// ---- construction ----------------------------------------------------------------

Host::Host() {
  if (liveHost) throw std::logic_error("xlsim::Host: another host is live");
  impl_ = std::make_unique<Impl>();
  impl_->self = this;
  impl_->mainWindow = standin::createWindow("XLMAIN", std::string(kBookName) + " - xlsim");
  standin::setActiveWindow(impl_->mainWindow);
  standin::setCallHandler(impl_.get());
  liveHost = this;
}

Host::~Host() {
  try {
    if (impl_->module) impl_->unloadModule(false);
  } catch (...) {
  }
  standin::destroyWindow(impl_->mainWindow);
  for (HWND w : impl_->wizards) standin::destroyWindow(w);
  if (standin::callHandler() == impl_.get()) standin::setCallHandler(nullptr);
  liveHost = nullptr;
}

Host* Host::current() { return liveHost; }
Host::Impl* liveImpl() { return liveHost ? liveHost->impl_.get() : nullptr; }

void Host::setVersion(int version) { impl_->callbackVersion = version; }
int Host::version() const { return impl_->callbackVersion; }

// ---- add-in lifecycle ----------------------------------------------------------------

bool Host::load(const std::string& path, std::string* error) {
  Impl& m = *impl_;
  if (m.module) m.unloadModule(false);
  m.regs.clear();
  m.registrationsChanged();
  m.autoOpen = 0;
  std::error_code ec;
  std::string file = fs::absolute(path, ec).lexically_normal().string();
  if (ec || !fs::is_regular_file(file)) {
    if (error) *error = "no such file: " + path;
    return false;
  }
  // A module that an earlier load left mapped would come back with its old
  // static state: load a private copy instead.
  void* probe = dlopen(file.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (probe) dlclose(probe);
  std::string target = file;
  if (probe || stuckFiles().count(file)) {
    char dir[] = "/tmp/xlsim-XXXXXX";
    if (!mkdtemp(dir)) {
      if (error) *error = "cannot make a private copy of " + file;
      return false;
    }
    std::string name = fs::path(file).filename().string();
    if (name.size() < 4 || lowerText(name.substr(name.size() - 4)) != ".xll") name += ".xll";
    target = std::string(dir) + "/" + name;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      fs::remove_all(dir, ec);
      if (error) *error = "cannot make a private copy of " + file;
      return false;
    }
    m.copyDir = dir;
  }
  m.requested = file;
  m.path = target;  // xlGetName already answers during static initialisation
  void* h = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    if (error) *error = dlerror();
    if (!m.copyDir.empty()) fs::remove_all(m.copyDir, ec);
    m.copyDir.clear();
    m.path.clear();
    m.requested.clear();
    return false;
  }
  m.module = h;
  m.frames.push_back(Impl::Frame{});
  using DllMainProc = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  if (auto dllMain = reinterpret_cast<DllMainProc>(symbol("DllMain")))
    dllMain(reinterpret_cast<HINSTANCE>(h), DLL_PROCESS_ATTACH, nullptr);
  m.frames.pop_back();
  int r = callHook("xlAutoOpen");
  m.autoOpen = r < 0 ? 0 : r;
  return true;
}

bool Host::loaded() const { return impl_->module != nullptr; }
int Host::autoOpenResult() const { return impl_->autoOpen; }
void Host::unload(bool remove) { impl_->unloadModule(remove); }
const std::string& Host::addinPath() const { return impl_->path; }
const std::string& Host::requestedPath() const { return impl_->requested; }
void* Host::moduleHandle() const { return impl_->module; }

void Host::Impl::unloadModule(bool remove) {
  if (!module) return;
  if (remove) self->callHook("xlAutoRemove");
  self->callHook("xlAutoClose");
  using DllMainProc = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);
  if (auto dllMain = reinterpret_cast<DllMainProc>(self->symbol("DllMain"))) {
    frames.push_back(Frame{});
    dllMain(static_cast<HINSTANCE>(module), DLL_PROCESS_DETACH, nullptr);
    frames.pop_back();
  }
  for (auto& r : regs) r.unregistered = true;
  registrationsChanged();
  dlclose(module);
  module = nullptr;
  void* probe = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (probe) {
    dlclose(probe);
    stuckFiles().insert(requested);
  }
  std::error_code ec;
  if (!copyDir.empty()) fs::remove_all(copyDir, ec);
  copyDir.clear();
  path.clear();
}

void* Host::symbol(const std::string& name) const {
  if (!impl_->module) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(impl_->module), name.c_str()));
}

int Host::callHook(const std::string& name) {
  auto hook = reinterpret_cast<int(WINAPI*)()>(symbol(name));
  if (!hook) return -1;
  impl_->frames.push_back(Impl::Frame{});
  int r = hook();
  impl_->frames.pop_back();
  return r;
}

Value Host::autoRegister(const std::string& name) {
  auto hook = reinterpret_cast<xloper*(WINAPI*)(xloper*)>(symbol("xlAutoRegister"));
  if (!hook) return Value::missing();
  HostOper arg(Value::text(name));
  impl_->frames.push_back(Impl::Frame{});
  xloper* r = hook(arg.get());
  impl_->frames.pop_back();
  return r ? toValue(*r) : Value::missing();
}

Value Host::autoRegister12(const std::string& name) {
  auto hook = reinterpret_cast<xloper12*(WINAPI*)(xloper12*)>(symbol("xlAutoRegister12"));
  if (!hook) return Value::missing();
  Arena a;
  xloper12 arg;
  putValue(Value::text(name), arg, a);
  impl_->frames.push_back(Impl::Frame{});
  xloper12* r = hook(&arg);
  impl_->frames.pop_back();
  return r ? toValue(*r) : Value::missing();
}

bool Host::autoFree(xloper* p) {
  auto hook = reinterpret_cast<void(WINAPI*)(xloper*)>(symbol("xlAutoFree"));
  if (!hook) return false;
  hook(p);
  return true;
}

// ---- registrations ---------------------------------------------------------------

const std::vector<Registration>& Host::registrations() const { return impl_->regs; }

const Registration* Host::function(const std::string& functionText) const {
  const std::string key = lowerText(functionText);
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it)
    if (it->active() && lowerText(it->functionText) == key) return &*it;
  return nullptr;
}

const Registration* Host::procedure(const std::string& procedureName) const {
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it)
    if (it->procedure == procedureName) return &*it;
  return nullptr;
}

void Host::refuseRegistration(const std::string& procedureName, const Value& answer, int returnCode) {
  impl_->refusals[procedureName] = Impl::Refusal{answer, returnCode};
}

void Host::clearRefusals() { impl_->refusals.clear(); }

Registration* Host::Impl::findFunction(const std::string& name) {
  std::string key = lowerText(name);
  auto found = functionIndex.find(key);
  if (found == functionIndex.end()) {
    int index = -1;
    for (size_t i = regs.size(); i-- > 0;)
      if (regs[i].active() && regs[i].macroType == 1 && lowerText(regs[i].functionText) == key) {
        index = static_cast<int>(i);
        break;
      }
    found = functionIndex.emplace(std::move(key), index).first;
  }
  return found->second < 0 ? nullptr : &regs[static_cast<size_t>(found->second)];
}

const Host::Impl::Prepared& Host::Impl::prepare(const Registration& reg) {
  std::unique_ptr<Prepared>& slot = prepared[&reg];
  if (slot) return *slot;
  slot = std::make_unique<Prepared>();
  Prepared& p = *slot;
  p.name = lowerText(reg.functionText);
  std::vector<Letter> letters;
  if (!reg.address || !parseType(reg.typeText, letters)) return p;
  p.ret = letters[0].code;
  ffi_type* rtype = ffiType(p.ret);
  if (!rtype || p.ret == 'F' || p.ret == 'K') return p;
  for (size_t i = 1; i < letters.size(); ++i) {
    ffi_type* t = ffiType(letters[i].code);
    if (!t) return p;
    p.params += letters[i].code;
    p.types.push_back(t);
  }
  p.ok = ffi_prep_cif(&p.cif, kProcedureAbi, static_cast<unsigned>(p.types.size()), rtype,
                      p.types.data()) == FFI_OK;
  return p;
}

// ---- the sheet -------------------------------------------------------------------

Host::Impl::Cell* Host::Impl::cellAt(int row, int col) const {
  auto it = cellIndex.find(cellKey(row, col));
  return it == cellIndex.end() ? nullptr : it->second;
}

void Host::Impl::putCell(int row, int col, Cell cell) {
  Cell& c = cells[{row, col}];
  c = std::move(cell);
  cellIndex[cellKey(row, col)] = &c;
}

void Host::Impl::clearCells() {
  cells.clear();
  cellIndex.clear();
}

Host::Impl::Formula* Host::Impl::formulaAt(int row, int col) {
  Cell* c = cellAt(row, col);
  return c && c->formula >= 0 ? &formulas[static_cast<size_t>(c->formula)] : nullptr;
}

Value Host::Impl::cellValue(int row, int col) const {
  Cell* c = cellAt(row, col);
  return c ? c->value : Value::nil();
}

void Host::Impl::removeFormula(int index) {
  Formula& f = formulas[static_cast<size_t>(index)];
  if (f.removed) return;
  indexFormula(index, false);
  f.removed = true;
}

void Host::Impl::indexFormula(int index, bool add) {
  auto update = [&](std::vector<int>& list) {
    if (add) {
      list.push_back(index);
    } else {
      auto it = std::find(list.begin(), list.end(), index);
      if (it != list.end()) list.erase(it);
    }
  };
  const Formula& f = formulas[static_cast<size_t>(index)];
  for (const Area& r : f.refs) {
    if (r.single()) {
      update(cellDependents[cellKey(r.row1, r.col1)]);
    } else {
      for (int b = r.row1 / kBandRows; b <= r.row2 / kBandRows; ++b) {
        std::vector<int>& list = bandDependents[b];
        // a formula with several ranges in one band is listed once
        if (!add || list.empty() || list.back() != index) update(list);
      }
    }
  }
}

template <class Fn>
void Host::Impl::forEachDependent(const Area& changed, Fn fn) {
  auto call = [&](const std::vector<int>& list) {
    for (size_t k = 0; k < list.size(); ++k) fn(list[k]);
  };
  size_t area = static_cast<size_t>(changed.rows()) * static_cast<size_t>(changed.columns());
  if (area <= cellDependents.size()) {
    for (int r = changed.row1; r <= changed.row2; ++r)
      for (int c = changed.col1; c <= changed.col2; ++c) {
        auto it = cellDependents.find(cellKey(r, c));
        if (it != cellDependents.end()) call(it->second);
      }
  } else {
    for (const auto& [key, list] : cellDependents)
      if (key / kSheetColumns >= changed.row1 && key / kSheetColumns <= changed.row2 &&
          key % kSheetColumns >= changed.col1 && key % kSheetColumns <= changed.col2)
        call(list);
  }
  for (int b = changed.row1 / kBandRows; b <= changed.row2 / kBandRows; ++b) {
    auto it = bandDependents.find(b);
    if (it == bandDependents.end()) continue;
    for (int i : it->second) {
      const Formula& f = formulas[static_cast<size_t>(i)];
      for (const Area& r : f.refs)
        if (!r.single() && intersects(r, changed)) {
          fn(i);
          break;
        }
    }
  }
}

template <class Fn>
void Host::Impl::forEachFormulaIn(const Area& area, Fn fn) {
  if (area.single()) {
    Cell* c = cellAt(area.row1, area.col1);
    if (c && c->formula >= 0) fn(c->formula);
    return;
  }
  int last = -1;
  auto it = cells.lower_bound({area.row1, area.col1});
  while (it != cells.end() && it->first.first <= area.row2) {
    int r = it->first.first;
    if (it->first.second > area.col2) {
      it = cells.lower_bound({r + 1, area.col1});
      continue;
    }
    if (it->first.second < area.col1) {
      it = cells.lower_bound({r, area.col1});
      continue;
    }
    int i = it->second.formula;
    if (i >= 0 && i != last) {
      last = i;
      fn(i);
    }
    ++it;
  }
}

namespace {
// Removes what stands in the area; an array formula only partly inside it is
// an error (as the host refuses to change part of an array).
void clearArea(Host::Impl& m, const Area& a) {
  std::set<int> whole;
  for (auto it = m.cells.lower_bound({a.row1, 0}); it != m.cells.end() && it->first.first <= a.row2; ++it) {
    int r = it->first.first, c = it->first.second;
    if (c < a.col1 || c > a.col2 || it->second.formula < 0) continue;
    const auto& f = m.formulas[static_cast<size_t>(it->second.formula)];
    if (!contains(a, f.area) && !(r == f.area.row1 && c == f.area.col1 && f.area.single()))
      throw std::invalid_argument("cannot change part of an array");
    whole.insert(it->second.formula);
  }
  for (int i : whole) m.removeFormula(i);
  for (int r = a.row1; r <= a.row2; ++r) {
    auto it = m.cells.lower_bound({r, a.col1});
    while (it != m.cells.end() && it->first.first == r && it->first.second <= a.col2) {
      m.cellIndex.erase(cellKey(r, it->first.second));
      it = m.cells.erase(it);
    }
  }
}
}  // namespace

void Host::setCell(const std::string& ref, const std::string& content) {
  Impl& m = *impl_;
  Area a = parseRef(ref);
  if (!content.empty() && content[0] == '=') {
    Expr e = parseFormula(content);
    clearArea(m, a);
    Impl::Formula f;
    f.area = a;
    f.expr = std::move(e);
    f.text = content;
    f.array = !a.single();
    collectRefs(f.expr, f.refs);
    int index = static_cast<int>(m.formulas.size());
    m.formulas.push_back(std::move(f));
    m.indexFormula(index, true);
    for (int r = a.row1; r <= a.row2; ++r)
      for (int c = a.col1; c <= a.col2; ++c) m.putCell(r, c, Impl::Cell{Value::nil(), index});
  } else {
    if (!a.single()) throw std::invalid_argument("a constant goes into one cell: " + ref);
    Value v = constantOf(parseConstant(content));
    clearArea(m, a);
    m.putCell(a.row1, a.col1, Impl::Cell{v, -1});
  }
  m.markDependentsDirty(a);
}

void Host::setValue(const std::string& ref, const Value& v) {
  Area a = parseRef(ref);
  if (!a.single()) throw std::invalid_argument("a constant goes into one cell: " + ref);
  clearArea(*impl_, a);
  impl_->putCell(a.row1, a.col1, Impl::Cell{v, -1});
  impl_->markDependentsDirty(a);
}

void Host::clearCell(const std::string& ref) {
  Area a = parseRef(ref);
  if (a.single())
    if (auto* f = impl_->formulaAt(a.row1, a.col1)) a = f->area;
  clearArea(*impl_, a);
  impl_->markDependentsDirty(a);
}

void Host::clearSheet() {
  impl_->clearCells();
  impl_->formulas.clear();
  impl_->cellDependents.clear();
  impl_->bandDependents.clear();
}

Value Host::value(const std::string& ref) const {
  Area a = parseRef(ref);
  return impl_->cellValue(a.row1, a.col1);
}

Value Host::value(int row, int col) const { return impl_->cellValue(row, col); }

Value Host::values(const std::string& ref) const {
  Area a = parseRef(ref);
  std::vector<Value> e;
  for (int r = a.row1; r <= a.row2; ++r)
    for (int c = a.col1; c <= a.col2; ++c) e.push_back(impl_->cellValue(r, c));
  return Value::array(a.rows(), a.columns(), std::move(e));
}

bool Host::isFormula(const std::string& ref) const {
  Area a = parseRef(ref);
  return impl_->formulaAt(a.row1, a.col1) != nullptr;
}

bool Host::isCalculated(const std::string& ref) const {
  Area a = parseRef(ref);
  auto* f = impl_->formulaAt(a.row1, a.col1);
  return !f || !f->dirty;
}

std::vector<std::pair<Area, Value>> Host::nonEmptyCells() const {
  std::vector<std::pair<Area, Value>> out;
  for (const auto& [rc, cell] : impl_->cells) {
    Area a;
    a.row1 = a.row2 = rc.first;
    a.col1 = a.col2 = rc.second;
    out.emplace_back(a, cell.value);
  }
  return out;
}

bool Host::usedArea(Area& area) const {
  if (impl_->cells.empty()) return false;
  area.row1 = impl_->cells.begin()->first.first;
  area.row2 = impl_->cells.rbegin()->first.first;
  area.col1 = kSheetColumns;
  area.col2 = 0;
  for (const auto& kv : impl_->cells) {
    area.col1 = std::min(area.col1, kv.first.second);
    area.col2 = std::max(area.col2, kv.first.second);
  }
  return true;
}

// ---- calculation ---------------------------------------------------------------------

void Host::Impl::markDependentsDirty(const Area& changed) {
  std::vector<Area> pending{changed};
  while (!pending.empty()) {
    Area a = pending.back();
    pending.pop_back();
    forEachDependent(a, [&](int i) {
      Formula& f = formulas[static_cast<size_t>(i)];
      if (f.removed || f.dirty) return;
      f.dirty = true;
      pending.push_back(f.area);
    });
  }
}

bool Host::Impl::formulaVolatile(const Expr& e) {
  if (e.kind == Expr::Call) {
    const Registration* r = findFunction(e.name);
    if (r && r->isVolatile()) return true;
  }
  for (const auto& a : e.args)
    if (formulaVolatile(a)) return true;
  return false;
}

// Every formula marked dirty has had its dependents marked too (setCell and
// calculate() see to it), so this only orders and calculates.
void Host::Impl::calculateDirty() {
  std::vector<int> order;
  for (size_t i = 0; i < formulas.size(); ++i)
    if (!formulas[i].removed && formulas[i].dirty) order.push_back(static_cast<int>(i));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const Area& x = formulas[static_cast<size_t>(a)].area;
    const Area& y = formulas[static_cast<size_t>(b)].area;
    return std::make_pair(x.row1, x.col1) < std::make_pair(y.row1, y.col1);
  });
  for (int i : order)
    if (formulas[static_cast<size_t>(i)].dirty) calcFormula(i);
}

void Host::calculate() {
  std::vector<Area> changed;
  for (auto& f : impl_->formulas)
    if (!f.removed && !f.dirty && impl_->formulaVolatile(f.expr)) {
      f.dirty = true;
      changed.push_back(f.area);
    }
  for (const Area& a : changed) impl_->markDependentsDirty(a);
  impl_->calculateDirty();
}

void Host::calculate(const std::string& ref) {
  Area a = parseRef(ref);
  Impl::Cell* c = impl_->cellAt(a.row1, a.col1);
  if (!c || c->formula < 0) return;
  int i = c->formula;
  impl_->formulas[static_cast<size_t>(i)].dirty = true;
  impl_->calcFormula(i);
}

void Host::recalculate() {
  for (auto& f : impl_->formulas)
    if (!f.removed) f.dirty = true;
  impl_->calculateDirty();
}

// Every formula on the work stack from this one up waits on another: a cycle.
void Host::Impl::markCycle(int index) {
  for (size_t k = formulas[static_cast<size_t>(index)].stackPos; k < work.size(); ++k) {
    Formula& f = formulas[static_cast<size_t>(work[k])];
    if (f.busy) f.cycle = true;
  }
}

// Formulas the expression reads as values: references, except those passed
// to an argument of type R, which the function gets uncalculated.
void Host::Impl::collectPrecedents(const Expr& e, std::vector<int>& out) {
  if (e.kind == Expr::Reference) {
    if (onSheet(e.area)) forEachFormulaIn(e.area, [&](int i) { out.push_back(i); });
    return;
  }
  if (e.kind != Expr::Call) return;
  const Registration* reg = findFunction(e.name);
  if (!reg) return;  // #NAME? without evaluating anything
  const std::string& params = prepare(*reg).params;
  for (size_t k = 0; k < e.args.size(); ++k)
    if (!(k < params.size() && params[k] == 'R' && e.args[k].kind == Expr::Reference))
      collectPrecedents(e.args[k], out);
}

// Puts the uncalculated formulas of the list on the work stack, the first on
// top; one already waiting there closes a cycle. True when any was put.
bool Host::Impl::pushWaiting(const std::vector<int>& list) {
  bool pushed = false;
  for (size_t k = list.size(); k-- > 0;) {
    const Formula& f = formulas[static_cast<size_t>(list[k])];
    if (f.removed) continue;
    if (f.busy) {
      markCycle(list[k]);
    } else if (f.dirty) {
      work.push_back(list[k]);
      pushed = true;
    }
  }
  return pushed;
}

// One evaluation of a formula; false when it met formulas not yet calculated.
bool Host::Impl::attempt(int index, Value& v) {
  needs.clear();
  const Formula& f = formulas[static_cast<size_t>(index)];
  // every call in the formula, nested ones too, has this formula's cells as caller
  FramePush top(frames, Frame{true, f.area});
  try {
    v = resolve(eval(f.expr));
  } catch (const NeedsCalc&) {
  } catch (...) {
    v = Value::error(xlerrValue);
  }
  return needs.empty();
}

// Calculates a formula and, first, what it needs: an explicit stack of
// waiting formulas rather than recursion, so that a long chain of cells each
// reading the next does not exhaust the program's stack.
void Host::Impl::calcFormula(int root) {
  const Formula& r = formulas[static_cast<size_t>(root)];
  if (r.removed || !r.dirty || r.busy) return;
  work.push_back(root);
  std::vector<int> list;
  while (!work.empty()) {
    int i = work.back();
    Formula* f = &formulas[static_cast<size_t>(i)];
    if (f->removed || !f->dirty) {
      work.pop_back();
      continue;
    }
    if (!f->busy) {
      f->busy = true;
      f->cycle = false;
      f->stackPos = work.size() - 1;
      list.clear();
      collectPrecedents(f->expr, list);
      if (pushWaiting(list)) continue;
    }
    Value v = Value::error(xlerrRef);
    if (!f->cycle && !attempt(i, v)) {
      list = std::move(needs);
      needs.clear();
      if (pushWaiting(list)) continue;
      if (!formulas[static_cast<size_t>(i)].cycle) v = Value::error(xlerrValue);  // not expected
    }
    f = &formulas[static_cast<size_t>(i)];
    f->busy = false;
    f->dirty = false;
    writeResult(*f, f->cycle ? Value::error(xlerrRef) : v);
    work.pop_back();
  }
}

void Host::Impl::writeResult(Formula& f, const Value& v) {
  auto scalar = [](const Value& e) { return e.kind == Value::Array ? Value::error(xlerrValue) : e; };
  for (int r = f.area.row1; r <= f.area.row2; ++r)
    for (int c = f.area.col1; c <= f.area.col2; ++c) {
      int i = r - f.area.row1, j = c - f.area.col1;
      Value e;
      if (v.kind != Value::Array)
        e = v;
      else if (v.rows == 1 && v.columns == 1)
        e = scalar(v.elements[0]);
      else if (i < v.rows && j < v.columns)
        e = scalar(v.at(i, j));
      else if (v.rows == 1 && j < v.columns)
        e = scalar(v.at(0, j));  // a single row repeats downwards
      else if (v.columns == 1 && i < v.rows)
        e = scalar(v.at(i, 0));  // a single column repeats across
      else
        e = Value::error(xlerrNA);
      if (Cell* cell = cellAt(r, c))
        cell->value = std::move(e);
      else
        putCell(r, c, Cell{std::move(e), -1});
    }
}

void Host::Impl::noteUncalculated(const Area& area) {
  forEachFormulaIn(area, [&](int i) {
    const Formula& f = formulas[static_cast<size_t>(i)];
    if (f.dirty || f.busy) needs.push_back(i);
  });
}

Arg Host::Impl::bail() {
  if (inCallback == 0) throw NeedsCalc{};
  return Arg(Value::error(xlerrValue));
}

template <class Fn>
auto Host::Impl::fromOutside(Fn fn) -> decltype(fn()) {
  for (;;) {
    needs.clear();
    try {
      auto r = fn();
      if (needs.empty()) return r;
    } catch (const NeedsCalc&) {
    }
    std::vector<int> list = std::move(needs);
    needs.clear();
    bool progress = false;
    for (int i : list) {
      const Formula& f = formulas[static_cast<size_t>(i)];
      if (f.dirty && !f.busy) {
        calcFormula(i);
        progress = true;
      }
    }
    if (!progress) {
      // inside a calculation: read what stands
      ++readOnly;
      auto r = fn();
      --readOnly;
      return r;
    }
  }
}

Value Host::Impl::resolve(const Arg& a) {
  if (!a.isReference) return a.value;
  if (!onSheet(a.area)) return Value::error(xlerrRef);
  if (readOnly == 0) noteUncalculated(a.area);
  if (a.area.single()) return cellValue(a.area.row1, a.area.col1);
  size_t n = static_cast<size_t>(a.area.rows()) * static_cast<size_t>(a.area.columns());
  if (n > kMaxCells) return Value::error(xlerrValue);
  std::vector<Value> e;
  e.reserve(n);
  for (int r = a.area.row1; r <= a.area.row2; ++r)
    for (int c = a.area.col1; c <= a.area.col2; ++c) e.push_back(cellValue(r, c));
  return Value::array(a.area.rows(), a.area.columns(), std::move(e));
}

// A single value: a cell of a one-cell reference, the first element of an array.
Value Host::Impl::scalarOf(const Arg& a) {
  Value v;
  if (a.isReference) {
    if (!a.area.single()) return Value::error(xlerrValue);
    v = resolve(a);
  } else {
    v = a.value;
  }
  if (v.kind == Value::Array) v = v.elements[0];
  return v;
}

Arg Host::Impl::eval(const Expr& e) {
  switch (e.kind) {
    case Expr::Array: {
      std::vector<Value> el;
      for (const auto& x : e.elements) el.push_back(constantOf(x));
      if (e.rows <= 0 || e.columns <= 0 || el.size() != static_cast<size_t>(e.rows) * e.columns)
        return Arg(Value::error(xlerrValue));
      return Arg(Value::array(e.rows, e.columns, std::move(el)));
    }
    case Expr::Reference:
      if (!onSheet(e.area)) return Arg(Value::error(xlerrRef));
      return Arg::ref(e.area);
    case Expr::Call: {
      Registration* reg = findFunction(e.name);
      if (!reg) return Arg(Value::error(xlerrName));
      size_t mark = needs.size();
      std::vector<Arg> args;
      for (const auto& a : e.args) args.push_back(eval(a));
      if (needs.size() > mark) return bail();
      Frame* top = frames.empty() ? nullptr : &frames.back();
      Area caller;
      bool has = top && top->hasCaller;
      if (has) caller = top->caller;
      reg = findFunction(e.name);  // evaluating the arguments may have registered more
      if (!reg) return Arg(Value::error(xlerrName));
      return invoke(*reg, std::move(args), has ? &caller : nullptr);
    }
    default: return Arg(constantOf(e));
  }
}

// ---- calling a registered procedure -----------------------------------------------------

namespace {
union Slot {
  int16_t a;
  double b;
  int32_t j;
  void* p;
};
}  // namespace

Arg Host::Impl::invoke(const Registration& reg, std::vector<Arg> args, const Area* callerArea) {
  const Prepared& prep = prepare(reg);
  if (!prep.ok) return Arg(Value::error(xlerrValue));
  void* fn = reg.address;
  const std::string& name = prep.name;
  const std::string& params = prep.params;
  ffi_cif cif = prep.cif;
  if (args.size() > params.size()) return Arg(Value::error(xlerrValue));
  args.resize(params.size(), Arg(Value::missing()));
  Frame frame;
  frame.hasCaller = callerArea != nullptr;
  if (callerArea) frame.caller = *callerArea;
  const size_t mark = needs.size();
  // Arguments that read an uncalculated cell: the call waits until it is.
  auto readValue = [&](const Arg& a) {
    Value v = resolve(a);
    if (needs.size() > mark) throw NeedsCalc{};
    return v;
  };
  auto readScalar = [&](const Arg& a) {
    Value v = scalarOf(a);
    if (needs.size() > mark) throw NeedsCalc{};
    return v;
  };

  Arena arena;
  std::vector<Slot> slots(params.size());
  std::vector<void*> ptrs(params.size());
  try {
    for (size_t i = 0; i < params.size(); ++i) {
      ptrs[i] = &slots[i];
      const Arg& a = args[i];
      Value err;
      switch (params[i]) {
        case 'A':
        case 'B':
        case 'J': {
          Value v = readScalar(a);
          if (v.kind == Value::Text && params[i] == 'A') {
            std::string t = lowerText(v.str);
            if (t == "true" || t == "false") v = Value::boolean(t == "true");
          }
          double x = 0;
          if (!numberOf(v, x, err)) return Arg(err);
          if (params[i] == 'B') {
            slots[i].b = x;
          } else if (params[i] == 'A') {
            slots[i].a = x != 0 ? 1 : 0;
          } else {
            x = std::trunc(x);
            if (!(x >= std::numeric_limits<int32_t>::min() && x <= std::numeric_limits<int32_t>::max()))
              return Arg(Value::error(xlerrValue));
            slots[i].j = static_cast<int32_t>(x);
          }
          break;
        }
        case 'C':
        case 'F': {
          Value v = readScalar(a);
          std::string s;
          switch (v.kind) {
            case Value::Text: s = v.str; break;
            case Value::Number: s = numberText(v.num); break;
            case Value::Boolean: s = v.flag ? "TRUE" : "FALSE"; break;
            case Value::Nil:
            case Value::Missing: break;
            case Value::Error: return Arg(v);
            default: return Arg(Value::error(xlerrValue));
          }
          if (s.size() > 255) s.resize(255);
          size_t size = params[i] == 'F' ? 256 : s.size() + 1;
          char* buf = static_cast<char*>(arena.alloc(size));
          std::memcpy(buf, s.c_str(), s.size() + 1);
          slots[i].p = buf;
          break;
        }
        case 'K': {
          Value v = readValue(a);
          if (v.kind == Value::Missing) return Arg(Value::error(xlerrValue));
          int rows = 1, cols = 1;
          std::vector<Value> el{v};
          if (v.kind == Value::Array) {
            rows = v.rows;
            cols = v.columns;
            el = v.elements;
          }
          if (rows > 65535 || cols > 65535) return Arg(Value::error(xlerrValue));
          FP* fp = static_cast<FP*>(arena.alloc(sizeof(FP) + sizeof(double) * el.size()));
          fp->rows = static_cast<unsigned short>(rows);
          fp->columns = static_cast<unsigned short>(cols);
          for (size_t k = 0; k < el.size(); ++k) {
            const Value& e = el[k];
            if (e.kind == Value::Number)
              fp->array[k] = e.num;
            else if (e.kind == Value::Nil)
              fp->array[k] = 0;
            else if (e.kind == Value::Error)
              return Arg(e);
            else
              return Arg(Value::error(xlerrValue));
          }
          slots[i].p = fp;
          break;
        }
        case 'P': {
          xloper* x = static_cast<xloper*>(arena.alloc(sizeof(xloper)));
          putValue(readValue(a), *x, arena);
          slots[i].p = x;
          break;
        }
        case 'R': {
          xloper* x = static_cast<xloper*>(arena.alloc(sizeof(xloper)));
          if (a.isReference && onSheet(a.area))
            putReference(a.area, *x, arena, false);
          else
            putValue(a.isReference ? Value::error(xlerrRef) : a.value, *x, arena);
          slots[i].p = x;
          break;
        }
        default: return Arg(Value::error(xlerrValue));
      }
    }
  } catch (const NeedsCalc&) {
    return bail();
  }

  union {
    ffi_arg i;
    double d;
    void* p;
  } rv;
  std::memset(&rv, 0, sizeof rv);
  {
    FramePush top(frames, frame);
    ffi_call(&cif, FFI_FN(fn), &rv, ptrs.data());
  }
  ++timesCalled[name];
  // the function met an uncalculated cell through a host call: calculate it
  // and call again; what it returned now does not count
  if (needs.size() > mark) return bail();

  switch (prep.ret) {
    case 'A': return Arg(Value::boolean(static_cast<int16_t>(rv.i) != 0));
    case 'B': return Arg(finite(Value::number(rv.d)));
    case 'J': return Arg(Value::number(static_cast<int32_t>(rv.i)));
    case 'C': {
      const char* s = static_cast<const char*>(rv.p);
      if (!s) return Arg(Value::error(xlerrNum));
      return Arg(Value::text(std::string(s, strnlen(s, 255))));
    }
    default: {
      const xloper* x = static_cast<const xloper*>(rv.p);
      if (!x) return Arg(Value::error(xlerrNum));
      Arg r = getArg(x);
      if (!r.isReference) r.value = finite(std::move(r.value));
      return r;
    }
  }
}

Arg Host::invoke(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  Area a;
  if (!caller.empty()) a = parseRef(caller);
  return impl_->fromOutside([&] {
    Registration* reg = impl_->findFunction(functionText);
    if (!reg) return Arg(Value::error(xlerrName));
    return impl_->invoke(*reg, args, caller.empty() ? nullptr : &a);
  });
}

Value Host::call(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  Area a;
  if (!caller.empty()) a = parseRef(caller);
  return impl_->fromOutside([&] {
    Registration* reg = impl_->findFunction(functionText);
    if (!reg) return Value::error(xlerrName);
    return impl_->resolve(impl_->invoke(*reg, args, caller.empty() ? nullptr : &a));
  });
}

Value Host::evaluate(const std::string& formula, const std::string& caller) {
  Expr e;
  try {
    e = parseFormula(formula);
  } catch (const FormulaError&) {
    return Value::error(xlerrValue);
  }
  Impl::Frame f;
  if (!caller.empty()) {
    f.hasCaller = true;
    f.caller = parseRef(caller);
  }
  return impl_->fromOutside([&] {
    FramePush top(impl_->frames, f);
    return impl_->resolve(impl_->eval(e));
  });
}

int Host::runCommand(const std::string& macroText) {
  const std::string key = lowerText(macroText);
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it) {
    if (!it->active() || it->macroType != 2 || lowerText(it->functionText) != key || !it->address) continue;
    auto proc = reinterpret_cast<int(WINAPI*)()>(it->address);
    ++impl_->timesCalled[key];
    impl_->frames.push_back(Impl::Frame{});
    int r = proc();
    impl_->frames.pop_back();
    return r;
  }
  return -1;
}

int Host::timesCalled(const std::string& functionText) const {
  auto it = impl_->timesCalled.find(lowerText(functionText));
  return it == impl_->timesCalled.end() ? 0 : it->second;
}

// ---- bookkeeping ---------------------------------------------------------------------------

int Host::callCount(int xlfn) const {
  auto it = impl_->counts.find(xlfn);
  return it == impl_->counts.end() ? 0 : it->second;
}

int Host::wideCallCount(int xlfn) const {
  auto it = impl_->wideCounts.find(xlfn);
  return it == impl_->wideCounts.end() ? 0 : it->second;
}

void Host::resetCallCounts() {
  impl_->counts.clear();
  impl_->wideCounts.clear();
}

void Host::failCall(int xlfn, int code, bool always) { impl_->failures[xlfn] = Impl::Failure{code, always}; }
void Host::clearFailures() { impl_->failures.clear(); }
int Host::outstanding() const { return static_cast<int>(impl_->owned.size()); }

const std::vector<std::string>& Host::alerts() const { return impl_->alerts; }
void Host::clearAlerts() { impl_->alerts.clear(); }
void Host::setAlertSink(std::function<void(const std::string&)> sink) { impl_->alertSink = std::move(sink); }

void Host::scriptDialog(DialogScript script) { impl_->dialogScript = std::move(script); }
const std::vector<Value>& Host::dialogs() const { return impl_->dialogTables; }

// ---- windows -------------------------------------------------------------------------------

HWND Host::mainWindow() const { return impl_->mainWindow; }

HWND Host::openWindow(const std::string& className, const std::string& title, HWND parent) {
  return standin::createWindow(className, title, parent);
}

void Host::closeWindow(HWND window) { standin::destroyWindow(window); }

HWND Host::openWizard() {
  HWND w = standin::createWindow("bosa_sdm_XL9", "Function Arguments", impl_->mainWindow);
  impl_->wizards.push_back(w);
  return w;
}

void Host::closeWizard() {
  for (HWND w : impl_->wizards) standin::destroyWindow(w);
  impl_->wizards.clear();
}

bool Host::wizardOpen() const {
  for (HWND w : impl_->wizards)
    for (const auto& x : standin::windows())
      if (x.handle == w) return true;
  return false;
}

}  // namespace xlsim
