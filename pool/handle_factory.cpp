#include "pool/handle_factory.h"

#include <cmath>
#include <functional>

#include "xll/excel.h"

namespace {
uint64_t hashOf(const OPER& key) {
  if (key.xltype == xltypeStr) {
    // FNV-1a over the case-folded characters.
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 1, n = xll::textCount(key.val.str); i <= n; ++i)
      h = (h ^ static_cast<uint64_t>(xll::foldCase(key.val.str[i]))) * 1099511628211ull;
    return h;
  }
  double d = xll::to_double(key);
  return std::isnan(d) ? key.xltype : static_cast<uint64_t>(std::hash<double>()(d)) ^ key.xltype;
}
}  // namespace

CallerKey::CallerKey(OPER r) : ref(std::move(r)), hash(hashOf(ref)) {}

uint32_t ObjectStore::number(const std::string& name) const {
  size_t n = prefix_.size();
  if (name.size() <= n || name.size() > n + 9 || name.compare(0, n, prefix_) != 0 || name[n] == '0')
    return 0;
  uint32_t k = 0;
  for (size_t i = n; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    k = k * 10 + static_cast<uint32_t>(name[i] - '0');
  }
  return k <= issued_ ? k : 0;
}

void ObjectStore::issued(uint32_t k) {
  if (k <= issued_) return;
  while ((static_cast<uint64_t>(chunks_.size()) << kChunkBits) <= k)
    chunks_.emplace_back(new Slot[kChunk]);
  for (uint32_t j = issued_ + 1; j <= k && !others_.empty(); ++j) {
    auto it = others_.find(prefix_ + std::to_string(j));
    if (it != others_.end()) slot(j).other = &it->second;
  }
  issued_ = k;
}

boost::any& ObjectStore::operator[](const std::string& name) {
  if (uint32_t k = number(name)) {
    Slot& s = slot(k);
    if (s.other) return *s.other;
    if (!s.present) {
      s.present = true;
      ++count_;
    }
    return s.holder;
  }
  return others_[name];
}

void ObjectStore::erase(const std::string& name) {
  if (uint32_t k = number(name)) {
    Slot& s = slot(k);
    if (s.other) {
      s.other = nullptr;
      others_.erase(name);
    } else if (s.present) {
      s.holder = boost::any();
      s.present = false;
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
    objects.issued(static_cast<uint32_t>(counter));
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

OPER handleFactory::insert(boost::any holder) {
  // Everything that can fail comes before anything is released (the holder
  // was made by the caller).
  CallerKey caller(xll::CallerRef());
  std::string& current = callerHandles[caller];  // the cell's last handle ("" for a new cell)
  std::string name = newHandleName();
  boost::any& slot = objects[name];
  purgeCaller(caller, current);
  slot = std::move(holder);
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
