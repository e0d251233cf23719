#pragma once
// A 100-point table of filter coefficients 2·sin(pi·f / sample rate) over a frequency range, with a
// cached, linearly interpolated lookup. Fixed filters (the engine's high-pass, the drive
// post-filter, the delay effect's tone filters) take their coefficient from it, and keep their
// recursion state beside it.
//
// The coefficient serves both a state-variable filter (hp = x - lp - damping·bp; bp += c·hp;
// lp += c·bp) and a one-pole low-pass (lp += c·(x - lp)); users add 1e-18 to the inputs of these
// recursions to keep them out of denormal range.
//
// Thread contract: audio thread. SetRange evaluates 100 sines: call it on a rate change only.

#include <cmath>
#include <cstdint>

/**
 * 2·sin(phase) for a coefficient table. Beyond a quarter cycle (a frequency above a quarter of
 * the sample rate for sin(2·pi·f/rate) tables, above the Nyquist frequency for sin(pi·f/rate))
 * the sine would fold back and give a higher frequency a smaller coefficient, so the phase is
 * held at pi/2 there; a NaN phase (no sample rate) counts as pi/2 too.
 */
inline double TableSine(double phase)
{
  constexpr double kQuarterCycle = 1.57079632679489661923;
  return phase < kQuarterCycle ? 2.0 * std::sin(phase) : 2.0;
}

class VX_CutoffTable
{
public:
  static constexpr int kNumPoints = 100;
  static constexpr float kMaxCoefficient = 0.9999999f;

  /** Recursion state of the filter this coefficient drives. */
  struct State
  {
    float lp = 0.0f; // low-pass output (or the one-pole state)
    float bp = 0.0f; // band-pass output of a state-variable filter
  };

  /** Builds the table over 20 ... 20000 Hz at 44100 Hz. */
  VX_CutoffTable();

  /**
   * Rebuilds the table over lo ... hi hertz, clears the state and re-applies the last cutoff
   * request (in its own unit) to the new table.
   */
  void SetRange(float sampleRate, float lo, float hi);
  /** Cutoff as a position 0 ... 1 across the range (linear in hertz); damping = 1 - amount. */
  void SetCutoff(float normalized, float dampingAmount);
  /** Cutoff in hertz, clamped to the range. */
  void SetCutoffHz(float hz);

  float Coefficient() const { return mCoefficient; }
  float Damping() const { return mDamping; }
  float SampleRate() const { return mSampleRate; }
  State& FilterState() { return mState; }
  const State& FilterState() const { return mState; }
  void ClearState() { mState = State{}; }

private:
  enum class ECutoffUnit : uint8_t
  {
    kNone,       // no request yet: the coefficient is the table's first point
    kNormalized, // mCutoff is a position 0 ... 1
    kHertz       // mCutoff is a frequency
  };

  /** Recomputes the coefficient for the cached request. */
  void ApplyCutoff();

  float mDamping = 1.0f;
  State mState;
  float mCutoff = -1.0f;
  ECutoffUnit mUnit = ECutoffUnit::kNone;
  float mLo = 0.0f;
  float mHi = 0.0f;
  float mScale = 0.0f; // 99 / (hi - lo): table positions per hertz
  float mCoefficient = 0.0f;
  float mSampleRate = 0.0f;
  float mTable[kNumPoints + 1] = {}; // the last entry repeats the 100th: interpolation guard
};
