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

int32_t cellKey(int row, int col) { return row * kSheetColumns + col; }

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

}  // namespace xlsim
