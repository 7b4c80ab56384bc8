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

namespace xlsim {

namespace {

Host* liveHost = nullptr;
constexpr int kMaxRows = 65536;
constexpr int kMaxCols = 256;
constexpr int kRetries = 8;
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

bool inSheet(const Area& a) {
  return a.row1 >= 0 && a.col1 >= 0 && a.row1 <= a.row2 && a.col1 <= a.col2 && a.row2 < kMaxRows &&
         a.col2 < kMaxCols;
}

Area parseRef(const std::string& ref) {
  Area a;
  if (!parseArea(ref, a) || !inSheet(a)) throw std::invalid_argument("not a reference on the sheet: " + ref);
  return a;
}

void collectRefs(const Expr& e, std::vector<Area>& out) {
  if (e.kind == Expr::Reference) out.push_back(e.area);
  for (const auto& a : e.args) collectRefs(a, out);
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
  using DllMainProc = BOOL (*)(HINSTANCE, DWORD, LPVOID);
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
  using DllMainProc = BOOL (*)(HINSTANCE, DWORD, LPVOID);
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
  auto hook = reinterpret_cast<int (*)()>(symbol(name));
  if (!hook) return -1;
  impl_->frames.push_back(Impl::Frame{});
  int r = hook();
  impl_->frames.pop_back();
  return r;
}

Value Host::autoRegister(const std::string& name) {
  auto hook = reinterpret_cast<xloper* (*)(xloper*)>(symbol("xlAutoRegister"));
  if (!hook) return Value::missing();
  HostOper arg(Value::text(name));
  impl_->frames.push_back(Impl::Frame{});
  xloper* r = hook(arg.get());
  impl_->frames.pop_back();
  return r ? toValue(*r) : Value::missing();
}

Value Host::autoRegister12(const std::string& name) {
  auto hook = reinterpret_cast<xloper12* (*)(xloper12*)>(symbol("xlAutoRegister12"));
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
  auto hook = reinterpret_cast<void (*)(xloper*)>(symbol("xlAutoFree"));
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
  p.ok = ffi_prep_cif(&p.cif, FFI_DEFAULT_ABI, static_cast<unsigned>(p.types.size()), rtype,
                      p.types.data()) == FFI_OK;
  return p;
}

// ---- the sheet -------------------------------------------------------------------

Host::Impl::Formula* Host::Impl::formulaAt(int row, int col) {
  auto it = cells.find({row, col});
  if (it == cells.end() || it->second.formula < 0) return nullptr;
  return &formulas[static_cast<size_t>(it->second.formula)];
}

Value Host::Impl::cellValue(int row, int col) const {
  auto it = cells.find({row, col});
  return it == cells.end() ? Value::nil() : it->second.value;
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
  for (int i : whole) m.formulas[static_cast<size_t>(i)].removed = true;
  for (int r = a.row1; r <= a.row2; ++r) {
    auto it = m.cells.lower_bound({r, a.col1});
    while (it != m.cells.end() && it->first.first == r && it->first.second <= a.col2) it = m.cells.erase(it);
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
    int index = static_cast<int>(m.formulas.size());
    m.formulas.push_back(std::move(f));
    for (int r = a.row1; r <= a.row2; ++r)
      for (int c = a.col1; c <= a.col2; ++c) m.cells[{r, c}] = Impl::Cell{Value::nil(), index};
  } else {
    if (!a.single()) throw std::invalid_argument("a constant goes into one cell: " + ref);
    Value v = constantOf(parseConstant(content));
    clearArea(m, a);
    m.cells[{a.row1, a.col1}] = Impl::Cell{v, -1};
  }
  m.markDependentsDirty(a);
}

void Host::setValue(const std::string& ref, const Value& v) {
  Area a = parseRef(ref);
  if (!a.single()) throw std::invalid_argument("a constant goes into one cell: " + ref);
  clearArea(*impl_, a);
  impl_->cells[{a.row1, a.col1}] = Impl::Cell{v, -1};
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
  impl_->cells.clear();
  impl_->formulas.clear();
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
  area.col1 = kMaxCols;
  area.col2 = 0;
  for (const auto& kv : impl_->cells) {
    area.col1 = std::min(area.col1, kv.first.second);
    area.col2 = std::max(area.col2, kv.first.second);
  }
  return true;
}

// ---- calculation ---------------------------------------------------------------------

void Host::Impl::markDependentsDirty(const Area& changed) {
  std::vector<Area> work{changed};
  while (!work.empty()) {
    Area a = work.back();
    work.pop_back();
    for (auto& f : formulas) {
      if (f.removed || f.dirty) continue;
      std::vector<Area> refs;
      collectRefs(f.expr, refs);
      for (const auto& r : refs)
        if (intersects(r, a)) {
          f.dirty = true;
          work.push_back(f.area);
          break;
        }
    }
  }
}

bool Host::Impl::formulaVolatile(const Expr& e) const {
  if (e.kind == Expr::Call) {
    const std::string key = lowerText(e.name);
    for (const auto& r : regs)
      if (r.active() && r.macroType == 1 && lowerText(r.functionText) == key && r.isVolatile()) return true;
  }
  for (const auto& a : e.args)
    if (formulaVolatile(a)) return true;
  return false;
}

void Host::Impl::calculateDirty() {
  std::vector<int> order;
  for (size_t i = 0; i < formulas.size(); ++i)
    if (!formulas[i].removed) order.push_back(static_cast<int>(i));
  for (int i : order)
    if (formulas[static_cast<size_t>(i)].dirty) markDependentsDirty(formulas[static_cast<size_t>(i)].area);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const Area& x = formulas[static_cast<size_t>(a)].area;
    const Area& y = formulas[static_cast<size_t>(b)].area;
    return std::make_pair(x.row1, x.col1) < std::make_pair(y.row1, y.col1);
  });
  for (int i : order)
    if (formulas[static_cast<size_t>(i)].dirty) calcFormula(i);
}

