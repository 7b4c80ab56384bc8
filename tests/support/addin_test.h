// A fixture that loads an add-in into a fresh simulated host.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "host/host.h"

namespace zrtest {

// Brings the stand-in (windows, registry, message boxes) back to its start
// before the host is built.
struct FreshPlatform {
  FreshPlatform() { standin::reset(); }
};

class HostTest : public ::testing::Test {
 protected:
  FreshPlatform fresh_;
  xlsim::Host host;

  void load(const std::string& path) {
    std::string error;
    ASSERT_TRUE(host.load(path, &error)) << error;
    ASSERT_EQ(host.autoOpenResult(), 1) << (host.alerts().empty() ? "" : host.alerts().back());
  }

  // Enters a formula or constant and calculates the sheet.
  xlsim::Value enter(const std::string& ref, const std::string& content) {
    host.setCell(ref, content);
    host.calculate();
    return host.value(ref);
  }
  // Calculates one cell again and gives what it shows.
  xlsim::Value again(const std::string& ref) {
    host.calculate(ref);
    return host.value(ref);
  }
  // The message hf_getError gives for a cell (or range), "" for none.
  std::string errorOf(const std::string& ref) {
    xlsim::Value v = host.call("hf_getError", {xlsim::Arg::ref(ref)}, "Z1000");
    return v.is(xlsim::Value::Text) ? v.str : "";
  }
};

#ifdef ZR_XLL
// The add-in itself, loaded for every test.
class AddinTest : public HostTest {
 protected:
  void SetUp() override { load(ZR_XLL); }
};
#endif

inline bool isError(const xlsim::Value& v, int code) {
  return v.is(xlsim::Value::Error) && v.err == code;
}

}  // namespace zrtest
