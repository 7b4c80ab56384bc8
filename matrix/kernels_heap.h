// Eigen's heap in the kernels (included by kernels.cpp before Eigen, with
// Eigen renamed).
//
// A kernel call takes and frees Eigen's temporary blocks many times: the
// packed panels of a product at each step of a blocked decomposition. On
// Windows each block of more than about 500 kB is new memory from the system
// every time, its pages faulted in again (a fifth of a Cholesky factor's time
// under wine). So while a heap::Scope lives (one kernel call), freed blocks
// are kept and handed out again; they go back to the C library when the
// scope ends. Eigen calls malloc and free after EIGEN_USING_STD(malloc),
// which is pointed here; what else it takes from std it finds through here.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace ZR {
namespace {
namespace heap {

using namespace std;

// Blocks kept for reuse: at most 8, each of 64 kB or more.
struct Kept {
  static constexpr int most = 8;
  static constexpr std::size_t smallest = 64 << 10;
  void* block[most];
  std::size_t size[most];
  int count = 0;
};
thread_local Kept* kept = nullptr;

// Each block starts with its size, in as many bytes as malloc aligns to.
constexpr std::size_t header = 16;

std::size_t& sizeOf(void* p) { return *reinterpret_cast<std::size_t*>(static_cast<char*>(p) - header); }

void* malloc(std::size_t size) {
  if (Kept* k = kept)
    for (int i = 0; i < k->count; ++i)
      if (k->size[i] >= size && k->size[i] / 2 <= size) {  // at most twice the size asked for
        void* p = k->block[i];
        --k->count;
        k->block[i] = k->block[k->count];
        k->size[i] = k->size[k->count];
        return p;
      }
  char* raw = static_cast<char*>(std::malloc(size + header));
  if (raw == nullptr) return nullptr;
  void* p = raw + header;
  sizeOf(p) = size;
  return p;
}

void release(void* p) { std::free(static_cast<char*>(p) - header); }

void free(void* p) {
  if (p == nullptr) return;
  Kept* k = kept;
  if (k == nullptr || k->count == Kept::most || sizeOf(p) < Kept::smallest) return release(p);
  k->block[k->count] = p;
  k->size[k->count] = sizeOf(p);
  ++k->count;
}

// Freed blocks are kept while it lives.
class Scope {
 public:
  Scope() : outer_(kept) { kept = &mine_; }
  ~Scope() {
    kept = outer_;
    for (int i = 0; i < mine_.count; ++i) release(mine_.block[i]);
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  Kept mine_;
  Kept* outer_;
};

}  // namespace heap
}  // namespace
}  // namespace ZR

// Eigen's macros first, then its way to the C library's functions replaced.
#include <Eigen/src/Core/util/Macros.h>
#undef EIGEN_USING_STD
#define EIGEN_USING_STD(FUNC) using ::ZR::heap::FUNC;
