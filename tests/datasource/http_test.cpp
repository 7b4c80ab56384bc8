// The HTTP client against a local server: the request it sends, what it
// returns and prints for each kind of answer, and how soon it gives up.
#include <gtest/gtest.h>

#include <sstream>

#include "datasource/http.h"
#include "tests/datasource/local_server.h"

namespace {

using dstest::LocalServer;
using ms = std::chrono::milliseconds;

class HttpClient : public ::testing::Test {
 protected:
  void SetUp() override { zr::httpLimits() = {ms(500), ms(300), ms(1500), 1 << 20}; }
  void TearDown() override { zr::httpLimits() = saved; }
  std::string get(const std::string& port) {
    log.str("");
    return zr::http_get("127.0.0.1", port, "/q.csv?s=IBM&f=l1", log);
  }
  zr::HttpLimits saved = zr::httpLimits();
  std::ostringstream log;
};

TEST_F(HttpClient, EachKindOfAnswer) {
  const struct {
    LocalServer::Mode mode;
    const char *answer, *body, *printed;
  } cases[] = {
      {LocalServer::Reply, "HTTP/1.0 200 OK\r\nA: b\r\n\r\n\"IBM\",1\r\n", "\"IBM\",1\r\n", "A: b\r\n\n"},
      {LocalServer::Reply, "HTTP/1.1 404 Not Found\r\nA: b\r\n\r\nno page", "no page",
       "Response returned with status code 404\nA: b\r\n\n"},
      // no status line: the header block stays in the body
      {LocalServer::Reply, "garbage\r\nA: b\r\n\r\nbody", "A: b\r\n\r\nbody",
       "Invalid response\nResponse returned with status code 0\n\n"},
      {LocalServer::Reply, "FTP/1.0 200 OK\r\n\r\nbody", "body", "Invalid response\n\n"},
      {LocalServer::Reply, "HTTP/1.0 200", "", "Exception: End of file\n"},
      {LocalServer::Reply, "HTTP/1.0 200 OK\r\nA: b\r\n", "", "Exception: End of file\n"},
      {LocalServer::Reset, "HTTP/1.0 200 OK\r\n\r\npart of", "part of",
       "\nException: Connection reset by peer\n"},
  };
  LocalServer server(LocalServer::Reply);
  for (const auto& c : cases) {
    server.serve(c.mode, c.answer);
    EXPECT_EQ(get(server.port()), c.body) << c.answer;
    EXPECT_EQ(log.str(), c.printed) << c.answer;
  }
  EXPECT_EQ(server.request(),
            "GET /q.csv?s=IBM&f=l1 HTTP/1.0\r\nHost: 127.0.0.1\r\nAccept: */*\r\nConnection: close\r\n\r\n");
  std::string closed;
  close(LocalServer::bound(closed));
  EXPECT_EQ(get(closed), "");
  EXPECT_EQ(log.str(), "Exception: Connection refused\n");
}

TEST_F(HttpClient, SilentAndEndlessServersAreCutOff) {
  const struct {
    LocalServer::Mode mode;
    int least, most;  // milliseconds to give up
    const char* printed;
  } cases[] = {
      {LocalServer::Silent, 250, 1000, "Exception: Connection timed out\n"},      // the read's deadline
      {LocalServer::Trickle, 1400, 2500, "\nException: Connection timed out\n"},  // the call's
      {LocalServer::Flood, 0, 1000, "\nException: answer larger than 1048576 bytes\n"},
  };
  for (const auto& c : cases) {
    LocalServer server(c.mode, c.mode == LocalServer::Silent ? "" : "HTTP/1.0 200 OK\r\n\r\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_LE(get(server.port()).size(), 1u << 20);
    auto took = std::chrono::duration_cast<ms>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(took >= c.least && took <= c.most) << c.mode << " took " << took;
    EXPECT_EQ(log.str(), c.printed) << c.mode;
  }
}

}  // namespace