void Host::calculate() {
  for (auto& f : impl_->formulas)
    if (!f.removed && impl_->formulaVolatile(f.expr)) f.dirty = true;
  impl_->calculateDirty();
}

void Host::calculate(const std::string& ref) {
  Area a = parseRef(ref);
  auto it = impl_->cells.find({a.row1, a.col1});
  if (it == impl_->cells.end() || it->second.formula < 0) return;
  int i = it->second.formula;
  impl_->formulas[static_cast<size_t>(i)].dirty = true;
  impl_->calcFormula(i);
}

void Host::recalculate() {
  for (auto& f : impl_->formulas)
    if (!f.removed) f.dirty = true;
  impl_->calculateDirty();
}

void Host::Impl::markCycle(int index) {
  auto it = std::find(calcStack.begin(), calcStack.end(), index);
  for (; it != calcStack.end(); ++it) formulas[static_cast<size_t>(*it)].cycle = true;
}

void Host::Impl::calcFormula(int index) {
  Formula& f = formulas[static_cast<size_t>(index)];
  if (f.removed) return;
  if (f.busy) {
    markCycle(index);
    return;
  }
  if (!f.dirty) return;
  f.busy = true;
  f.cycle = false;
  calcStack.push_back(index);
  Value v;
  try {
    // every call in the formula, nested ones too, has this formula's cells as caller
    frames.push_back(Frame{true, f.area, {}});
    Arg r;
    try {
      r = eval(f.expr);
    } catch (...) {
      frames.pop_back();
      throw;
    }
    frames.pop_back();
    v = resolve(r);
  } catch (...) {
    v = Value::error(xlerrValue);
  }
  Formula& g = formulas[static_cast<size_t>(index)];
  calcStack.pop_back();
  g.busy = false;
  g.dirty = false;
  if (g.cycle) v = Value::error(xlerrRef);
  writeResult(g, v);
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
      cells[{r, c}].value = e;
    }
}

void Host::Impl::ensureCalculated(const Area& area) {
  if (readOnly > 0) return;
  std::vector<int> hit;
  for (size_t i = 0; i < formulas.size(); ++i)
    if (!formulas[i].removed && intersects(formulas[i].area, area)) hit.push_back(static_cast<int>(i));
  std::sort(hit.begin(), hit.end(), [&](int a, int b) {
    const Area& x = formulas[static_cast<size_t>(a)].area;
    const Area& y = formulas[static_cast<size_t>(b)].area;
    return std::make_pair(x.row1, x.col1) < std::make_pair(y.row1, y.col1);
  });
  for (int i : hit) {
    const Formula& f = formulas[static_cast<size_t>(i)];
    if (f.dirty || f.busy) calcFormula(i);
  }
}

