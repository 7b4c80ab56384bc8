#include "pool/handle_factory.h"

#include <cmath>
#include <functional>

#include "xll/excel.h"

namespace {
size_t hashOf(const OPER& key) {
  if (key.xltype == xltypeStr) {
    // FNV-1a over the case-folded characters.
    size_t h = 14695981039346656037ull;
    for (size_t i = 1, n = xll::textCount(key.val.str); i <= n; ++i)
      h = (h ^ static_cast<size_t>(xll::foldCase(key.val.str[i]))) * 1099511628211ull;
    return h;
  }
  double d = xll::to_double(key);
  return std::isnan(d) ? key.xltype : std::hash<double>()(d) ^ key.xltype;
}
}  // namespace

CallerKey::CallerKey(OPER r) : ref(std::move(r)), hash(hashOf(ref)) {}

size_t ObjectStore::number(const std::string& name) const {
  size_t n = prefix_.size();
  if (name.size() <= n || name.size() > n + 9 || name.compare(0, n, prefix_) != 0 || name[n] == '0')
    return 0;
  size_t k = 0;
  for (size_t i = n; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    k = k * 10 + static_cast<size_t>(name[i] - '0');
  }
  return k < table_.size() ? k : 0;
}

void ObjectStore::issued(int number) {
  size_t k = static_cast<size_t>(number);
  if (k < table_.size()) return;
  table_.resize(k + 1);
  // A text looked up before its number was issued moves into the table.
  if (!others_.empty()) {
    auto it = others_.find(prefix_ + std::to_string(k));
    if (it != others_.end()) {
      table_[k].holder = std::move(it->second);
      table_[k].present = true;
      ++count_;
      others_.erase(it);
    }
  }
}

boost::any& ObjectStore::operator[](const std::string& name) {
  if (size_t k = number(name)) {
    Slot& slot = table_[k];
    if (!slot.present) {
      slot.present = true;
      ++count_;
    }
    return slot.holder;
  }
  return others_[name];
}

void ObjectStore::erase(const std::string& name) {
  if (size_t k = number(name)) {
    Slot& slot = table_[k];
    if (slot.present) {
      slot.holder = boost::any();
      slot.present = false;
      --count_;
    }
    return;
  }
  others_.erase(name);
}

handleFactory& handleFactory::instance() {
  static handleFactory pool;
  return pool;
}

std::string handleFactory::newHandleName() {
  if (freeNames.empty()) {
    objects.issued(counter);
    return prefix + std::to_string(counter++);
  }
  std::string name = std::move(freeNames.front());
  freeNames.pop_front();
  return name;
}

void handleFactory::release(const std::string& handle) {
  objects.erase(handle);
  if (!handle.empty()) freeNames.push_back(handle);
}

void handleFactory::purgeCaller(const CallerKey& caller, std::string& previous) {
  if (caller == lastCaller || created.empty()) return;
  for (size_t i = 0; i + 1 < created.size(); ++i) release(created[i]);
  created.clear();
  release(previous);
  previous.clear();
}

OPER handleFactory::insert(const boost::any& holder) {
  // Everything that can fail comes before anything is released.
  boost::any copy(holder);
  CallerKey caller(xll::CallerRef());
  std::string& current = callerHandles[caller];  // the cell's last handle ("" for a new cell)
  std::string name = newHandleName();
  boost::any& slot = objects[name];
  purgeCaller(caller, current);
  slot = std::move(copy);
  created.push_back(name);
  current = name;
  lastCaller = std::move(caller);
  return OPER(name);
}

boost::any& handleFactory::get(const std::string& handle) { return objects[handle]; }

void handleFactory::setError(const std::string& message) noexcept {
  try {
    errors[CallerKey(xll::CallerRef())] = message;
  } catch (...) {
  }
}

void handleFactory::clearError() noexcept {
  try {
    if (errors.empty()) return;  // nothing to erase: no need to ask for the caller
    errors.erase(CallerKey(xll::CallerRef()));
  } catch (...) {
  }
}

const std::string* handleFactory::error(const OPER& caller) const {
  return errors.find(CallerKey(caller));
}
