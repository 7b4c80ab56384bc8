#include "pool/frame.h"

#include "xll/alert.h"

namespace xll {
namespace frame_detail {

void failed(OPER& result, FrameSteps::OnFailure mode, const char* message, bool standard) noexcept {
  try {
    result = OPER::error(xlerrValue);
    if (mode == FrameSteps::StoreMessage)
      handleFactory::instance().setError(message ? message : "");
    else if (mode == FrameSteps::AlertMessage && standard)
      AlertError(message);
  } catch (...) {
  }
}

// Steps before the function's own work; false when the work must not run.
bool begin(OPER& result, const FrameSteps& steps) noexcept {
  try {
    // Emptying row by row ends in a missing value, as freeing does.
    if (steps.start == FrameSteps::EmptyResult && result.size() != 0) result.free();
    if (steps.start == FrameSteps::NilResult) result = OPER();
    if (steps.clearError) handleFactory::instance().clearError();
    if (steps.wizardTest && InWizard()) {
      result = "[No Calc in Wizard]";
      return false;
    }
    return true;
  } catch (...) {
    result = OPER::error(xlerrValue);
    return false;
  }
}

}  // namespace frame_detail
}  // namespace xll
