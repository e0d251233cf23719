#pragma once
// Flushes denormal numbers to zero while a block is processed. Decaying envelopes, filter tails
// and delay feedback pass through the denormal range, where arithmetic is many times slower;
// zero sounds the same. The caller's floating-point mode is restored afterwards.

#if defined(__SSE__) || defined(_M_X64) || defined(_M_IX86_FP)
#include <xmmintrin.h>
#define VX_HAS_MXCSR 1
#endif

class VX_ScopedFlushDenormals
{
public:
#ifdef VX_HAS_MXCSR
  VX_ScopedFlushDenormals() : mSaved(_mm_getcsr())
  {
    constexpr unsigned kFlushToZero = 0x8000;      // FTZ: denormal results become zero
    constexpr unsigned kDenormalsAreZero = 0x0040; // DAZ: denormal inputs count as zero
    _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero);
  }
  ~VX_ScopedFlushDenormals()
  {
    _mm_setcsr(mSaved);
  }

private:
  unsigned mSaved;
#else
  VX_ScopedFlushDenormals() = default;
#endif
  VX_ScopedFlushDenormals(const VX_ScopedFlushDenormals&) = delete;
  VX_ScopedFlushDenormals& operator=(const VX_ScopedFlushDenormals&) = delete;
};
