// Prints every function and command record of the add-in as
// "procedure<TAB>bytes": the bytes its arguments take on the stack of a
// 32-bit __stdcall call, as its registered type text implies (a command takes
// none). The build writes zr.def from it.
#include <cstdio>
#include <string>

#include "xll/args.h"
#include "xll/category.h"
#include "xll/register.h"

namespace {

// B is a double (8 bytes); every other letter is a pointer, a 32-bit integer
// or a 16-bit one widened to a 4-byte slot. '#', '!' and '$' only mark.
int argumentBytes(const std::string& type) {
  int bytes = 0;
  bool first = true;  // the return type
  for (char c : type) {
    if (c == '#' || c == '!' || c == '$') continue;
    if (first) {
      first = false;
      continue;
    }
    bytes += c == 'B' ? 8 : 4;
  }
  return bytes;
}

}  // namespace

int main() {
  // The records were built by the add-in's static initializers.
  if (!xll::LoadFailure().empty()) {
    std::fprintf(stderr, "the records failed to build: %s\n", xll::LoadFailure().c_str());
    return 1;
  }
  for (const xll::AddIn* addin : xll::AddIn::List()) {
    const auto& args = addin->Args();
    const double macroType = xll::to_double(args[xll::ArgMacroType]);
    if (macroType != 1 && macroType != 2) continue;
    const std::string procedure = args[xll::ArgProcedure].text();
    const int bytes = macroType == 2 ? 0 : argumentBytes(args[xll::ArgType].text());
    std::printf("%s\t%d\n", procedure.c_str(), bytes);
  }
  return 0;
}
