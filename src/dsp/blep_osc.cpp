#include "dsp/blep_osc.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr float kInitialLaneIncrement = 1e-6f;
constexpr float kMainIncrementDefault = 0.01f;
// Highest table position whose next two entries exist: x just below 3.984375.
constexpr float kLastTablePosition = 1021.99994f;

/** A cycle position brought into [0, 2); a whole cycle is 2, so the waveform state it stands
 *  for is unchanged, and the conversions' wrap loops stay a few steps long. */
float WrapCyclePosition(float c)
{
  if (!std::isfinite(c)) return 0.0f;
  return c - 2.0f * std::floor(c * 0.5f);
}

} // namespace

float VX_BlepOsc::PitchTablePosition(float x)
{
  const float j = (x + 4.0f) * 128.0f;
  return std::max(0.0f, std::min(kLastTablePosition, j)); // std::min(c, NaN) is c
}

VX_BlepOsc::VX_BlepOsc()
{
  SetSampleRate(44100.0f);
  Reset(-1, 1.0f);
}

void VX_BlepOsc::Reset(int typeId, float initialDirection)
{
  mTypeId = typeId;
  mInitialDirection = initialDirection;
  mMain = {
      0.0f, 0.0f, initialDirection, initialDirection, kMainIncrementDefault, kMainIncrementDefault};
  mParam = 0.5f;
  for (int i = 0; i < kMaxLanes; ++i)
  {
    mLanes.increment[i] = kInitialLaneIncrement;
    mLanes.secondIncrement[i] = kInitialLaneIncrement;
    mLanes.phase[i] = 0.0f;
    mLanes.value[i] = 0.0f;
    mLanes.direction[i] = initialDirection;
    mLanes.amplitude[i] = initialDirection;
    mLanes.correctionPos[i] = 0;
    mLanes.delayPos[i] = 0;
  }
  ClearBlepState();
  InvalidatePitchCaches();
}

void VX_BlepOsc::ClearBlepState()
{
  for (int i = 0; i < kMaxLanes; ++i)
  {
    std::fill(std::begin(mLanes.correction[i]), std::end(mLanes.correction[i]), 0.0f);
    std::fill(std::begin(mLanes.delay[i]), std::end(mLanes.delay[i]), 0.0f);
  }
  std::fill(std::begin(mOutput), std::end(mOutput), 0.0f);
}

void VX_BlepOsc::SetSampleRate(float sampleRate)
{
  mSampleRate = sampleRate;
  mA4Increment = 440.0f / sampleRate;
  // The subclass's NoteToIncrement is used, so the sync types get their own table.
  for (int i = 0; i < kPitchTableSize; ++i)
    mPitchTable[i] = std::min(NoteToIncrement(static_cast<float>(i - kPitchTableSize / 2)), 1.0f);
  InvalidatePitchCaches();
  OnSampleRateChanged(sampleRate);
}

float VX_BlepOsc::NoteToIncrement(float note) const
{
  return std::exp((note - 69.0f) * kLn2Over12) * mA4Increment;
}

float VX_BlepOsc::NormalizedPitchToIncrement(float x) const
{
  return std::exp((x - kPitchOfA4) * kPitchToLog) * mA4Increment;
}

float VX_BlepOsc::LookupIncrement(float x) const
{
  const float j = PitchTablePosition(x);
  const int k = static_cast<int>(j);
  return mPitchTable[k] + (mPitchTable[k + 1] - mPitchTable[k]) * (j - static_cast<float>(k));
}

float VX_BlepOsc::SetLaneIncrements(float x, int laneCount, float detune)
{
  const float j = PitchTablePosition(x);
  const int k = static_cast<int>(j);
  const float frac = j - static_cast<float>(k);
  const float* t = mPitchTable;
  const float base = t[k] + (t[k + 1] - t[k]) * frac;
  const float semitone = (t[k + 1] + (t[k + 2] - t[k + 1]) * frac) - base;
  const int n = std::clamp(laneCount, 0, kMaxLanes);
  const float* spread = kSpread[n];
  for (int i = 0; i < n; ++i)
    mLanes.increment[i] = base + spread[i] * detune * semitone;
  return base;
}

void VX_BlepOsc::SetPitchLanes(float x, int laneCount, float detune)
{
  if (x == mPitchCache && detune == mDetuneCache) return;
  mPitchCache = x;
  mDetuneCache = detune;
  mMain.increment = SetLaneIncrements(x, laneCount, detune);
}

void VX_BlepOsc::SetPitch(float x)
{
  if (x == mPitchCache) return;
  mPitchCache = x;
  mMain.increment = LookupIncrement(x);
}

void VX_BlepOsc::SetFrequency(float hz)
{
  if (hz == mPitchCache) return;
  mPitchCache = hz;
  mMain.increment = 2.0f * hz / mSampleRate;
}

