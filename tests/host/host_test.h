// Fixture: the test add-in loaded into a fresh simulated host.
#pragma once

#include <string>

#include "tests/support/addin_test.h"

namespace hosttest {

class TestAddin : public zrtest::HostTest {
 protected:
  void SetUp() override { load(TESTADDIN); }
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
