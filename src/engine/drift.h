#pragma once
// Slow random pitch and cutoff wander of a voice, updated at a fifth of the sample rate.

#include <cstdint>

class VX_Drift
{
public:
  VX_Drift();

  void SetSampleRate(float hostRate);
  /** Recentres at once (when "Drift" is switched off). */
  void Reset();
  /** One control-rate step; amount is the current "Drift" depth (0 .. ~1). */
  void Update(float amount);

  float Output() const { return mOutput; }

private:
  void RestartCounter();

  float mOutput = 0.0f;
  float mSampleRate = 11025.0f; // the host rate divided by 4
  float mCoefficient = 0.0f;
  float mSmoothed = 0.0f;
  float mTarget = 0.0f;
  int32_t mPeriod = 2756; // in updates
  int32_t mCounter = 0;
  uint32_t mA;
  uint32_t mB;
  // A full-range 32-bit value maps to +-1/384 pitch units: a third of a semitone.
  static constexpr float kScale = 1.2126596e-12f;
};
