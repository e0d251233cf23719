#pragma once
// The add-xor random generator of the random and noise LFOs and of the voice's noise source:
// two 32-bit words, one addition and one exclusive or per step.

#include "dsp/seed_source.h"

#include <cstdint>

struct VX_AddXorRandom
{
  static constexpr float kScale = 1.0f / 1073741824.0f; // 2^-30: outputs in [-2, 2)

  uint32_t s0 = 0x67452301u;
  uint32_t s1 = 0xEFCDAB89u;

  /** Seeds from two successive process-wide seeds; lock-free, so any thread. */
  void SeedFromSource()
  {
    const uint32_t r1 = NextRandomSeed();
    const uint32_t r2 = NextRandomSeed();
    Seed(r1, r2);
  }
  void Seed(uint32_t r1, uint32_t r2)
  {
    s0 = r1 + 0x67452301u;
    s1 = r2 + 0xEFCDAB89u;
  }
  /** One step; the new s1 as a signed 32-bit value. */
  int32_t Step()
  {
    s1 += s0;
    s0 ^= s1;
    return static_cast<int32_t>(s1);
  }
  /** One step scaled into [-2, 2). */
  float Next() { return static_cast<float>(Step()) * kScale; }
};
