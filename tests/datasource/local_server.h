// A tiny HTTP server on 127.0.0.1 for the client's tests: one thread gives
// the same answer to connection after connection until the object goes.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace dstest {

class LocalServer {
 public:
  // After the answer: close; reset; wait (Silent); send 64 KiB at a time, or
  // a byte every 20 ms; each until the client goes.
  enum Mode { Reply, Reset, Silent, Flood, Trickle };
  LocalServer(Mode mode, std::string answer) : mode_(mode), answer_(std::move(answer)) {
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t n = sizeof a;
    bind(listener_, reinterpret_cast<sockaddr*>(&a), n);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = std::to_string(ntohs(a.sin_port));
    listen(listener_, 8);
    thread_ = std::thread([this] { for (int fd; (fd = accept(listener_, nullptr, nullptr)) >= 0;) serveOne(fd); });
  }
  ~LocalServer() {
    request();
    close(listener_);  // from here nothing listens at the port
  }
  std::string port() const { return port_; }
  // Stops serving; the last request received.
  const std::string& request() {
    if (thread_.joinable()) shutdown(listener_, SHUT_RDWR), thread_.join();  // accept fails
    return request_;
  }

 private:
  void serveOne(int fd) {
    char buf[1 << 16] = {};
    request_.clear();
    for (ssize_t n; request_.find("\r\n\r\n") == std::string::npos && (n = recv(fd, buf, sizeof buf, 0)) > 0;)
      request_.append(buf, n);
    bool open = send(fd, answer_.data(), answer_.size(), MSG_NOSIGNAL) >= 0;
    linger reset{1, 0};
    if (mode_ == Reset) setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    pollfd client{fd, POLLIN, 0};  // readable once the client closes
    while (open && mode_ >= Silent)
      open = (mode_ == Silent || send(fd, buf, mode_ == Flood ? sizeof buf : 1, MSG_NOSIGNAL) > 0) &&
             poll(&client, 1, mode_ == Flood ? 0 : 20) == 0;
    close(fd);
  }

  const Mode mode_;
  const std::string answer_;
  int listener_ = socket(AF_INET, SOCK_STREAM, 0);
  std::string port_, request_;
  std::thread thread_;
};

}  // namespace dstest
