// The add-in's answers do not depend on the floating-point state of the
// thread that calls it: sheets calculated with the add-in called in other
// states (xlhost --fpstate) equal the same sheets in the standard state.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host/fp_state.h"
#include "host/host.h"
#include "host/text.h"
#include "platform/standin.h"

namespace {

// Every cell of a sheet file, one "REF value" line each, with the add-in
// loaded and called in the state given (null: the standard one).
std::string calculate(const std::string& file, const char* state) {
  platform::FpState s;
  if (state && !xlsim::parseFpState(state, s)) return "bad state";
  xlsim::setAddinFpState(state ? &s : nullptr);
  standin::reset();
  std::string out;
  {
    xlsim::Host host;
    if (host.load(ZR_XLL)) {
      std::ifstream in(file);
      for (std::string line; std::getline(in, line);) {
        const size_t gap = line.find(' ');  // no steps (!) in these sheets
        if (!line.empty() && line[0] != '#') host.setCell(line.substr(0, gap), line.substr(gap + 1));
      }
      host.calculate();
      host.forEachCell([&](int row, int col, const xlsim::Value& v) {
        xlsim::appendAreaText(out, xlsim::Area{row, col, row, col}, false);
        out += ' ' + (v.is(xlsim::Value::Number) ? xlsim::numberText17(v.num) : v.display()) + '\n';
      });
    }
  }
  xlsim::setAddinFpState(nullptr);
  return out;
}

TEST(FpState, SheetsGiveTheSameAnswersInEveryCallerState) {
#if !ZR_FP_CONTROL
  GTEST_SKIP() << "no floating-point control state on this processor";
#endif
  for (const char* sheet : {"tests/windows/statistics-tails.sheet", "tests/windows/sql-functions.sheet",
                            "examples/option.sheet", "examples/statistics.sheet"}) {
    const std::string file = std::string(ZR_SOURCE_DIR) + "/" + sheet;
    const std::string standard = calculate(file, nullptr);
    ASSERT_GT(standard.size(), 100u) << sheet;
    for (const char* state : {"53", "24", "towardzero", "ftz,daz"})
      EXPECT_EQ(calculate(file, state), standard) << sheet << " in state " << state;
  }
}

}  // namespace
