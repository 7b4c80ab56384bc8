// A named table: a table name and a copy of a range whose first row holds
// the column headings.
#pragma once

#include <string>
#include <utility>

#include "sql/table.h"

namespace ZR {

class KeyValue {
 public:
  KeyValue(std::string name, Table range) : name_(std::move(name)), range_(std::move(range)) {}
  std::string name() const { return name_; }
  const Table& range() const { return range_; }

 private:
  std::string name_;
  Table range_;
};

}  // namespace ZR
