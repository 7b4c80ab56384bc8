// One kind's row of operations: its type and one entry per statistic.
#pragma once

#include <boost/any.hpp>
#include <typeinfo>

#include "statistics/kinds.h"

namespace ZR::stats {

struct Operations {
  const std::type_info* type;
  // Each takes the holder (of this kind) and the statistic's argument.
  double (*run[statisticCount])(const boost::any& holder, double x);
};

// The row of kind D; instantiated in the translation unit of D's group.
template <class D>
const Operations& operationsOf();

}  // namespace ZR::stats
