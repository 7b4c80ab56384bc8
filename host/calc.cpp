// Calculation: the order in which formulas are calculated, the work stack of
// formulas waiting for the cells they need, and the evaluation of a formula.
#include <algorithm>
#include <utility>

#include "host/impl.h"

namespace xlsim {

namespace {

// The most cells a range may hold to be read as values (#VALUE! beyond).
constexpr size_t kMaxCells = size_t{1} << 22;

}  // namespace

template <class Fn>
void Host::Impl::forEachFormulaIn(const Area& area, Fn fn) {
  if (area.single()) {
    Cell* c = cellAt(area.row1, area.col1);
    if (c && c->formula >= 0) fn(c->formula);
    return;
  }
  int last = -1;
  cells.forEachIn(area, [&](int, int, const Cell& c) {
    if (c.formula >= 0 && c.formula != last) {
      last = c.formula;
      fn(c.formula);
    }
  });
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
  auto before = [&](int a, int b) {
    const Area& x = formulas[static_cast<size_t>(a)].area;
    const Area& y = formulas[static_cast<size_t>(b)].area;
    return std::make_pair(x.row1, x.col1) < std::make_pair(y.row1, y.col1);
  };
  if (!std::is_sorted(order.begin(), order.end(), before)) std::stable_sort(order.begin(), order.end(), before);
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
  list.swap(spareList);
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
    if (f->cycle) v = Value::error(xlerrRef);
    writeResult(*f, std::move(v));
    work.pop_back();
  }
  list.clear();
  spareList.swap(list);
}

void Host::Impl::writeResult(Formula& f, Value&& v) {
  if (f.area.single() && v.kind != Value::Array) {
    if (Cell* cell = cellAt(f.area.row1, f.area.col1))
      cell->value = std::move(v);
    else
      putCell(f.area.row1, f.area.col1, Cell{std::move(v), -1});
    return;
  }
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

Value Host::Impl::resolve(Arg&& a) {
  if (!a.isReference) return std::move(a.value);
  return resolve(static_cast<const Arg&>(a));
}

// A single value: a cell of a one-cell reference, the first element of an array.
Value Host::Impl::scalarOf(const Arg& a) {
  Value hold;
  const Value& v = scalarRef(a, hold);
  if (&v == &hold) return hold;
  return v;
}

const Value& Host::Impl::scalarRef(const Arg& a, Value& hold) {
  static const Value nil;
  const Value* v = &a.value;
  if (a.isReference) {
    if (!a.area.single()) return hold = Value::error(xlerrValue);
    if (!onSheet(a.area)) return hold = Value::error(xlerrRef);
    if (readOnly == 0) noteUncalculated(a.area);
    const Cell* c = cellAt(a.area.row1, a.area.col1);
    v = c ? &c->value : &nil;
  }
  return v->kind == Value::Array ? v->elements[0] : *v;
}

namespace {
// An argument list taken from the spare ones and given back empty.
struct ArgList {
  explicit ArgList(std::vector<std::vector<Arg>>& spare) : spare(spare) {
    if (spare.empty()) return;
    args.swap(spare.back());
    spare.pop_back();
  }
  ~ArgList() {
    args.clear();
    try {
      spare.push_back(std::move(args));
    } catch (...) {  // kept no longer
    }
  }
  std::vector<std::vector<Arg>>& spare;
  std::vector<Arg> args;
};
}  // namespace

Arg Host::Impl::unknownName(const std::string& name) {
  const Frame* top = frames.empty() ? nullptr : &frames.back();
  note(top && top->hasCaller ? &top->caller : nullptr,
       [&] { return "no function named " + name + " is registered (#NAME?)"; });
  return Arg(Value::error(xlerrName));
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
      if (!reg) return unknownName(e.name);
      size_t mark = needs.size();
      unsigned version = regsVersion;
      ArgList list(spareArgs);
      std::vector<Arg>& args = list.args;
      args.reserve(e.args.size());
      for (const auto& a : e.args) args.push_back(eval(a));
      if (needs.size() > mark) return bail();
      Frame* top = frames.empty() ? nullptr : &frames.back();
      Area caller;
      bool has = top && top->hasCaller;
      if (has) caller = top->caller;
      // evaluating the arguments may have registered more
      if (version != regsVersion) reg = findFunction(e.name);
      if (!reg) return unknownName(e.name);
      return invoke(*reg, args, has ? &caller : nullptr);
    }
    default: return Arg(constantOf(e));
  }
}

Arg Host::invoke(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  Area a;
  if (!caller.empty()) a = parseRef(caller);
  return impl_->fromOutside([&] {
    Registration* reg = impl_->findFunction(functionText);
    if (!reg) return Arg(Value::error(xlerrName));
    std::vector<Arg> list = args;
    return impl_->invoke(*reg, list, caller.empty() ? nullptr : &a);
  });
}

Value Host::call(const std::string& functionText, const std::vector<Arg>& args, const std::string& caller) {
  Area a;
  if (!caller.empty()) a = parseRef(caller);
  return impl_->fromOutside([&] {
    Registration* reg = impl_->findFunction(functionText);
    if (!reg) return Value::error(xlerrName);
    std::vector<Arg> list = args;
    return impl_->resolve(impl_->invoke(*reg, list, caller.empty() ? nullptr : &a));
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

}  // namespace xlsim
