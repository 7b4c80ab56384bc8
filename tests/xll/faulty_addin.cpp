// Add-ins whose records cannot be built or registered, one fault each
// (FAULT: 1 a help text over 255 characters, 2 a function of 20 arguments,
// 3 a failure whose text is longer than a host text, 4 hooks that fail when
// ZR_FAILING_HOOK names them).
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "xll/auto.h"
#include "xll/category.h"
#include "xll/register.h"

using namespace xll;

namespace {

std::vector<ArgRow> arguments() {
  std::vector<ArgRow> args;
  static const char* names[] = {"a0", "a1", "a2",  "a3",  "a4",  "a5",  "a6",
                                "a7", "a8", "a9",  "a10", "a11", "a12", "a13",
                                "a14", "a15", "a16", "a17", "a18", "a19"};
  for (const char* name : names) args.push_back({"B", name, ""});
  return args;
}

// 0 when ZR_FAILING_HOOK holds this hook's letter.
template <char name>
int hook() {
  const char* failing = std::getenv("ZR_FAILING_HOOK");
  return failing && failing[0] == name ? 0 : 1;
}

void load() {
  static const std::string longHelp(300, 'h');
  switch (FAULT) {
    case 1:
      AddCategory({"ZR_Faulty", "Faulty.", "Faulty.", CategoryTable::DocumentationFirst,
                   {{"f_one", "R#", {{"B", "x", longHelp.c_str()}}, "fails."}}, {}});
      break;
    case 2:
      AddCategory({"ZR_Faulty", "Faulty.", "Faulty.", CategoryTable::DocumentationFirst,
                   {{"f_many", "R#", arguments(), "has too many arguments."}}, {}});
      break;
    case 3:
      throw std::runtime_error(std::string(400, 'y'));
    case 4:  // each failing hook is followed by one that succeeds
      Auto<Open>::List() = {&hook<'O'>, &hook<'-'>};
      Auto<Open12>::List() = {&hook<'W'>, &hook<'-'>};
      Auto<RemoveBefore>::List() = {&hook<'R'>, &hook<'-'>};
      break;
  }
}

struct Loader {
  Loader() {
    try {
      load();
    } catch (const std::exception& e) {
      LoadFailure() = e.what();
    }
  }
} const loader;

}  // namespace
