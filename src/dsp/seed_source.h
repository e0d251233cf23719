#pragma once
// Process-wide source of seeds for the instrument's random generators. Unlike the C library's
// rand() it takes no lock, so the audio thread may draw from it too.

#include <atomic>
#include <cstdint>

/** The next value of a process-wide sequence of well-mixed 32-bit seeds; any thread. */
inline uint32_t NextRandomSeed()
{
  static std::atomic<uint32_t> state{0x2545F491u};
  // Weyl sequence, then a 32-bit finaliser to spread the bits.
  uint32_t z = state.fetch_add(0x9E3779B9u, std::memory_order_relaxed) + 0x9E3779B9u;
  z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
  z = (z ^ (z >> 13)) * 0xC2B2AE35u;
  return z ^ (z >> 16);
}
