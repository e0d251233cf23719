#include "dsp/lfo_waveforms.h"

#include "dsp/blep_render.h"
#include "dsp/oscillator_rules.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

template class VX_BlepOscRendered<VX_SawUnipolarRule, kRenderTicks>;
template class VX_BlepOscRendered<VX_PulseUnipolarRule, kRenderTicks>;

VX_BlepOscSawUnipolar::VX_BlepOscSawUnipolar()
{
  Reset(2, 1.0f);
}

VX_BlepOscPulseUnipolar::VX_BlepOscPulseUnipolar()
{
  Reset(3, 1.0f);
}

float VX_BlepOscPulseUnipolar::TickPoly()
{
  return VX_BlepOscRendered::TickPoly() + 1.0f;
}

float VX_BlepOscPulseUnipolar::TickTable()
{
  return VX_BlepOscRendered::TickTable() + 1.0f;
}

// Random.

VX_BlepOscRND::VX_BlepOscRND()
{
  mRandom.SeedFromSource();
  mRandom.Step();
}

void VX_BlepOscRND::Restart()
{
  mHeld = mRandom.Next();
  mMain.phase = 0.0f;
}

float VX_BlepOscRND::Tick()
{
  mMain.phase += mMain.increment;
  if (mMain.phase >= 2.0f)
  {
    mMain.phase -= 2.0f;
    mHeld = mRandom.Next();
  }
  return mLastOutput = mHeld;
}

// Noise.

VX_BlepOscNoiseLFO::VX_BlepOscNoiseLFO()
{
  mRandom.SeedFromSource();
  mRandom.SeedFromSource(); // the second seeding is kept
  mRandom.Step();
}

void VX_BlepOscNoiseLFO::Restart()
{
  mRandom.SeedFromSource();
  mRandom.Step();
}

float VX_BlepOscNoiseLFO::TickPoly()
{
  return mLastOutput = mRandom.Next() - 0.4f;
}

float VX_BlepOscNoiseLFO::TickTable()
{
  return mLastOutput = mRandom.Next() + 0.5f;
}

// Sine.

namespace
{

constexpr double kTwoPow32 = 4294967296.0;
constexpr int kFractionBits = 21; // 32 phase bits minus 11 index bits

} // namespace

float VX_WaveTableSine::PitchToCycles(float x) const
{
  return std::exp((x - VX_BlepOsc::kPitchOfA4) * VX_BlepOsc::kPitchToLog) * mTableRate *
         (1.0f / VX_WaveTableSine::kTableSize);
}

void VX_WaveTableSine::Build(float sampleRate)
{
  mInterpolationScale = std::bit_cast<float>(0x35000004u); // just above 2^-21
  mSampleRate = sampleRate;
  mTableRate = static_cast<float>(kTableSize) * 440.0f / sampleRate;
  for (int i = 0; i < VX_BlepOsc::kPitchTableSize; ++i)
  {
    // At most a quarter cycle before the halving: 1/8 cycle per sample, one octave down.
    const float cycles = std::min(PitchToCycles(static_cast<float>(i - 512) / 128.0f), 0.25f);
    const uint32_t full = static_cast<uint32_t>(cycles * static_cast<float>(kTwoPow32));
    mPitchIncrement[i] = static_cast<uint32_t>(full * 0.5);
  }
  for (int j = 0; j < kTableSize; ++j)
    mSine[j] = static_cast<float>(std::sin(2.0 * 3.14159265358979323846 * j / kTableSize));
  mSine[kTableSize] = mSine[0];
  mCache = std::numeric_limits<float>::quiet_NaN(); // the next setter call recomputes
}

void VX_WaveTableSine::SetPitch(float x)
{
  if (x == mCache) return;
  mCache = x;
  const float j = VX_BlepOsc::PitchTablePosition(x);
  const int k = static_cast<int>(j);
  const float a = static_cast<float>(mPitchIncrement[k]);
  const float b = static_cast<float>(mPitchIncrement[k + 1]);
  mIncrement = static_cast<uint32_t>(a + (b - a) * (j - static_cast<float>(k)));
}

void VX_WaveTableSine::SetFrequency(float hz)
{
  if (hz == mCache) return;
  mCache = hz;
  // Through a signed 64-bit value, so a negative rate runs backwards instead of overflowing.
  const double cycles = std::clamp(static_cast<double>(hz) / mSampleRate, -1e9, 1e9);
  mIncrement = static_cast<uint32_t>(static_cast<int64_t>(cycles * kTwoPow32));
}

float VX_WaveTableSine::Tick()
{
  mPhase += mIncrement; // wraps modulo 2^32: one cycle
  const uint32_t k = mPhase >> kFractionBits;
  const float frac = static_cast<float>(mPhase & 0x1FFFFEu) * mInterpolationScale;
  return mSine[k] + (mSine[k + 1] - mSine[k]) * frac;
}

VX_BlepOscSine::VX_BlepOscSine()
{
  // The base constructor ran before this class existed, so it built no wavetable pitches.
  OnSampleRateChanged(mSampleRate);
}
