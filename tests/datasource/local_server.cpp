#include "tests/datasource/local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace dstest {
namespace {

using Clock = std::chrono::steady_clock;

// A socket bound to 127.0.0.1 at a port the system chooses.
int boundSocket(std::string& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t n = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), n) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) != 0) {
    ::close(fd);
    throw std::runtime_error("bind");
  }
  port = std::to_string(ntohs(a.sin_port));
  return fd;
}

bool readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, ms) > 0;
}

bool sendAll(int fd, const std::string& bytes) {
  for (size_t sent = 0; sent < bytes.size();) {
    ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

}  // namespace

LocalServer::LocalServer(Mode mode, std::string answer, std::chrono::seconds lifetime)
    : mode_(mode), answer_(std::move(answer)) {
  listener_ = boundSocket(port_);
  ::listen(listener_, 8);
  thread_ = std::thread(&LocalServer::run, this, Clock::now() + lifetime);
}

LocalServer::~LocalServer() {
  stop_ = true;
  thread_.join();
  ::close(listener_);
}

std::string LocalServer::request() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return request_;
}

void LocalServer::serve(Mode mode, std::string answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  mode_ = mode;
  answer_ = std::move(answer);
}

void LocalServer::run(Clock::time_point end) {
  while (!stop_ && Clock::now() < end) {
    if (!readable(listener_, 20)) continue;
    int fd = ::accept(listener_, nullptr, nullptr);
    if (fd < 0) continue;
    answer(fd);
    ::close(fd);
  }
}

void LocalServer::answer(int fd) {
  // the request: up to its empty line, for two seconds at most
  std::string got;
  char buf[65536];
  const Clock::time_point until = Clock::now() + std::chrono::seconds(2);
  while (got.find("\r\n\r\n") == std::string::npos && Clock::now() < until && !stop_) {
    if (!readable(fd, 20)) continue;
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    got.append(buf, size_t(n));
  }
  Mode mode;
  std::string answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    request_ = got;
    mode = mode_;
    answer = answer_;
  }
  if (!sendAll(fd, answer)) return;
  if (mode == Reset) {
    linger l{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    return;
  }
  const std::string flood(sizeof buf, 'x');
  while (mode != Reply && !stop_) {
    if (readable(fd, mode == Flood ? 0 : 20) && ::recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0) return;
    if (mode == Flood && !sendAll(fd, flood)) return;
    if (mode == Trickle && !sendAll(fd, "y")) return;
  }
}

std::string closedPort() {
  std::string port;
  ::close(boundSocket(port));
  return port;
}

}  // namespace dstest
