// The object pool: objects stored behind handle texts ("#hndl1"), tied to
// the cells that made them, and each cell's last error message.
#pragma once

#include <boost/any.hpp>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "pool/caller_table.h"
#include "xll/oper.h"

// The pool's objects by handle text. Names the pool itself issues ("#hndl"
// and the number, without leading zeros) are kept in fixed chunks of slots
// indexed by the number; any other text in a node-based map. Both compare
// names exactly, and a holder never moves while it is stored.
class ObjectStore {
 public:
  explicit ObjectStore(const std::string& prefix) : prefix_(prefix) {}
  // The holder under a name, inserted empty when missing.
  boost::any& operator[](const std::string& name);
  void erase(const std::string& name);
  size_t size() const { return count_ + others_.size(); }
  // Names up to this number may be kept in the slots.
  void issued(uint32_t number);

 private:
  struct Slot {
    boost::any holder;
    bool present = false;
    // A name looked up before its number was issued stays where it was.
    boost::any* other = nullptr;
  };
  static constexpr uint32_t kChunkBits = 10;
  static constexpr uint32_t kChunk = 1u << kChunkBits;

  // The number of a name the pool has issued, else 0.
  uint32_t number(const std::string& name) const;
  Slot& slot(uint32_t k) { return chunks_[k >> kChunkBits][k & (kChunk - 1)]; }

  std::string prefix_;
  std::vector<std::unique_ptr<Slot[]>> chunks_;
  uint32_t issued_ = 0;  // highest number issued
  size_t count_ = 0;     // present slots
  std::unordered_map<std::string, boost::any> others_;
};

class handleFactory {
 public:
  static handleFactory& instance();
  virtual ~handleFactory() = default;

  // Stores the holder for the calling cell and gives its handle; a holder
  // passed as an rvalue is moved in, never copied.
  OPER insert(boost::any holder);
  // The holder under a handle; an unknown handle gets an empty holder.
  boost::any& get(const std::string& handle);

  // Stores the calling cell's failure message. Never throws.
  void setError(const std::string& message) noexcept;
  // Erases the calling cell's message. Never throws.
  void clearError() noexcept;
  // The message stored for a caller reference, or null.
  const std::string* error(const OPER& caller) const;

  // Number of entries in the pool, empty ones included.
  size_t count() const { return objects.size(); }

  std::string newHandleName();

 private:
  handleFactory() = default;
  void release(const std::string& handle);
  // Frees what the previous caller and this cell (whose last handle is
  // previous) no longer need.
  void purgeCaller(const CallerKey& caller, std::string& previous);

  std::string prefix = "#hndl";
  ObjectStore objects{prefix};
  std::deque<std::string> freeNames;
  int counter = 1;
  CallerKey lastCaller;
  CallerTable<std::string> callerHandles;
  CallerTable<std::string> errors;
  std::vector<std::string> created;
};

// The object of type T stored under a handle; any other content (or none)
// fails with boost::bad_any_cast.
template <class T>
T& objectFromHandle(const std::string& handle) {
  return boost::any_cast<T&>(handleFactory::instance().get(handle));
}
