// The registration table of every category of the add-in, in load order.
#pragma once

#include "xll/category.h"

namespace ZR {

const xll::CategoryTable& AnalyticalCategory();
const xll::CategoryTable& BusinessCalendarCategory();
const xll::CategoryTable& DataSourceCategory();
const xll::CategoryTable& MatrixCategory();
const xll::CategoryTable& FileSystemCategory();
const xll::CategoryTable& HouseKeepingCategory();
const xll::CategoryTable& RegexCategory();
const xll::CategoryTable& SqlCategory();
const xll::CategoryTable& StatisticsCategory();
const xll::CategoryTable& UtilsCategory();

}  // namespace ZR
