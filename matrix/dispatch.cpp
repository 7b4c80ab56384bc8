#include "matrix/kernels.h"

// CMake defines ZR_MATRIX_KERNEL_AVX2 and ZR_MATRIX_KERNEL_AVX512 when it
// builds those copies of kernels.cpp: only for GCC or Clang on x86-64.
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
bool hasAvx2Fma() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}
#endif

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
  static const Kernel best = kernelRuns(Kernel::Avx512)    ? Kernel::Avx512
                             : kernelRuns(Kernel::Avx2Fma) ? Kernel::Avx2Fma
                                                           : Kernel::Baseline;
  return best;
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
