// The floating-point control state of the calling thread, and a scope that
// sets one and gives the caller's back. The add-in computes in the standard
// state whatever its caller left set: on the x87 (long double, which Boost.Math
// uses for doubles) the precision and rounding change results, in SSE the
// rounding, flush-to-zero and denormals-are-zero. Elsewhere than x86 there is
// nothing to set.
#pragma once

#include <cstdint>

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#define ZR_FP_CONTROL 1
#else
#define ZR_FP_CONTROL 0
#endif

namespace platform {

// The x87 control word and the control bits of MXCSR (not its sticky flags).
struct FpState {
  static constexpr uint16_t x87Masks = 0x003F;
  static constexpr uint16_t x87Precision = 0x0300;  // 00: 24 bits, 10: 53, 11: 64
  static constexpr uint16_t x87Rounding = 0x0C00;   // 00: nearest, 11: toward zero
  static constexpr uint32_t sseFlags = 0x003F;
  static constexpr uint32_t sseDenormalsAreZero = 0x0040;
  static constexpr uint32_t sseRounding = 0x6000;
  static constexpr uint32_t sseFlushToZero = 0x8000;

  // Standard: 64-bit significand, to nearest on both units, no flush-to-zero
  // or denormals-are-zero, every exception masked.
  uint16_t x87 = 0x037F;
  uint32_t mxcsr = 0x1F80;

  bool operator==(const FpState& o) const { return x87 == o.x87 && mxcsr == o.mxcsr; }
  bool operator!=(const FpState& o) const { return !(*this == o); }
};

#if ZR_FP_CONTROL
namespace fp_detail {
inline uint16_t x87() noexcept {
  uint16_t cw;
  __asm__ __volatile__("fnstcw %0" : "=m"(cw));
  return cw;
}
// Writes only the registers in which to differs from from. x87 exceptions
// that are unmasked would trap on flags raised while they were masked: those
// flags are cleared first.
inline void change(const FpState& from, const FpState& to) noexcept {
  if (from.x87 != to.x87) {
    if ((to.x87 & FpState::x87Masks) != FpState::x87Masks) __asm__ __volatile__("fnclex" ::: "memory");
    __asm__ __volatile__("fldcw %0" : : "m"(to.x87) : "memory");
  }
  if (from.mxcsr != to.mxcsr) _mm_setcsr(to.mxcsr | (_mm_getcsr() & FpState::sseFlags));
}
}  // namespace fp_detail

inline FpState currentFpState() noexcept {
  FpState s;
  s.x87 = fp_detail::x87();
  s.mxcsr = _mm_getcsr() & ~FpState::sseFlags;
  return s;
}
#else
inline FpState currentFpState() noexcept { return FpState(); }
#endif

// Sets a state for its lifetime and then gives back the one it found. Only
// registers that differ are written, on the way in and out: when the caller's
// state is the one asked for, the cost is two register reads. What runs
// inside leaves the state as it was set.
class FpScope {
 public:
#if ZR_FP_CONTROL
  explicit FpScope(const FpState& state = FpState()) noexcept : caller_(currentFpState()), state_(state) {
    fp_detail::change(caller_, state_);
  }
  ~FpScope() { fp_detail::change(state_, caller_); }
#else
  explicit FpScope(const FpState& = FpState()) noexcept {}
#endif
  FpScope(const FpScope&) = delete;
  FpScope& operator=(const FpScope&) = delete;

 private:
#if ZR_FP_CONTROL
  FpState caller_, state_;
#endif
};

}  // namespace platform
