// A tiny HTTP server on 127.0.0.1 for the client's tests: one thread serves
// connections one after another, until the object goes or 20 s have passed.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace dstest {

class LocalServer {
 public:
  // After the answer: close; reset; wait (Silent); send 64 KiB at a time, or
  // a byte every 20 ms, until the client goes.
  enum Mode { Reply, Reset, Silent, Flood, Trickle };
  explicit LocalServer(Mode mode, std::string text = "") : mode_(mode), answer_(std::move(text)) {
    listen(listener_ = bound(port_), 8);
    thread_ = std::thread([this, end = std::chrono::steady_clock::now() + std::chrono::seconds(20)] {
      while (!stop_ && std::chrono::steady_clock::now() < end)
        if (int fd = readable(listener_, 20) ? accept(listener_, nullptr, nullptr) : -1; fd >= 0)
          serveOne(fd);
    });
  }
  ~LocalServer() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  void serve(Mode mode, std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    mode_ = mode;
    answer_ = std::move(text);
  }
  std::string request() {  // the last one received
    std::lock_guard<std::mutex> lock(mutex_);
    return request_;
  }
  std::string port() const { return port_; }

  // A socket bound to a port of 127.0.0.1; closed, nothing listens there.
  static int bound(std::string& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t n = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), n);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    port = std::to_string(ntohs(a.sin_port));
    return fd;
  }

 private:
  static bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, ms) > 0;
  }
  void serveOne(int fd) {
    char buf[1 << 16];
    std::string got;
    for (int i = 0; i < 100 && got.find("\r\n\r\n") == std::string::npos; ++i)
      if (readable(fd, 20)) got.append(buf, std::max<ssize_t>(0, recv(fd, buf, sizeof buf, 0)));
    std::unique_lock<std::mutex> lock(mutex_);
    request_ = got;
    const Mode mode = mode_;
    const std::string more(mode == Flood ? sizeof buf : 1, 'x');
    bool open = send(fd, answer_.data(), answer_.size(), MSG_NOSIGNAL) >= 0;
    lock.unlock();
    linger reset{1, 0};
    if (mode == Reset) setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    while (open && mode >= Silent && !stop_) {
      open = !(readable(fd, mode == Flood ? 0 : 20) && recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0);
      if (open && mode != Silent) open = send(fd, more.data(), more.size(), MSG_NOSIGNAL) > 0;
    }
    close(fd);
  }

  int listener_ = -1;
  std::string port_;
  std::mutex mutex_;
  Mode mode_;
  std::string answer_, request_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace dstest
