#include "datasource/http.h"

#include <algorithm>
#include <iostream>
#include <istream>
#include <stdexcept>
#include <string_view>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>
#include <boost/system/system_error.hpp>

namespace ZR {

HttpLimits& httpLimits() {
  static HttpLimits limits;
  return limits;
}

namespace {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;
using boost::system::system_error;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kLongestCall{30000};

std::runtime_error tooLarge(std::size_t limit) {
  return std::runtime_error("answer larger than " + std::to_string(limit) + " bytes");
}

// One exchange on one socket. Each operation runs until it completes or its
// deadline passes (its own limit, and never past the end of the call); at
// the deadline the socket is closed and the operation fails with timed_out.
class Exchange {
  struct Done {
    error_code* pending;
    void operator()(const error_code& e, std::size_t = 0) const { *pending = e; }
  };
  Done handler() { return Done{&pending_}; }

 public:
  explicit Exchange(const HttpLimits& limits)
      : limits_(limits), end_(Clock::now() + std::min(limits.total, kLongestCall)) {}

  tcp::resolver::results_type resolve(const std::string& host, const std::string& service) {
    tcp::resolver resolver(io_);
    return resolver.resolve(host, service, tcp::resolver::address_configured);
  }

  void connect(const tcp::resolver::results_type& endpoints) {
    error_code error = asio::error::host_not_found;
    auto next = endpoints.begin();
    while (error) {
      if (next == endpoints.end()) throw system_error(error);
      error_code ignored;
      socket_.close(ignored);
      start();
      socket_.async_connect(*next++, handler());
      error = finish(limits_.connect);
    }
  }

  void write(const std::string& request) {
    start();
    asio::async_write(socket_, asio::buffer(request), handler());
    if (error_code e = finish(limits_.read)) throw system_error(e);
  }

  void readLine(asio::streambuf& buffer) {
    start();
    asio::async_read_until(socket_, buffer, "\r\n", handler());
    error_code e = finish(limits_.read);
    if (e == asio::error::not_found) throw tooLarge(limits_.maxBody);
    if (e) throw system_error(e);
  }

  // Until the buffer holds the empty line that ends the header block; it
  // may follow the status line at once.
  void readHeaderBlock(asio::streambuf& buffer) {
    for (std::size_t from = 0;;) {
      const std::string_view held(static_cast<const char*>(buffer.data().data()), buffer.size());
      if (held.compare(0, 2, "\r\n") == 0 || held.find("\r\n\r\n", from) != held.npos) return;
      from = held.size() < 3 ? 0 : held.size() - 3;
      if (buffer.size() >= buffer.max_size()) throw tooLarge(limits_.maxBody);
      if (!readSome(buffer)) throw system_error(asio::error::eof);
    }
  }

  // At least one byte more; false at the end of the stream.
  bool readSome(asio::streambuf& buffer) {
    start();
    asio::async_read(socket_, buffer, asio::transfer_at_least(1), handler());
    error_code e = finish(limits_.read);
    if (e == asio::error::eof) return false;
    if (e) throw system_error(e);
    return true;
  }

 private:
  void start() {
    pending_ = asio::error::would_block;
    io_.restart();
  }
  error_code finish(std::chrono::milliseconds limit) {
    io_.run_until(std::min(Clock::now() + limit, end_));
    if (pending_ != asio::error::would_block) return pending_;
    error_code ignored;
    socket_.close(ignored);
    io_.restart();
    io_.run();  // the aborted operation's handler
    return asio::error::timed_out;
  }

  const HttpLimits limits_;
  const Clock::time_point end_;
  asio::io_context io_;
  tcp::socket socket_{io_};
  error_code pending_;
};

// Moves every byte of the buffer to the end of the body.
void take(asio::streambuf& buffer, std::string& body, std::size_t limit) {
  std::size_t n = buffer.size();
  if (n > limit - body.size()) throw tooLarge(limit);
  const char* p = static_cast<const char*>(buffer.data().data());
  body.append(p, n);
  buffer.consume(n);
}

}  // namespace

HttpAnswer http_get(const std::string& host, const std::string& service, const std::string& path,
                    std::ostream& log) {
  HttpAnswer answer;
  std::string& body = answer.body;
  const char* doing = "cannot reach ";  // what a failure stopped, for its words
  try {
    Exchange exchange(httpLimits());
    const std::size_t limit = httpLimits().maxBody;
    exchange.connect(exchange.resolve(host, service));
    doing = "cannot send the request to ";
    exchange.write("GET " + path + " HTTP/1.0\r\n" + "Host: " + host + "\r\n" + "Accept: */*\r\n" +
                   "Connection: close\r\n\r\n");

    doing = "cannot read the answer of ";
    asio::streambuf response(limit);
    exchange.readLine(response);
    std::istream stream(&response);
    std::string version, message;
    unsigned int status = 0;
    stream >> version >> status;
    std::getline(stream, message);
    if (!stream || version.compare(0, 5, "HTTP/") != 0) {
      log << "Invalid response\n";
      answer.failure = "the answer of " + host + " is not HTTP";
    }
    if (status != 200) {
      log << "Response returned with status code " << status << "\n";
      if (answer.failure.empty()) answer.failure = host + " answered with status " + std::to_string(status);
    }

    exchange.readHeaderBlock(response);
    std::string header;
    while (std::getline(stream, header) && header != "\r") log << header << "\n";
    log << "\n";

    if (response.size() > 0) take(response, body, limit);
    while (exchange.readSome(response)) take(response, body, limit);
  } catch (const system_error& e) {
    log << "Exception: " << e.what() << "\n";
    answer.failure = doing + host + ": " + e.code().message();
  } catch (const std::exception& e) {
    log << "Exception: " << e.what() << "\n";
    answer.failure = doing + host + ": " + e.what();
  }
  return answer;
}

HttpAnswer http_get(const std::string& host, const std::string& service, const std::string& path) {
  return http_get(host, service, path, std::cout);
}

}  // namespace ZR
