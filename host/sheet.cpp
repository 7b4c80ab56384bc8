// The sheet: cells and formulas, the index of which formulas read which
// cells, and the public operations that enter, clear and read cells.
#include <algorithm>
#include <set>
#include <stdexcept>

#include "host/impl.h"
#include "host/text.h"

namespace xlsim {

namespace {

bool intersects(const Area& a, const Area& b) {
  return a.row1 <= b.row2 && b.row1 <= a.row2 && a.col1 <= b.col2 && b.col1 <= a.col2;
}

bool contains(const Area& outer, const Area& inner) {
  return outer.row1 <= inner.row1 && inner.row2 <= outer.row2 && outer.col1 <= inner.col1 &&
         inner.col2 <= outer.col2;
}

void collectRefs(const Expr& e, std::vector<Area>& out) {
  if (e.kind == Expr::Reference && onSheet(e.area)) out.push_back(e.area);
  for (const auto& a : e.args) collectRefs(a, out);
}

}  // namespace

bool onSheet(const Area& a) {
  return a.row1 >= 0 && a.col1 >= 0 && a.row1 <= a.row2 && a.col1 <= a.col2 && a.row2 < kSheetRows &&
         a.col2 < kSheetColumns;
}

Area parseRef(const std::string& ref) {
  Area a;
  if (!parseArea(ref, a) || !onSheet(a)) throw std::invalid_argument("not a reference on the sheet: " + ref);
  return a;
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

Host::Impl::Formula* Host::Impl::formulaAt(int row, int col) {
  Cell* c = cellAt(row, col);
  return c && c->formula >= 0 ? &formulas[static_cast<size_t>(c->formula)] : nullptr;
}

Value Host::Impl::cellValue(int row, int col) const {
  const Cell* c = cellAt(row, col);
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
      DepList& list = cellDependents.put(r.row1, r.col1);
      if (add) {
        int k = freeLinks;
        if (k >= 0) {
          freeLinks = depLinks[static_cast<size_t>(k)].next;
        } else {
          k = static_cast<int>(depLinks.size());
          depLinks.emplace_back();
        }
        depLinks[static_cast<size_t>(k)] = DepLink{index, -1};
        (list.last < 0 ? list.first : depLinks[static_cast<size_t>(list.last)].next) = k;
        list.last = k;
      } else {
        // the first link of the formula leaves the list
        for (int k = list.first, before = -1; k >= 0; before = k, k = depLinks[static_cast<size_t>(k)].next) {
          DepLink& link = depLinks[static_cast<size_t>(k)];
          if (link.formula != index) continue;
          (before < 0 ? list.first : depLinks[static_cast<size_t>(before)].next) = link.next;
          if (list.last == k) list.last = before;
          link.next = freeLinks;
          freeLinks = k;
          break;
        }
      }
    } else {
      for (int b = r.row1 / kBandRows; b <= r.row2 / kBandRows; ++b) {
        std::vector<int>& list = bandDependents[b];
        // a formula with several ranges in one band is listed once
        if (!add || list.empty() || list.back() != index) update(list);
      }
    }
  }
}

void Host::Impl::clearDependents() {
  cellDependents.clear();
  depLinks.clear();
  freeLinks = -1;
  bandDependents.clear();
}

template <class Fn>
void Host::Impl::forEachDependent(const Area& changed, Fn fn) {
  cellDependents.forEachIn(changed, [&](int, int, const DepList& list) {
    for (int k = list.first; k >= 0; k = depLinks[static_cast<size_t>(k)].next)
      fn(depLinks[static_cast<size_t>(k)].formula);
  });
  if (bandDependents.empty()) return;
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

void Host::Impl::markDependentsDirty(const Area& changed) {
  std::vector<Area> pending;
  for (Area a = changed;; pending.pop_back()) {
    forEachDependent(a, [&](int i) {
      Formula& f = formulas[static_cast<size_t>(i)];
      if (f.removed || f.dirty) return;
      f.dirty = true;
      pending.push_back(f.area);
    });
    if (pending.empty()) break;
    a = pending.back();
  }
}

namespace {
// Removes what stands in the area; an array formula only partly inside it is
// an error (as the host refuses to change part of an array).
void clearArea(Host::Impl& m, const Area& a) {
  std::set<int> whole;
  m.cells.forEachIn(a, [&](int r, int c, const Host::Impl::Cell& cell) {
    if (cell.formula < 0) return;
    const auto& f = m.formulas[static_cast<size_t>(cell.formula)];
    if (!contains(a, f.area) && !(r == f.area.row1 && c == f.area.col1 && f.area.single()))
      throw std::invalid_argument("cannot change part of an array");
    whole.insert(cell.formula);
  });
  for (int i : whole) m.removeFormula(i);
  m.cells.erase(a);
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
    f.array = !a.single();
    collectRefs(f.expr, f.refs);
    int index = static_cast<int>(m.formulas.size());
    m.formulas.push_back(std::move(f));
    m.indexFormula(index, true);
    for (int r = a.row1; r <= a.row2; ++r)
      for (int c = a.col1; c <= a.col2; ++c) m.putCell(r, c, Impl::Cell{Value::nil(), index});
  } else {
    if (!a.single()) throw std::invalid_argument("a constant goes into one cell: " + ref);
    Expr e = parseConstant(content);
    Value v = e.kind == Expr::Text ? Value() : constantOf(e);
    if (e.kind == Expr::Text) {
      v.kind = Value::Text;
      v.str = std::move(e.text);
    }
    clearArea(m, a);
    m.putCell(a.row1, a.col1, Impl::Cell{std::move(v), -1});
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
  impl_->cells.clear();
  impl_->formulas.clear();
  impl_->clearDependents();
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

void Host::forEachCell(const std::function<void(int row, int col, const Value& v)>& fn) const {
  impl_->cells.forEach([&](int r, int c, const Impl::Cell& cell) { fn(r, c, cell.value); });
}

std::vector<std::pair<Area, Value>> Host::nonEmptyCells() const {
  std::vector<std::pair<Area, Value>> out;
  forEachCell([&](int r, int c, const Value& v) { out.emplace_back(Area{r, c, r, c}, v); });
  return out;
}

bool Host::usedArea(Area& area) const {
  if (impl_->cells.empty()) return false;
  area = Area{kSheetRows, kSheetColumns, 0, 0};
  forEachCell([&](int r, int c, const Value&) {
    area.row1 = std::min(area.row1, r);
    area.row2 = std::max(area.row2, r);
    area.col1 = std::min(area.col1, c);
    area.col2 = std::max(area.col2, c);
  });
  return true;
}

}  // namespace xlsim
