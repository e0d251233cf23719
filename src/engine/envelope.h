#pragma once
// ADSR envelope: linear attack, exponential decay toward the sustain level and exponential
// release. The LFO delay ramps use the same record as a plain linear ramp to a peak of 0.5.

#include <cstdint>

class VX_Envelope
{
public:
  enum EStage : int32_t
  {
    kIdle = 0,
    kAttack = 2,
    kDecay = 3, // decay, then sustain
    kRelease = 4,
    kSettle = 5, // glide down to a lower peak after a legato retrigger
  };

  static constexpr float kReleaseFloor = 0.0005f;
  static constexpr float kSettleTimeMs = 50.0f;

  VX_Envelope();

  void SetSampleRate(float rate);
  void SetAttack(float ms);
  void SetDecay(float ms);
  void SetSustain(float level);
  void SetRelease(float ms);

  /** Starts the attack toward peak, from 0 when resetLevel, else from the current level. */
  void Trigger(float peak, bool resetLevel);
  void Release() { mStage = kRelease; }
  /** Silences at once. */
  void SetIdle()
  {
    mStage = kIdle;
    mLevel = 0.0f;
  }
  /** Advances one sample and returns the level. */
  float Process();

  // As an LFO delay ramp: rises linearly from 0 to 0.5 over the attack time.
  void RestartRamp();
  /** Holds the ramp at 0 until its next restart. */
  void StopRamp()
  {
    mPeak = 0.0f;
    mLevel = 0.0f;
    mStage = kIdle;
  }
  float AdvanceRamp();

  float Level() const { return mLevel; }
  float Peak() const { return mPeak; }
  EStage Stage() const { return mStage; }
  bool IsIdle() const { return mStage == kIdle; }

private:
  void UpdateAttackIncrement();

  float mPeak = 1.0f;
  float mLevel = 0.0f;
  float mSampleRate = 44100.0f;
  float mAttackIncrement = 1.0f / 220.5f;
  float mDecayCoefficient = 0.0f;
  float mReleaseCoefficient = 0.0f;
  float mFastCoefficient = 0.0f;
  float mAttackMs = 5.0f;
  float mDecayMs = 500.0f;
  float mReleaseMs = 500.0f;
  float mSustain = 0.5f;
  float mSustainTarget = 0.5f;
  EStage mStage = kIdle;
};
