// The categories of zr.xll, whose records are built in this order when the
// host loads the library; a failure waits for xlAutoOpen.
#include "addin/categories.h"

namespace {

struct Loader {
  Loader() {
    xll::LoadAddIn({zr::AnalyticalCategory, zr::BusinessCalendarCategory, zr::DataSourceCategory,
                    zr::MatrixCategory, zr::FileSystemCategory, zr::HouseKeepingCategory, zr::RegexCategory,
                    zr::SqlCategory, zr::StatisticsCategory, zr::UtilsCategory});
  }
} const loader;

}  // namespace