void VX_BlepOsc::SetSecondPitch(float x)
{
  if (x == mSecondPitchCache) return;
  mSecondPitchCache = x;
  mMain.secondIncrement = LookupIncrement(x);
}

void VX_BlepOsc::InvalidatePitchCaches()
{
  // NaN equals no argument, so the next setter call always recomputes.
  mPitchCache = std::numeric_limits<float>::quiet_NaN();
  mSecondPitchCache = std::numeric_limits<float>::quiet_NaN();
}

bool VX_BlepOsc::IsIntegerRatio(float y) const
{
  const float a = mMain.increment;
  float ratio = 1.0f;
  if (y > a)
    ratio = (a == 0.0f) ? 1.0f : y / a;
  else if (y < a)
    ratio = (y == 0.0f) ? 1.0f : a / y;
  return std::abs(ratio - std::round(ratio)) < 1e-6f;
}

void VX_BlepOsc::ToCyclePosition(VX_OscState& s) const
{
  s.phase = 0.0f;
  s.value = 0.0f;
}

void VX_BlepOsc::FromCyclePosition(VX_OscState& s) const
{
  s.phase = 0.0f;
  s.value = 0.0f;
}

void VX_BlepOsc::LaneToRecord(int lane, VX_OscState& s) const
{
  if (lane < 0)
  {
    s.increment = mMain.increment;
    s.secondIncrement = mMain.secondIncrement;
    s.phase = mMain.phase;
    s.value = mMain.value;
    s.direction = mMain.direction;
    s.amplitude = mMain.amplitude;
  }
  else
  {
    s.increment = mLanes.increment[lane];
    s.secondIncrement = mLanes.secondIncrement[lane];
    s.phase = mLanes.phase[lane];
    s.value = mLanes.value[lane];
    s.direction = mLanes.direction[lane];
    s.amplitude = mLanes.amplitude[lane];
  }
  s.param = mParam;
}

void VX_BlepOsc::RecordToLane(const VX_OscState& s, int lane)
{
  if (lane < 0)
    mMain = {s.phase, s.value, s.direction, s.amplitude, s.increment, s.secondIncrement};
  else
  {
    mLanes.increment[lane] = s.increment;
    mLanes.secondIncrement[lane] = s.secondIncrement;
    mLanes.phase[lane] = s.phase;
    mLanes.value[lane] = s.value;
    mLanes.direction[lane] = s.direction;
    mLanes.amplitude[lane] = s.amplitude;
  }
  mParam = s.param;
}

void VX_BlepOsc::StateToRecord(VX_OscState& s) const
{
  for (int i = 0; i < kMaxLanes; ++i)
  {
    s.laneIncrement[i] = mLanes.increment[i];
    s.laneSecondIncrement[i] = mLanes.secondIncrement[i];
    s.lanePhase[i] = mLanes.phase[i];
    s.laneValue[i] = mLanes.value[i];
    s.laneDirection[i] = mLanes.direction[i];
    s.laneAmplitude[i] = mLanes.amplitude[i];
  }
  LaneToRecord(-1, s);
}

void VX_BlepOsc::RecordToState(const VX_OscState& s)
{
  for (int i = 0; i < kMaxLanes; ++i)
  {
    mLanes.increment[i] = s.laneIncrement[i];
    mLanes.secondIncrement[i] = s.laneSecondIncrement[i];
    mLanes.phase[i] = s.lanePhase[i];
    mLanes.value[i] = s.laneValue[i];
    mLanes.direction[i] = s.laneDirection[i];
    mLanes.amplitude[i] = s.laneAmplitude[i];
  }
  RecordToLane(s, -1);
}

void VX_BlepOsc::Restart()
{
  VX_OscState s;
  LaneToRecord(-1, s);
  s.phase = 0.0f;
  s.value = 0.0f;
  s.direction = mInitialDirection;
  s.amplitude = mInitialDirection;
  FromCyclePosition(s);
  RecordToLane(s, -1);
  InvalidatePitchCaches();
}

void VX_BlepOsc::RestartLane(VX_OscState& reference, float offset, bool keepReferencePhase,
                             int lane, int laneCount)
{
  VX_OscState s;
  LaneToRecord(lane, s);
  // Unison lanes start lane / laneCount cycle-position units apart.
  if (!keepReferencePhase && laneCount > 0)
    reference.phase += static_cast<float>(lane) / static_cast<float>(laneCount);
  // The sync types' master runs over a different range.
  if (mTypeId == 4 || mTypeId == 5) offset = 0.5f * offset + 0.5f;
  // Where the lane would be had it started together with the reference; a silent reference
  // (increment 0) counts as ratio 1.
  const float ratio = reference.increment != 0.0f ? s.increment / reference.increment : 1.0f;
  s.phase = WrapCyclePosition(ratio * reference.phase + offset);
  s.value = 0.0f;
  s.direction = mInitialDirection;
  s.amplitude = mInitialDirection;
  FromCyclePosition(s);
  RecordToLane(s, lane);
  InvalidatePitchCaches();
}

