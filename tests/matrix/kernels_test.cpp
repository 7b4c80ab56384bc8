// The dense kernels give the same bits for the same data wherever it lies:
// each copy the processor runs, each function, its inputs and outputs placed
// at 8 offsets of 8 bytes from a 64-byte boundary.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "matrix/kernels.h"

namespace {

using Index = std::int64_t;
using Values = std::vector<double>;

// Storage for size doubles that starts offset doubles past a 64-byte boundary.
class Placed {
 public:
  Placed(const Values& values, int offset) : store_(new double[values.size() + 16]) {
    const auto at = reinterpret_cast<std::uintptr_t>(store_.get());
    data_ = reinterpret_cast<double*>((at + 63) / 64 * 64) + offset;
    std::memcpy(data_, values.data(), values.size() * sizeof(double));
  }
  double* data() { return data_; }

 private:
  std::unique_ptr<double[]> store_;
  double* data_;
};

Values random(Index size, unsigned seed) {
  std::mt19937_64 bits(seed);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  Values v(size);
  for (double& x : v) x = uniform(bits);
  return v;
}

// b b^T + n I for a random n x n b: symmetric positive definite.
Values spd(Index n, unsigned seed) {
  const Values b = random(n * n, seed);
  Values s(n * n);
  for (Index i = 0; i < n; ++i)
    for (Index j = 0; j < n; ++j) {
      double sum = i == j ? static_cast<double>(n) : 0.0;
      for (Index k = 0; k < n; ++k) sum += b[i * n + k] * b[j * n + k];
      s[i * n + j] = sum;
    }
  return s;
}

// A kernel function on one placement of its data: what it wrote, and what
// it returned, one value after the other.
using KernelRun = std::function<Values(const ZR::Kernels&, int offset)>;

KernelRun product(Index m, Index k, Index n) {
  return [=](const ZR::Kernels& f, int offset) {
    Placed a(random(m * k, 1), offset), b(random(k * n, 2), (offset + 3) % 8), c(Values(m * n), (offset + 5) % 8);
    f.product(a.data(), b.data(), c.data(), m, k, n);
    return Values(c.data(), c.data() + m * n);
  };
}

// A function that works in place on rows x cols values.
KernelRun inPlace(Index rows, Index cols, const Values& input,
                  std::function<double(const ZR::Kernels&, double*)> call) {
  return [=](const ZR::Kernels& f, int offset) {
    Placed a(input, offset);
    const double returned = call(f, a.data());
    Values out(a.data(), a.data() + rows * cols);
    out.push_back(returned);
    return out;
  };
}

KernelRun eigen(Index n) {
  return [=](const ZR::Kernels& f, int offset) {
    Placed s(spd(n, 3), offset), values(Values(n), (offset + 1) % 8), vectors(Values(n * n), (offset + 6) % 8);
    Values out(n * n + n + 1);
    out[0] = f.selfAdjointEigen(s.data(), n, values.data(), vectors.data());
    std::memcpy(&out[1], values.data(), n * sizeof(double));
    std::memcpy(&out[1 + n], vectors.data(), n * n * sizeof(double));
    return out;
  };
}

std::vector<std::pair<std::string, KernelRun>> runs() {
  std::vector<std::pair<std::string, KernelRun>> all;
  // Sizes below and past Eigen's switch to its blocked product and
  // decompositions, and off every packet width.
  for (Index n : {4, 5, 7, 20, 37, 97}) {
    const std::string size = std::to_string(n);
    all.emplace_back("product " + size, product(n, n, n));
    all.emplace_back("partialPivLU " + size, inPlace(n, n, random(n * n, 4), [n](const ZR::Kernels& f, double* a) {
                       return f.partialPivLU(a, n);
                     }));
    all.emplace_back("householderQr " + size, inPlace(n, n, random(n * n, 5), [n](const ZR::Kernels& f, double* a) {
                       f.householderQr(a, n, n);
                       return 0.0;
                     }));
    for (bool upper : {false, true})
      all.emplace_back("cholesky " + size, inPlace(n, n, spd(n, 6), [n, upper](const ZR::Kernels& f, double* s) {
                         return static_cast<double>(f.cholesky(s, n, upper));
                       }));
    for (int factor : {0, 1, 2})
      all.emplace_back("ldlt " + size, inPlace(n, n, spd(n, 7), [n, factor](const ZR::Kernels& f, double* s) {
                         return static_cast<double>(f.ldlt(s, n, factor));
                       }));
    all.emplace_back("selfAdjointEigen " + size, eigen(n));
  }
  all.emplace_back("product 3x13x9", product(3, 13, 9));
  all.emplace_back("product 130x257x67", product(130, 257, 67));
  all.emplace_back("householderQr 41x19", inPlace(41, 19, random(41 * 19, 8), [](const ZR::Kernels& f, double* a) {
                     f.householderQr(a, 41, 19);
                     return 0.0;
                   }));
  return all;
}

bool sameBits(const Values& a, const Values& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(Kernels, SameBitsWhereverTheDataLies) {
  const auto all = runs();
  int copies = 0;
  for (ZR::Kernel kernel : {ZR::Kernel::Baseline, ZR::Kernel::Avx2Fma, ZR::Kernel::Avx512}) {
    if (!ZR::kernelRuns(kernel)) continue;
    ++copies;
    const ZR::Kernels& f = ZR::kernels(kernel);
    for (const auto& [name, run] : all) {
      const Values first = run(f, 0);
      for (int offset = 1; offset < 8; ++offset)
        EXPECT_TRUE(sameBits(run(f, offset), first))
            << "kernel " << int(kernel) << ", " << name << ", offset " << offset;
      EXPECT_TRUE(sameBits(run(f, 0), first)) << "kernel " << int(kernel) << ", " << name << ", again";
    }
  }
  EXPECT_GE(copies, 1);
}

#if defined(_WIN32) && defined(__i386__)
// Calls run(data) with the stack pointer skew bytes short of a 16-byte
// boundary, as a caller that keeps only the 4 bytes Windows promises may.
extern "C" void zrRunSkewed(void (*run)(void*), void* data, unsigned skew);
asm(".text\n"
    "_zrRunSkewed:\n"
    "  push %ebp\n"
    "  mov %esp, %ebp\n"
    "  and $-16, %esp\n"
    "  sub 16(%ebp), %esp\n"
    "  sub $12, %esp\n"
    "  push 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  mov %ebp, %esp\n"
    "  pop %ebp\n"
    "  ret\n");

TEST(Kernels, SameBitsOnAStackAlignedToFourBytes) {
  struct Call {
    const KernelRun* run;
    const ZR::Kernels* kernels;
    Values out;
  };
  const auto all = runs();
  for (ZR::Kernel kernel : {ZR::Kernel::Baseline, ZR::Kernel::Avx2Fma, ZR::Kernel::Avx512}) {
    if (!ZR::kernelRuns(kernel)) continue;
    for (const auto& [name, run] : all) {
      Call call{&run, &ZR::kernels(kernel), {}};
      const Values expected = run(*call.kernels, 0);
      for (unsigned skew : {4u, 8u, 12u}) {
        zrRunSkewed(
            [](void* p) {
              Call& c = *static_cast<Call*>(p);
              c.out = (*c.run)(*c.kernels, 0);
            },
            &call, skew);
        EXPECT_TRUE(sameBits(call.out, expected)) << "kernel " << int(kernel) << ", " << name << ", skew " << skew;
      }
    }
  }
}
#endif

}  // namespace
