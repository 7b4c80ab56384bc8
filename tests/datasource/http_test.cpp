// The HTTP client against a local server: the request it sends, what it
// returns and prints for each kind of answer, and how soon it gives up.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

#include "datasource/http.h"
#include "tests/datasource/local_server.h"

namespace {

using dstest::LocalServer;
using std::chrono::milliseconds;

class HttpClient : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = zr::httpLimits();
    zr::httpLimits().connect = milliseconds(500);
    zr::httpLimits().read = milliseconds(300);
    zr::httpLimits().total = milliseconds(1500);
  }
  void TearDown() override { zr::httpLimits() = saved; }

  std::string get(const LocalServer& server, const std::string& path = "/p") {
    log.str("");
    return zr::http_get("127.0.0.1", server.port(), path, log);
  }
  zr::HttpLimits saved;
  std::ostringstream log;
};

TEST_F(HttpClient, SendsTheExactRequestAndReturnsTheBody) {
  LocalServer server(LocalServer::Reply, "HTTP/1.0 200 OK\r\nContent-Type: text/csv\r\n\r\n\"IBM\",132.31\r\n");
  EXPECT_EQ(get(server, "/d/quotes.csv?s=IBM&f=l1"), "\"IBM\",132.31\r\n");
  EXPECT_EQ(server.request(),
            "GET /d/quotes.csv?s=IBM&f=l1 HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\n"
            "Connection: close\r\n\r\n");
  // the header line with its carriage return, then one empty line
  EXPECT_EQ(log.str(), "Content-Type: text/csv\r\n\n");
}

TEST_F(HttpClient, EachKindOfAnswer) {
  const struct {
    LocalServer::Mode mode;
    const char* answer;
    const char* body;
    const char* printed;
  } cases[] = {
      {LocalServer::Reply, "HTTP/1.1 404 Not Found\r\nA: b\r\n\r\nno such page",  //
       "no such page", "Response returned with status code 404\nA: b\r\n\n"},
      // no status line: the header block stays in the body
      {LocalServer::Reply, "garbage\r\nA: b\r\n\r\nbody", "A: b\r\n\r\nbody",
       "Invalid response\nResponse returned with status code 0\n\n"},
      {LocalServer::Reply, "FTP/1.0 200 OK\r\n\r\nbody", "body", "Invalid response\n\n"},
      {LocalServer::Reply, "HTTP/1.0 200 OK\r\n\r\n", "", "\n"},
      {LocalServer::Reply, "HTTP/1.0 200", "", "Exception: End of file\n"},
      {LocalServer::Reply, "HTTP/1.0 200 OK\r\nA: b\r\n", "", "Exception: End of file\n"},
      {LocalServer::Reset, "HTTP/1.0 200 OK\r\n\r\npart of", "part of",
       "\nException: Connection reset by peer\n"},
  };
  for (const auto& c : cases) {
    LocalServer server(c.mode, c.answer);
    EXPECT_EQ(get(server), c.body) << c.answer;
    EXPECT_EQ(log.str(), c.printed) << c.answer;
  }
  log.str("");
  EXPECT_EQ(zr::http_get("127.0.0.1", dstest::closedPort(), "/", log), "");
  EXPECT_EQ(log.str(), "Exception: Connection refused\n");
}

TEST_F(HttpClient, SilentAndEndlessServersAreCutOff) {
  zr::httpLimits().maxBody = 1 << 20;
  const struct {
    LocalServer::Mode mode;
    milliseconds least, most;  // time to give up
    size_t bodyLeast, bodyMost;
    const char* printed;
  } cases[] = {
      {LocalServer::Silent, milliseconds(250), milliseconds(1000), 0, 0,
       "Exception: Connection timed out\n"},
      {LocalServer::Trickle, milliseconds(1400), milliseconds(2500), 10, 100,
       "\nException: Connection timed out\n"},
      {LocalServer::Flood, milliseconds(0), milliseconds(1000), 1 << 19, 1 << 20,
       "\nException: answer larger than 1048576 bytes\n"},
  };
  for (const auto& c : cases) {
    LocalServer server(c.mode, c.mode == LocalServer::Silent ? "" : "HTTP/1.0 200 OK\r\n\r\n");
    auto start = std::chrono::steady_clock::now();
    std::string body = get(server);
    auto took = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took, c.least) << c.mode;
    EXPECT_LE(took, c.most) << c.mode;
    EXPECT_GE(body.size(), c.bodyLeast) << c.mode;
    EXPECT_LE(body.size(), c.bodyMost) << c.mode;
    EXPECT_EQ(log.str(), c.printed) << c.mode;
  }
}

}  // namespace
