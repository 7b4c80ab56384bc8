// The HTTP client against a local server: what it returns and prints for each
// kind of answer, and how soon it gives up.
#include <gtest/gtest.h>

#include <sstream>

#include "datasource/http.h"
#include "tests/datasource/local_server.h"

using ms = std::chrono::milliseconds;
using S = dstest::LocalServer;

TEST(HttpClient, EachKindOfAnswerAndHowSoonItGivesUp) {
  ZR::httpLimits() = {ms(500), ms(300), ms(1500), 1 << 20};
  std::ostringstream log;
  const std::string ok = "HTTP/1.0 200 OK\r\n\r\n";
  const std::string broke = "cannot read the answer of 127.0.0.1: ", notHttp = "the answer of 127.0.0.1 is not HTTP";
  // body nullptr: at most 1 MiB of it; failure: what the caller is told;
  // least and most: milliseconds to give up
  const struct {
    S::Mode mode;
    std::string answer;
    const char *body, *printed;
    std::string failure;
    int least, most;
  } cases[] = {
      {S::Reply, "HTTP/1.0 200 OK\r\nA: b\r\n\r\n\"IBM\",1\r\n", "\"IBM\",1\r\n", "A: b\r\n\n", "", 0, 250},
      {S::Reply, "HTTP/1.1 404 Not Found\r\nA: b\r\n\r\nno page", "no page",
       "Response returned with status code 404\nA: b\r\n\n", "127.0.0.1 answered with status 404", 0, 250},
      // no status line: the header block stays in the body
      {S::Reply, "garbage\r\nA: b\r\n\r\nbody", "A: b\r\n\r\nbody",
       "Invalid response\nResponse returned with status code 0\n\n", notHttp, 0, 250},
      {S::Reply, "FTP/1.0 200 OK\r\n\r\nbody", "body", "Invalid response\n\n", notHttp, 0, 250},
      {S::Reply, "HTTP/1.0 200", "", "Exception: End of file\n", broke + "End of file", 0, 250},
      {S::Reply, "HTTP/1.0 200 OK\r\nA: b\r\n", "", "Exception: End of file\n", broke + "End of file", 0, 250},
      {S::Reset, ok + "part of", "part of", "\nException: Connection reset by peer\n",
       broke + "Connection reset by peer", 0, 250},
      // the read's deadline, then the call's
      {S::Silent, "", "", "Exception: Connection timed out\n", broke + "Connection timed out", 250, 480},
      {S::Trickle, ok, nullptr, "\nException: Connection timed out\n", broke + "Connection timed out", 1400, 2500},
      {S::Flood, ok, nullptr, "\nException: answer larger than 1048576 bytes\n",
       broke + "answer larger than 1048576 bytes", 0, 1000},
  };
  for (const auto& c : cases) {
    S server(c.mode, c.answer);
    const auto start = std::chrono::steady_clock::now();
    const ZR::HttpAnswer got = ZR::http_get("127.0.0.1", server.port(), "/q.csv?s=IBM&f=l1", log);
    const auto took = std::chrono::duration_cast<ms>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(c.body ? got.body == c.body : got.body.size() <= 1u << 20) << c.answer << got.body.substr(0, 99);
    EXPECT_EQ(log.str(), c.printed) << c.answer;
    EXPECT_EQ(got.failure, c.failure) << c.answer;
    log.str("");
    EXPECT_TRUE(took >= c.least && took <= c.most) << c.answer << " took " << took;
  }
  const std::string closed = S(S::Reply, "").port();  // nothing listens there now
  const ZR::HttpAnswer refused = ZR::http_get("127.0.0.1", closed, "/", log);
  EXPECT_EQ(refused.body, "");
  EXPECT_EQ(refused.failure, "cannot reach 127.0.0.1: Connection refused");
  EXPECT_EQ(log.str(), "Exception: Connection refused\n");
}
