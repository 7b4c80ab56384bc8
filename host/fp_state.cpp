#include "host/fp_state.h"

#include <sstream>

namespace xlsim {

namespace {
std::optional<platform::FpState>& addinState() {
  static std::optional<platform::FpState> state;
  return state;
}
}  // namespace

bool parseFpState(const std::string& text, platform::FpState& state) {
  using S = platform::FpState;
  state = S();
  std::istringstream in(text);
  std::string word;
  bool any = false;
  while (std::getline(in, word, ',')) {
    any = true;
    if (word == "53")
      state.x87 = static_cast<uint16_t>((state.x87 & ~S::x87Precision) | 0x0200);
    else if (word == "24")
      state.x87 = static_cast<uint16_t>(state.x87 & ~S::x87Precision);
    else if (word == "towardzero")
      state.x87 |= S::x87Rounding, state.mxcsr |= S::sseRounding;
    else if (word == "ftz")
      state.mxcsr |= S::sseFlushToZero;
    else if (word == "daz")
      state.mxcsr |= S::sseDenormalsAreZero;
    else
      return false;
  }
  return any;
}

void setAddinFpState(const platform::FpState* state) {
  if (state)
    addinState() = *state;
  else
    addinState().reset();
}

AddinFpState::AddinFpState() {
  if (addinState()) scope_.emplace(*addinState());
}

}  // namespace xlsim
