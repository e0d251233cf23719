#include "engine/envelope.h"

#include "dsp/smoothing.h"

#include <algorithm>

VX_Envelope::VX_Envelope()
{
  SetSampleRate(mSampleRate);
}

void VX_Envelope::UpdateAttackIncrement()
{
  mAttackIncrement = mAttackMs > 0.0f
                         ? std::clamp(mPeak / ((mSampleRate / 1000.0f) * mAttackMs), 0.0f, 1.0f)
                         : 1.0f;
}

void VX_Envelope::SetSampleRate(float rate)
{
  mSampleRate = rate;
  UpdateAttackIncrement();
  mDecayCoefficient = OnePoleCoefficient(mDecayMs, rate);
  mReleaseCoefficient = OnePoleCoefficient(mReleaseMs, rate);
  mFastCoefficient = OnePoleCoefficient(kSettleTimeMs, rate);
}

void VX_Envelope::SetAttack(float ms)
{
  mAttackMs = ms;
  UpdateAttackIncrement();
}

void VX_Envelope::SetDecay(float ms)
{
  mDecayMs = ms;
  mDecayCoefficient = OnePoleCoefficient(ms, mSampleRate);
}

void VX_Envelope::SetSustain(float level)
{
  mSustain = level;
  mSustainTarget = level * mPeak;
}

void VX_Envelope::SetRelease(float ms)
{
  mReleaseMs = ms;
  mReleaseCoefficient = OnePoleCoefficient(ms, mSampleRate);
}

void VX_Envelope::Trigger(float peak, bool resetLevel)
{
  if (resetLevel) mLevel = 0.0f;
  mPeak = peak;
  mSustainTarget = peak * mSustain;
  UpdateAttackIncrement();
  mStage = mLevel > peak ? kSettle : kAttack;
}

float VX_Envelope::Process()
{
  switch (mStage)
  {
  case kAttack:
    mLevel += mAttackIncrement;
    if (mLevel > mPeak)
    {
      mLevel = mPeak;
      mStage = kDecay;
    }
    break;
  case kDecay:
    mLevel += (mSustainTarget - mLevel) * mDecayCoefficient;
    break;
  case kRelease:
    mLevel -= mLevel * mReleaseCoefficient;
    if (mLevel < kReleaseFloor) mStage = kIdle; // this sample still returns the small level
    break;
  case kSettle:
    mLevel += (mPeak - mLevel) * mFastCoefficient;
    if (mLevel - mPeak < kReleaseFloor)
    {
      mLevel = mPeak;
      mStage = kDecay;
    }
    break;
  case kIdle:
    mLevel = 0.0f;
    break;
  }
  return mLevel;
}

void VX_Envelope::RestartRamp()
{
  mPeak = 0.5f;
  mLevel = 0.0f;
  UpdateAttackIncrement();
  mStage = kAttack;
}

float VX_Envelope::AdvanceRamp()
{
  mLevel = std::min(mLevel + mAttackIncrement, mPeak);
  return mLevel;
}
