#pragma once
// One-pole follower coefficients shared by parameter smoothing, envelopes and glides.

#include <algorithm>
#include <cmath>

constexpr float kTwoPi = 6.28318530717958647692f;

/**
 * Coefficient of a follower x += (target - x) * c whose time constant is timeMs / 2pi
 * milliseconds, so timeMs is roughly the time to come within 0.2 % of the target.
 * Zero or negative times give 1: an instant move.
 */
inline float OnePoleCoefficient(float timeMs, float sampleRate)
{
  if (timeMs <= 0.0f)
    return 1.0f;
  const float c = 1.0f - std::exp(-1000.0f / ((timeMs / kTwoPi) * sampleRate));
  return std::clamp(c, 0.0f, 1.0f);
}