Value Host::Impl::resolve(const Arg& a) {
  if (!a.isReference) return a.value;
  if (!inSheet(a.area)) return Value::error(xlerrRef);
  ensureCalculated(a.area);
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
      if (!inSheet(e.area)) return Arg(Value::error(xlerrRef));
      return Arg::ref(e.area);
    case Expr::Call: {
      Registration* reg = findFunction(e.name);
      if (!reg) return Arg(Value::error(xlerrName));
      std::vector<Arg> args;
      for (const auto& a : e.args) args.push_back(eval(a));
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

  for (int attempt = 0;; ++attempt) {
    Arena arena;
    std::vector<Slot> slots(params.size());
    std::vector<void*> ptrs(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
      ptrs[i] = &slots[i];
      const Arg& a = args[i];
      Value err;
      switch (params[i]) {
        case 'A':
        case 'B':
        case 'J': {
          Value v = scalarOf(a);
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
          Value v = scalarOf(a);
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
          Value v = resolve(a);
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
          putValue(resolve(a), *x, arena);
          slots[i].p = x;
          break;
        }
        case 'R': {
          xloper* x = static_cast<xloper*>(arena.alloc(sizeof(xloper)));
          if (a.isReference && inSheet(a.area))
            putReference(a.area, *x, arena, false);
          else
            putValue(a.isReference ? Value::error(xlerrRef) : a.value, *x, arena);
          slots[i].p = x;
          break;
        }
        default: return Arg(Value::error(xlerrValue));
      }
    }

    frames.push_back(frame);
    union {
      ffi_arg i;
      double d;
      void* p;
    } rv;
    std::memset(&rv, 0, sizeof rv);
    ffi_call(&cif, FFI_FN(fn), &rv, ptrs.data());
    ++timesCalled[name];
    std::vector<int> pending = std::move(frames.back().pending);
    frames.pop_back();

    if (!pending.empty()) {
      // The procedure met an uncalculated cell: calculate it and call again.
      if (attempt >= kRetries) return Arg(Value::error(xlerrNum));
      bool cyclic = false;
      for (int p : pending) {
        calcFormula(p);
        const Formula& f = formulas[static_cast<size_t>(p)];
        if (f.busy || f.dirty) cyclic = true;
      }
      if (cyclic) return Arg(Value::error(xlerrRef));
      continue;
    }

    switch (prep.ret) {
      case 'A': return Arg(Value::boolean(static_cast<int16_t>(rv.i) != 0));
      case 'B':
        return Arg(std::isfinite(rv.d) ? Value::number(rv.d) : Value::error(xlerrNum));
      case 'J': return Arg(Value::number(static_cast<int32_t>(rv.i)));
      case 'C': {
        const char* s = static_cast<const char*>(rv.p);
        if (!s) return Arg(Value::error(xlerrNum));
        return Arg(Value::text(std::string(s, strnlen(s, 255))));
      }
      default: {
        const xloper* x = static_cast<const xloper*>(rv.p);
        if (!x) return Arg(Value::error(xlerrNum));
        return getArg(x);
      }
    }
  }
}

Arg Host::invoke(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  Registration* reg = impl_->findFunction(functionText);
  if (!reg) return Arg(Value::error(xlerrName));
  if (caller.empty()) return impl_->invoke(*reg, args, nullptr);
  Area a = parseRef(caller);
  return impl_->invoke(*reg, args, &a);
}

Value Host::call(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  return impl_->resolve(invoke(functionText, args, caller));
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
  impl_->frames.push_back(f);
  Arg r = impl_->eval(e);
  impl_->frames.pop_back();
  return impl_->resolve(r);
}

int Host::runCommand(const std::string& macroText) {
  const std::string key = lowerText(macroText);
  for (auto it = impl_->regs.rbegin(); it != impl_->regs.rend(); ++it) {
    if (!it->active() || it->macroType != 2 || lowerText(it->functionText) != key || !it->address) continue;
    auto proc = reinterpret_cast<int (*)()>(it->address);
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
