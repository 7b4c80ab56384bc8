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
#ifdef ZR_HAS_DATASOURCE
      zr::DataSourceCategory,
#endif
#ifdef ZR_HAS_MATRIX
      zr::MatrixCategory,
#endif
#ifdef ZR_HAS_FILESYSTEM
      zr::FileSystemCategory,
#endif
      zr::HouseKeepingCategory,
#ifdef ZR_HAS_REGEX
      zr::RegexCategory,
#endif
#ifdef ZR_HAS_SQL
      zr::SqlCategory,
#endif
#ifdef ZR_HAS_STATISTICS
      zr::StatisticsCategory,
#endif
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
