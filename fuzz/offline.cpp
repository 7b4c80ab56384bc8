// Name lookups of the fuzz process: every name resolves to a closed port on
// this machine, so functions that fetch over the network reach nothing off it.
// zr_fuzz exports these two, and the add-in's lookups bind to them.
#include "fuzz/offline.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

std::atomic<int> g_lookups{0};

// A port that nothing listens on: bound once by us, then released.
uint16_t closedPort() {
  static const uint16_t port = [] {
    uint16_t p = 9;  // discard; only used when no socket can be had
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return p;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n) == 0)
      p = ntohs(a.sin_port);
    ::close(s);
    return p;
  }();
  return port;
}

struct Answer {
  addrinfo info;
  sockaddr_in address;
};

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints, addrinfo** res) {
  ++g_lookups;
  if (!res) return EAI_FAIL;
  if (hints && hints->ai_family != AF_UNSPEC && hints->ai_family != AF_INET) return EAI_FAMILY;
  auto* a = static_cast<Answer*>(std::calloc(1, sizeof(Answer)));
  if (!a) return EAI_MEMORY;
  a->address.sin_family = AF_INET;
  a->address.sin_port = htons(closedPort());
  a->address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a->info.ai_family = AF_INET;
  a->info.ai_socktype = hints && hints->ai_socktype ? hints->ai_socktype : SOCK_STREAM;
  a->info.ai_protocol = hints ? hints->ai_protocol : 0;
  a->info.ai_addrlen = sizeof(sockaddr_in);
  a->info.ai_addr = reinterpret_cast<sockaddr*>(&a->address);
  *res = &a->info;
  return 0;
}

extern "C" void freeaddrinfo(addrinfo* ai) noexcept {
  while (ai) {
    addrinfo* next = ai->ai_next;
    std::free(ai);  // one block per answer, info first
    ai = next;
  }
}

namespace zrfuzz {

// A module loaded later binds its lookups through the global scope, where
// the program comes first.
bool offlineLookups() { return dlsym(RTLD_DEFAULT, "getaddrinfo") == reinterpret_cast<void*>(&getaddrinfo); }

int lookupsAnswered() { return g_lookups.load(); }

}  // namespace zrfuzz
