#pragma once
// Converts a note division at the host tempo into a duration and a rate. One object each serves
// the delay time, LFO1, LFO2 and the arpeggiator.

#include <cstdint>

class VX_TempoSync
{
public:
  static constexpr int kNumDivisions = 20; // "8/1" (0) ... "1/64" (19)

  /** Selects a division (0..19, anything else counts as "1/8") and returns its rate in Hz. */
  float Select(int32_t division);
  /** Recomputes duration and rate for the selected division at the stored tempo. */
  float Recompute() { return Select(mDivision); }

  float DurationMs() const { return mDurationMs; }
  float RateHz() const { return mRateHz; }
  float Tempo() const { return mTempo; }
  int32_t Division() const { return mDivision; }
  /** Tempo in beats per minute; anything not positive or not finite counts as 120. */
  void SetTempo(float bpm);

private:
  float mDurationMs = 3750.0f;
  float mRateHz = 0.26666668f;
  float mTempo = 1.0f;
  int32_t mDivision = 19;
};

/** The tempo that tempo-synced settings use for a host tempo: 120 unless bpm is positive. */
float EffectiveTempo(float bpm);
