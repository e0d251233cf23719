#include "dsp/delay_line.h"

#include <algorithm>

void VX_DelayLine::Setup(float sampleRate, float capacityMs)
{
  mSampleRate = sampleRate;
  mSamplesPerMs = sampleRate / 1000.0f;
  // In double, so that whole-sample capacities such as 30 ms at 44100 Hz come out exact.
  const double samples = static_cast<double>(capacityMs) * sampleRate / 1000.0;
  mCapacity = samples >= 1.0 ? static_cast<int>(samples) : 1;
  mRing.assign(static_cast<size_t>(mCapacity) + 2, 0.0f);
  mWriteIndex = 0;
  mOutput = 0.0f;
  mLastRead = 0.0f;
  mDelaySamples = HeldDelay(mDelayMs * mSamplesPerMs);
}

void VX_DelayLine::SetDelayMs(float ms)
{
  if (ms == mDelayMs) return;
  mDelayMs = ms;
  mDelaySamples = HeldDelay(ms * mSamplesPerMs);
}

void VX_DelayLine::SetDelaySamples(float samples)
{
  mDelaySamples = HeldDelay(samples);
  mDelayMs = mDelaySamples / mSamplesPerMs; // so that a later Setup keeps this delay
}

float VX_DelayLine::HeldDelay(float samples) const
{
  // Written so that NaN lands on one sample; an infinite time lands on the capacity.
  const float atLeastOne = samples > 1.0f ? samples : 1.0f;
  return std::min(atLeastOne, static_cast<float>(mCapacity));
}

void VX_DelayLine::Clear()
{
  std::fill(mRing.begin(), mRing.end(), 0.0f);
  mWriteIndex = 0;
  mOutput = 0.0f;
  mLastRead = 0.0f;
}
