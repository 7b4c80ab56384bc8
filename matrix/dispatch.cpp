#include <cctype>
#include <cstdlib>
#include <string>

#include "matrix/kernels.h"

// CMake defines ZR_MATRIX_KERNEL_AVX2 and ZR_MATRIX_KERNEL_AVX512 when it
// builds those copies of kernels.cpp: only with GCC on x86 and x86-64.
namespace ZR {

extern const Kernels kernelsBaseline;
#ifdef ZR_MATRIX_KERNEL_AVX2
extern const Kernels kernelsAvx2Fma;
#endif
#ifdef ZR_MATRIX_KERNEL_AVX512
extern const Kernels kernelsAvx512;
#endif

namespace {

#if defined(ZR_MATRIX_KERNEL_AVX2) || defined(ZR_MATRIX_KERNEL_AVX512)
// GCC's checks include the operating system's support of the wider registers.
bool hasAvx2Fma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

// The kernel that ZR_MATRIX_KERNEL names: baseline, avx2fma or avx512, in
// any letter case; Baseline for any other text; fastest when it is unset or
// empty.
Kernel pinned(Kernel fastest) {
  const char* name = std::getenv("ZR_MATRIX_KERNEL");
  if (name == nullptr || *name == '\0') return fastest;
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "avx512" ? Kernel::Avx512 : lower == "avx2fma" ? Kernel::Avx2Fma : Kernel::Baseline;
}

}  // namespace

bool kernelRuns(Kernel kernel) {
  switch (kernel) {
    case Kernel::Baseline: return true;
#ifdef ZR_MATRIX_KERNEL_AVX2
    case Kernel::Avx2Fma: {
      static const bool runs = hasAvx2Fma();
      return runs;
    }
#endif
#ifdef ZR_MATRIX_KERNEL_AVX512
    case Kernel::Avx512: {
      static const bool runs = hasAvx2Fma() && __builtin_cpu_supports("avx512f") &&
                               __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl") &&
                               __builtin_cpu_supports("avx512bw");
      return runs;
    }
#endif
    default: return false;
  }
}

Kernel bestKernel() {
  static const Kernel chosen = [] {
    const Kernel fastest = kernelRuns(Kernel::Avx512)    ? Kernel::Avx512
                           : kernelRuns(Kernel::Avx2Fma) ? Kernel::Avx2Fma
                                                         : Kernel::Baseline;
    const Kernel kernel = pinned(fastest);
    return kernelRuns(kernel) ? kernel : Kernel::Baseline;
  }();
  return chosen;
}

const Kernels& kernels(Kernel kernel) {
  if (kernelRuns(kernel)) switch (kernel) {
#ifdef ZR_MATRIX_KERNEL_AVX2
      case Kernel::Avx2Fma: return kernelsAvx2Fma;
#endif
#ifdef ZR_MATRIX_KERNEL_AVX512
      case Kernel::Avx512: return kernelsAvx512;
#endif
      default: break;
    }
  return kernelsBaseline;
}

}  // namespace ZR
