// A map from caller reference to a value, by open addressing: a small flat
// index of 8-byte slots points into a dense array of entries, so a lookup
// is one probe of the index and one entry, however many cells call.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "xll/oper.h"

// A caller reference as a key, with its hash, which agrees with the host
// value's equality: texts are hashed without regard to letter case.
struct CallerKey {
  explicit CallerKey(OPER ref = OPER());
  OPER ref;
  uint64_t hash;
  bool operator==(const CallerKey& o) const noexcept {
    return hash == o.hash && xll::equal(ref, o.ref);
  }
};

template <class T>
class CallerTable {
 public:
  // The value under key, inserted (value-initialised) when missing.
  T& operator[](const CallerKey& key) {
    if ((used_ + 1) * 10 > slots_.size() * 7) rebuild();
    size_t i = probe(key);
    if (slots_[i].entry == kEmpty || slots_[i].entry == kErased) {
      used_ += slots_[i].entry == kEmpty;
      slots_[i] = Slot{tag(key), static_cast<uint32_t>(entries_.size())};
      entries_.push_back(Entry{key, T()});
    }
    return entries_[slots_[i].entry].value;
  }

  // The value under key, or null.
  const T* find(const CallerKey& key) const {
    if (slots_.empty()) return nullptr;
    uint32_t e = slots_[probe(key)].entry;
    return e == kEmpty || e == kErased ? nullptr : &entries_[e].value;
  }

  void erase(const CallerKey& key) {
    if (slots_.empty()) return;
    size_t i = probe(key);
    uint32_t e = slots_[i].entry;
    if (e == kEmpty || e == kErased) return;
    slots_[i].entry = kErased;
    // The last entry moves into the gap; its slot follows it.
    uint32_t last = static_cast<uint32_t>(entries_.size() - 1);
    if (e != last) {
      slots_[probe(entries_[last].key)].entry = e;
      entries_[e] = std::move(entries_[last]);
    }
    entries_.pop_back();
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  static constexpr uint32_t kErased = 0xFFFFFFFE;
  struct Slot {
    uint32_t tag = 0;  // high bits of the key's hash
    uint32_t entry = kEmpty;
  };
  struct Entry {
    CallerKey key;
    T value;
  };

  static uint32_t tag(const CallerKey& key) { return static_cast<uint32_t>(key.hash >> 32); }

  // The slot of key, else the first free slot on its probe sequence.
  size_t probe(const CallerKey& key) const {
    size_t mask = slots_.size() - 1;
    size_t free = slots_.size();
    uint32_t t = tag(key);
    for (size_t i = static_cast<size_t>(key.hash) & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.entry == kEmpty) return free < slots_.size() ? free : i;
      if (s.entry == kErased) {
        if (free == slots_.size()) free = i;
      } else if (s.tag == t && entries_[s.entry].key == key) {
        return i;
      }
    }
  }

  // A fresh index at twice the entries or more (at least 16 slots), without
  // erased slots; it is rebuilt when 70% of its slots are taken.
  void rebuild() {
    size_t n = 16;
    while (n < (entries_.size() + 1) * 2) n *= 2;
    slots_.assign(n, Slot());
    for (uint32_t e = 0; e < entries_.size(); ++e) {
      size_t mask = n - 1;
      size_t i = static_cast<size_t>(entries_[e].key.hash) & mask;
      while (slots_[i].entry != kEmpty) i = (i + 1) & mask;
      slots_[i] = Slot{tag(entries_[e].key), e};
    }
    used_ = entries_.size();
  }

  std::vector<Slot> slots_;  // a power of two in size
  std::vector<Entry> entries_;
  size_t used_ = 0;  // slots in use or erased
};
