// The message a library call throws, for tests of the feature libraries.
#pragma once

#include <exception>
#include <string>

namespace zrtest {

// What `call` throws: a standard exception's text, a text object or a plain
// message text; "" when it throws nothing.
template <class F>
std::string thrownMessage(F call) {
  try {
    call();
  } catch (const std::exception& e) {
    return e.what();
  } catch (const std::string& s) {
    return s;
  } catch (const char* s) {
    return s;
  }
  return "";
}

}  // namespace zrtest
