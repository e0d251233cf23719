#include "dsp/audio_oscillators.h"

#include "dsp/blep_render.h"
#include "dsp/oscillator_rules.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr float kOctave = 0.09375f;    // 12 / 128
constexpr float kSyncRange = 0.28125f; // 36 / 128
constexpr float kMaxPulseWidth = 0.99f;

} // namespace

template class VX_BlepOscRendered<VX_TriRule, kRenderAll>;
template class VX_BlepOscRendered<VX_SawRule, kRenderAll>;
template class VX_BlepOscRendered<VX_PulseRule, kRenderAll>;
template class VX_BlepOscRendered<VX_PulseSyncRule, kRenderAll>;
template class VX_BlepOscRendered<VX_SawSyncRule, kRenderBlocks>;
template class VX_BlepOscRendered<VX_VariableRule, kRenderBlocks>;

namespace
{

/** "Shared pulse form": the second half cycle follows the first. */
void HalfCycleToPosition(VX_OscState& s, float initialDirection)
{
  if (s.direction == -initialDirection) s.phase += 1.0f;
  s.value = 0.0f;
}

/** Half-cycle phase and direction at cycle position c; the direction flips per half cycle. */
void PositionToHalfCycle(VX_OscState& s)
{
  float x = s.phase + 2.0f;
  while (x >= 1.0f)
  {
    x -= 1.0f;
    s.direction = -s.direction;
  }
  s.phase = x;
}

} // namespace

// Triangle.

VX_BlepOscTri::VX_BlepOscTri()
{
  Reset(1, 2.0f);
  // Start every state at the level its phase stands for.
  mMain.value = TriangleLevel(mMain.phase, mMain.direction);
  for (int i = 0; i < kMaxLanes; ++i)
    mLanes.value[i] = TriangleLevel(mLanes.phase[i], mLanes.direction[i]);
}

void VX_BlepOscTri::ToCyclePosition(VX_OscState& s) const
{
  HalfCycleToPosition(s, mInitialDirection);
}

void VX_BlepOscTri::FromCyclePosition(VX_OscState& s) const
{
  PositionToHalfCycle(s);
  s.value = TriangleLevel(s.phase, s.direction);
}

// Saw.

VX_BlepOscSaw::VX_BlepOscSaw()
{
  Reset(2, 1.0f);
}

void VX_BlepOscSaw::ToCyclePosition(VX_OscState& s) const
{
  s.phase += 1.0f;
  s.value = 0.0f;
}

void VX_BlepOscSaw::FromCyclePosition(VX_OscState& s) const
{
  s.phase -= 1.0f;
  while (s.phase >= 1.0f)
    s.phase -= 2.0f;
  s.value = 0.0f;
}

// Pulse.

VX_BlepOscPWM::VX_BlepOscPWM()
{
  Reset(3, 1.0f);
}

void VX_BlepOscPWM::SetParam(float value)
{
  mParam = std::clamp(value, 0.0f, kMaxPulseWidth);
}

void VX_BlepOscPWM::ToCyclePosition(VX_OscState& s) const
{
  if (s.direction == -1.0f) s.phase += 1.0f + s.param;
  s.value = 0.0f;
}

void VX_BlepOscPWM::FromCyclePosition(VX_OscState& s) const
{
  float x = s.phase + 2.0f;
  while (x >= 1.0f)
  {
    x -= 1.0f;
    s.direction = -s.direction;
    x += s.direction < 0.0f ? -s.param : s.param;
  }
  s.phase = x;
  s.value = 0.0f;
}

// Sync types.

template <class Rule, int kForms>
float VX_BlepOscSynced<Rule, kForms>::NoteToIncrement(float note) const
{
  // One octave below the base table, computed in double precision.
  return static_cast<float>(
      std::exp((static_cast<double>(note) - 81.0) * static_cast<double>(VX_BlepOsc::kLn2Over12)) *
      static_cast<double>(this->mA4Increment));
}

template <class Rule, int kForms>
void VX_BlepOscSynced<Rule, kForms>::SetParam(float value)
{
  this->SetSecondPitch(this->mPitchCache + kOctave + value * kSyncRange);
  this->mMain.secondIncrement = std::max(this->mMain.secondIncrement, 2.0f * this->mMain.increment);
}

template <class Rule, int kForms>
void VX_BlepOscSynced<Rule, kForms>::PrepareLaneSlaves(int laneCount)
{
  // A lane detuned up gets its slave detuned down by the same increment.
  const float inc = this->mMain.increment;
  const float inc2 = this->mMain.secondIncrement;
  const int n = std::clamp(laneCount, 0, VX_BlepOsc::kMaxLanes);
  for (int i = 0; i < n; ++i)
    this->mLanes.secondIncrement[i] = (inc - this->mLanes.increment[i]) + inc2;
}

