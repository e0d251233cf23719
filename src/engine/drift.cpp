#include "engine/drift.h"

#include "dsp/seed_source.h"

VX_Drift::VX_Drift() : mA(NextRandomSeed() + 0x67452301u), mB(NextRandomSeed() - 0x10325477u)
{
  SetSampleRate(44100.0f);
}

void VX_Drift::RestartCounter()
{
  mCounter = static_cast<int32_t>(NextRandomSeed() % static_cast<uint32_t>(mPeriod));
}

void VX_Drift::SetSampleRate(float hostRate)
{
  mSampleRate = hostRate / 4.0f;
  mPeriod = static_cast<int32_t>(mSampleRate * 0.25f);
  if (mPeriod < 1) mPeriod = 1;
  // Updates run at a fixed fraction of the sample rate, so the per-update coefficient scales
  // inversely with it: the wander takes the same time at every rate (0.00005 at 44.1 kHz).
  mCoefficient = 0.00005f * (11025.0f / mSampleRate);
  mOutput = mSmoothed = mTarget = 0.0f;
  RestartCounter();
}

void VX_Drift::Reset()
{
  mOutput = mSmoothed = mTarget = 0.0f;
  RestartCounter();
}

void VX_Drift::Update(float amount)
{
  const int32_t old = mCounter;
  mCounter = old + 1;
  if (old > mPeriod)
  {
    mCounter = 0;
    mB += mA;
    mA = mB ^ mA;
    mTarget = static_cast<float>(static_cast<int32_t>(mB)) * kScale;
  }
  mSmoothed += (mTarget - mSmoothed) * mCoefficient;
  mOutput = mSmoothed * amount;
}
