// A minimal HTTP/1.0 client: one GET, the body of the answer as a text.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace ZR {

// Bounds of one exchange. The whole call never takes more than 30 s,
// whatever total says; tests lower these to stay quick.
struct HttpLimits {
  std::chrono::milliseconds connect{10000};    // each connection attempt
  std::chrono::milliseconds read{10000};       // the write and each read
  std::chrono::milliseconds total{30000};      // the whole call
  std::size_t maxBody = std::size_t(4) << 20;  // bytes of body, and of status line and headers
};
HttpLimits& httpLimits();

// What one exchange gave: the body (after a failure, the part read by then)
// and, unless the whole answer came with status 200, what happened, in words
// for a message ("cannot reach HOST: Connection refused").
struct HttpAnswer {
  std::string body;
  std::string failure;
};

// GET path from host at the port of service ("http", or a number).
// Diagnostics go to log; nothing is raised.
HttpAnswer http_get(const std::string& host, const std::string& service, const std::string& path,
                    std::ostream& log);
// The same, with the diagnostics on the standard output.
HttpAnswer http_get(const std::string& host, const std::string& service, const std::string& path);

}  // namespace ZR