template <class Rule, int kForms>
void VX_BlepOscSynced<Rule, kForms>::RenderLanesPoly(int laneCount)
{
  PrepareLaneSlaves(laneCount);
  VX_BlepOscRendered<Rule, kForms>::RenderLanesPoly(laneCount);
}

template <class Rule, int kForms>
void VX_BlepOscSynced<Rule, kForms>::RenderLanesTable(int laneCount)
{
  PrepareLaneSlaves(laneCount);
  VX_BlepOscRendered<Rule, kForms>::RenderLanesTable(laneCount);
}

template class VX_BlepOscSynced<VX_PulseSyncRule, kRenderAll>;
template class VX_BlepOscSynced<VX_SawSyncRule, kRenderBlocks>;

namespace
{

/** The state a master restart at cycle position s.phase reaches: the tick's wrap loop run
 *  without advancing and without corrections. */
template <class Rule>
void SyncFromPosition(VX_OscState& s, float masterPhase)
{
  VX_OscPhase p{s.increment, s.secondIncrement, masterPhase, s.value, s.direction};
  if (p.increment > 0.0f && p.secondIncrement > 0.0f)
  {
    VX_NoCorrector none;
    Rule::Wrap(p, none);
  }
  else // a halted oscillator never wraps; keep the master inside its range
    p.phase -= std::floor(p.phase);
  s.phase = p.phase;
  s.value = p.value;
  s.direction = p.direction;
}

} // namespace

VX_BlepOscPulseSync::VX_BlepOscPulseSync()
{
  Reset(4, 1.0f);
  SetSampleRate(mSampleRate);
}

void VX_BlepOscPulseSync::ToCyclePosition(VX_OscState& s) const
{
  HalfCycleToPosition(s, mInitialDirection);
}

void VX_BlepOscPulseSync::FromCyclePosition(VX_OscState& s) const
{
  s.value = 0.0f; // slave at its start
  SyncFromPosition<VX_PulseSyncRule>(s, s.phase + 2.0f);
}

VX_BlepOscSawSync::VX_BlepOscSawSync()
{
  Reset(5, 1.0f);
  SetSampleRate(mSampleRate);
}

void VX_BlepOscSawSync::ToCyclePosition(VX_OscState& s) const
{
  s.value = 0.0f; // the master already runs over [0, 2)
}

void VX_BlepOscSawSync::FromCyclePosition(VX_OscState& s) const
{
  s.value = 0.0f; // slave level 0
  SyncFromPosition<VX_SawSyncRule>(s, s.phase + 2.0f);
}

// Saw to pulse.

VX_BlepOscVariable::VX_BlepOscVariable()
{
  Reset(7, 1.0f);
  mMain.value = mMain.direction < 0.0f ? mMain.phase - 1.0f : mMain.phase;
  for (int i = 0; i < kMaxLanes; ++i)
    mLanes.value[i] = mLanes.direction[i] < 0.0f ? mLanes.phase[i] - 1.0f : mLanes.phase[i];
}

void VX_BlepOscVariable::SetParam(float value)
{
  mParam = std::clamp(value, 0.0f, 1.0f);
}

void VX_BlepOscVariable::ToCyclePosition(VX_OscState& s) const
{
  HalfCycleToPosition(s, mInitialDirection);
}

void VX_BlepOscVariable::FromCyclePosition(VX_OscState& s) const
{
  PositionToHalfCycle(s);
  s.value = s.direction < 0.0f ? s.phase - 1.0f : s.phase;
}

// Off.

namespace
{

float AdvanceOffPhase(float phase, float increment)
{
  for (int t = 0; t < VX_BlepOsc::kBlockSize; ++t)
  {
    phase += increment;
    while (phase >= 0.25f)
      phase -= 0.5f;
  }
  return phase;
}

} // namespace

VX_BlepOscOff::VX_BlepOscOff()
{
  Reset(-1, 1.0f);
}

void VX_BlepOscOff::AdvanceMain()
{
  mMain.phase = AdvanceOffPhase(mMain.phase, mMain.increment);
}

void VX_BlepOscOff::AdvanceLanes(int laneCount)
{
  const int n = std::clamp(laneCount, 0, kMaxLanes);
  for (int i = 0; i < n; ++i)
    mLanes.phase[i] = AdvanceOffPhase(mLanes.phase[i], mLanes.increment[i]);
}

void VX_BlepOscOff::ToCyclePosition(VX_OscState& s) const
{
  s.phase = (s.phase + 0.25f) * 4.0f;
  s.value = 0.0f;
}

void VX_BlepOscOff::FromCyclePosition(VX_OscState& s) const
{
  s.phase = (s.phase - 1.0f) * 0.25f;
  while (s.phase >= 0.25f)
    s.phase -= 0.5f;
  s.value = 0.0f;
}
