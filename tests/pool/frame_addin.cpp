// A small add-in of test functions on the add-in's own framework, pool and
// frame: constructors of plain numbers and functions that fail in every way.
#include <stdexcept>

#include "platform/export.h"
#include "pool/frame.h"
#include "xll/categories.h"
#include "xll/register.h"

using namespace xll;

namespace {

const CategoryTable& testCategory() {
  static const CategoryTable table{
      "ZR_Test",
      "Test functions.",
      "Test functions.",
      CategoryTable::DocumentationFirst,
      {
          {"t_store", "R#", {{"B", "Value", "is stored."}}, "stores a number."},
          {"t_store2", "R#", {{"B", "Value", "is stored twice."}}, "stores two numbers."},
          {"t_read", "R#", {{"F#", "Handle", "is a handle."}}, "reads a stored number."},
          {"t_fail", "R#", {{"J#", "Kind", "is the kind of failure."}}, "fails."},
          {"t_array", "R#", {{"J#", "Rows", ""}, {"J#", "Columns", ""}, {"A", "Fail", ""}},
           "an array, or a failure."},
          {"t_quiet", "R#", {{"J#", "Kind", "is the kind of failure."}},
           "fails without a message."},
      },
      {},
  };
  return table;
}

struct Loader {
  Loader() {
    try {
      AddCategory(testCategory());
      AddCategory(zr::HouseKeepingCategory());
    } catch (const std::exception& e) {
      LoadFailure() = e.what();
    }
  }
} const loader;

// Fails with the kind's exception; 0 succeeds.
void fail(int kind) {
  switch (kind) {
    case 1: throw std::runtime_error("standard failure");
    case 2: throw std::string("text object failure");
    case 3: throw "plain message failure";
    case 4: throw 42;
    case 5: throw std::string(300, 'x');
  }
}

}  // namespace

XLL_PROC(LPXLOPER, t_store, "?t_store", (double value)) {
  static OPER result;
  return framed(result, [&] { result = handleFactory::instance().insert(boost::any(value)); });
}

XLL_PROC(LPXLOPER, t_store2, "?t_store2", (double value)) {
  static OPER result;
  return framed(result, [&] {
    handleFactory::instance().insert(boost::any(value));
    result = handleFactory::instance().insert(boost::any(value + 1));
  });
}

XLL_PROC(LPXLOPER, t_read, "?t_read", (char* handle)) {
  static OPER result;
  return framed(result, [&] { result = objectFromHandle<double>(handle); });
}

XLL_PROC(LPXLOPER, t_fail, "?t_fail", (int kind)) {
  static OPER result;
  return framed(result, [&] {
    fail(kind);
    result = "fine";
  });
}

XLL_PROC(LPXLOPER, t_array, "?t_array", (int rows, int columns, short failing)) {
  static OPER result;
  return framed(result, [&] {
    if (failing) throw std::runtime_error("array failure");
    result = OPER(rows, columns);
    for (size_t i = 0; i < result.size(); ++i) result[i] = static_cast<double>(i);
  });
}

XLL_PROC(LPXLOPER, t_quiet, "?t_quiet", (int kind)) {
  static OPER result;
  static const FrameSteps steps{FrameSteps::EmptyResult, false, true, FrameSteps::ValueOnly};
  return framed(result, [&] {
    fail(kind);
    result = "fine";
  }, steps);
}
