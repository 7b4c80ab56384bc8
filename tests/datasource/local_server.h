// A tiny HTTP server on 127.0.0.1 for the client's tests: one thread that
// serves connections one after another, each the same way, and stops by
// itself after its lifetime.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace dstest {

class LocalServer {
 public:
  enum Mode {
    Reply,    // sends the answer, then closes
    Reset,    // sends the answer, then resets the connection
    Silent,   // reads the request and never answers
    Flood,    // sends the answer, then bytes without end
    Trickle,  // sends the answer, then a byte every 20 ms without end
  };
  explicit LocalServer(Mode mode, std::string answer = "",
                       std::chrono::seconds lifetime = std::chrono::seconds(20));
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  const std::string& port() const { return port_; }
  // The bytes of the last request received.
  std::string request() const;
  void serve(Mode mode, std::string answer);

 private:
  void run(std::chrono::steady_clock::time_point end);
  void answer(int fd);

  int listener_ = -1;
  std::string port_;
  mutable std::mutex mutex_;
  Mode mode_;
  std::string answer_, request_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens.
std::string closedPort();

}  // namespace dstest
