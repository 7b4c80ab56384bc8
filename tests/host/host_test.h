// Fixture: the test add-in loaded into a fresh simulated host.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/host.h"

namespace hosttest {

struct FreshPlatform {
  FreshPlatform() { standin::reset(); }
};

class TestAddin : public ::testing::Test {
 protected:
  FreshPlatform fresh_;
  xlsim::Host host;

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host.load(TESTADDIN, &error)) << error;
    ASSERT_EQ(host.autoOpenResult(), 1);
  }
  // Enters a cell and calculates the sheet; what the cell shows.
  xlsim::Value enter(const std::string& ref, const std::string& content) {
    host.setCell(ref, content);
    host.calculate();
    return host.value(ref);
  }
  // One formula in A1 of an emptied sheet.
  xlsim::Value formula(const std::string& content) {
    host.clearSheet();
    return enter("A1", content);
  }
};

inline xlsim::Value num(double x) { return xlsim::Value::number(x); }
inline xlsim::Value str(const std::string& s) { return xlsim::Value::text(s); }
inline xlsim::Value err(int e) { return xlsim::Value::error(e); }
inline xlsim::Value boolean(bool b) { return xlsim::Value::boolean(b); }

}  // namespace hosttest
