// Built only into the tests' copy of the add-in: points every quote service
// at a local server and shortens the client's deadlines.
#include <chrono>
#include <string>

#include "datasource/http.h"
#include "datasource/sources.h"
#include "platform/export.h"

XLL_EXPORT void zr_ds_point(const char* host, const char* port, int milliseconds) {
  static std::string h, p;
  h = host, p = port;
  for (ZR::Service& s : ZR::services) s = ZR::Service{h.c_str(), p.c_str()};
  ZR::httpLimits().read = std::chrono::milliseconds(milliseconds);
  ZR::httpLimits().total = 2 * ZR::httpLimits().read;
}
