// The frame every worksheet function runs in: the standard floating-point
// state, its persistent result, the clearing of the calling cell's message,
// the function-wizard test, and the catch clauses that turn a failure into
// #VALUE! and a stored message.
#pragma once

#include <new>
#include <string>

#include "platform/fpstate.h"
#include "pool/handle_factory.h"
#include "xll/wizard.h"

namespace xll {

// Which steps a function runs; the full frame unless its table says other.
struct FrameSteps {
  enum Start { EmptyResult, NilResult, KeepResult } start = EmptyResult;
  bool clearError = true;
  bool wizardTest = true;
  // On failure: store the message for the cell, show it in an error alert
  // (standard exceptions only), or only give #VALUE!.
  enum OnFailure { StoreMessage, AlertMessage, ValueOnly } onFailure = StoreMessage;
};

constexpr FrameSteps fullFrame{};

// The text of a zero-terminated text argument; a null pointer is empty.
inline std::string textOf(const char* s) { return s ? s : ""; }

namespace frame_detail {
void failed(OPER& result, FrameSteps::OnFailure mode, const char* message, bool standard) noexcept;
bool begin(OPER& result, const FrameSteps& steps) noexcept;

// The frame's steps in the caller's floating-point state.
template <class Work>
LPXLOPER inCallersFpState(OPER& result, Work&& work, const FrameSteps& steps) noexcept {
  if (!begin(result, steps)) return &result;
  try {
    work();
  } catch (const std::bad_alloc&) {
    failed(result, steps.onFailure, "bad allocation", true);
  } catch (const std::exception& e) {
    failed(result, steps.onFailure, e.what(), true);
  } catch (const std::string& s) {
    failed(result, steps.onFailure, s.c_str(), false);
  } catch (const char* s) {
    failed(result, steps.onFailure, s, false);
  } catch (...) {
    failed(result, steps.onFailure, "Unknown Error", false);
  }
  return &result;
}
}  // namespace frame_detail

// Runs work() in the frame and gives the address of result. Nothing escapes.
// The work computes in the standard floating-point state; the caller gets its
// own back.
template <class Work>
LPXLOPER framed(OPER& result, Work&& work, const FrameSteps& steps = fullFrame) noexcept {
  platform::FpScope standard;
  return frame_detail::inCallersFpState(result, work, steps);
}

}  // namespace xll
