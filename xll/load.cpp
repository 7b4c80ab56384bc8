// Builds every record at load time, in load order.
#include "platform/export.h"
#include "xll/alert.h"
#include "xll/categories.h"
#include "xll/register.h"

namespace xll {

void LoadAddIn() {
  using Table = const CategoryTable& (*)();
  static const Table order[] = {
      zr::AnalyticalCategory,
      zr::BusinessCalendarCategory,
      zr::HouseKeepingCategory,
      zr::UtilsCategory,
  };
  for (Table table : order) AddCategory(table());
  LoadAlertLevel();
  AddIn::Add("_xll_alert_filter@0", "ALERT.FILTER");
}

}  // namespace xll

namespace {

// Runs when the host loads the library; a failure waits for xlAutoOpen.
struct Loader {
  Loader() {
    try {
      xll::LoadAddIn();
    } catch (const std::exception& e) {
      xll::LoadFailure() = e.what();
    } catch (...) {
      xll::LoadFailure() = "Unknown Error";
    }
  }
} const loader;

}  // namespace

// The command "ALERT.FILTER".
XLL_PROC(int, xll_alert_filter, "_xll_alert_filter$0", ()) {
  try {
    return xll::AlertFilter();
  } catch (...) {
    return 0;
  }
}
