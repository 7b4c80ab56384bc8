// Builds every record at load time, in load order.
#include <exception>

#include "platform/export.h"
#include "platform/fpstate.h"
#include "xll/alert.h"
#include "xll/category.h"
#include "xll/register.h"

namespace xll {

void LoadAddIn(std::initializer_list<CategoryTableOf> categories) {
  try {
    for (CategoryTableOf table : categories) AddCategory(table());
    LoadAlertLevel();
    AddIn::Add("_xll_alert_filter@0", "ALERT.FILTER");
  } catch (const std::exception& e) {
    LoadFailure() = e.what();
  } catch (...) {
    LoadFailure() = "Unknown Error";
  }
}

}  // namespace xll

// The command "ALERT.FILTER".
XLL_PROC(int, xll_alert_filter, "_xll_alert_filter$0", ()) {
  platform::FpScope standard;
  try {
    return xll::AlertFilter();
  } catch (...) {
    return 0;
  }
}
