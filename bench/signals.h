#pragma once
// Test signals shared by the benchmarks and the tests that measure the same things.

#include <random>
#include <vector>

/** n samples of uniform white noise in [-1, 1), the same for the same seed. */
inline std::vector<float> WhiteNoise(int n, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> x(n);
  for (float& v : x)
    v = uniform(rng);
  return x;
}
