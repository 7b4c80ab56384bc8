// The floating-point state the add-in is called in (xlhost --fpstate). The
// host's own parsing and printing keep the state it runs in.
#pragma once

#include <optional>
#include <string>

#include "platform/fpstate.h"

namespace xlsim {

// The standard state changed by a comma list of "53" or "24" (x87 precision
// bits), "towardzero" (x87 and SSE rounding), "ftz" (SSE flush-to-zero) and
// "daz" (SSE denormals-are-zero). False for any other word.
bool parseFpState(const std::string& text, platform::FpState& state);

// The state every later call into the add-in runs in; null: the host's own.
void setAddinFpState(const platform::FpState* state);

// Around a call into the add-in: the add-in's state during the call, the
// host's after it.
class AddinFpState {
 public:
  AddinFpState();

 private:
  std::optional<platform::FpScope> scope_;
};

}  // namespace xlsim
