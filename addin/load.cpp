// The categories of zr.xll, whose records are built in this order when the
// host loads the library; a failure waits for xlAutoOpen.
#include "addin/categories.h"

namespace {

struct Loader {
  Loader() {
    xll::LoadAddIn({ZR::AnalyticalCategory, ZR::BusinessCalendarCategory, ZR::DataSourceCategory,
                    ZR::MatrixCategory, ZR::FileSystemCategory, ZR::HouseKeepingCategory, ZR::RegexCategory,
                    ZR::SqlCategory, ZR::StatisticsCategory, ZR::UtilsCategory});
  }
} const loader;

}  // namespace
