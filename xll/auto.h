// Lists of functions the lifecycle hooks run.
#pragma once

#include <vector>

namespace xll {

// Hook-list tags.
struct Open {};
struct OpenAfter {};
struct Close {};
struct Add {};
struct RemoveBefore {};
struct Remove {};
struct Open12 {};
struct OpenAfter12 {};
struct Close12 {};
struct Add12 {};
struct RemoveBefore12 {};
struct Remove12 {};

template <class T>
struct Auto {
  typedef int (*Hook)();
  static std::vector<Hook>& List() {
    static std::vector<Hook> hooks;
    return hooks;
  }
  // Runs the hooks in order; the first that gives 0 ends the walk with 0.
  // The result is the last hook's value, 1 for an empty list.
  static int Call() {
    int result = 1;
    for (Hook h : List())
      if ((result = h()) == 0) return 0;
    return result;
  }
};

}  // namespace xll
