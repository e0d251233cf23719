#include "engine/tempo_sync.h"

#include <cmath>

namespace
{
struct NoteValue
{
  float beats;  // length in beats of the plain note value
  float factor; // 1.5 for dotted, 0.6666667 for triplet values
};

constexpr NoteValue kDivisions[VX_TempoSync::kNumDivisions] = {
    {32.0f, 1.0f},       {16.0f, 1.0f},      {8.0f, 1.0f},         {4.0f, 1.0f},
    {2.0f, 1.5f},        {2.0f, 1.0f},       {1.0f, 1.5f},         {2.0f, 0.6666667f},
    {1.0f, 1.0f},        {0.5f, 1.5f},       {1.0f, 0.6666667f},   {0.5f, 1.0f},
    {0.25f, 1.5f},       {0.5f, 0.6666667f}, {0.25f, 1.0f},        {0.125f, 1.5f},
    {0.25f, 0.6666667f}, {0.125f, 1.0f},     {0.125f, 0.6666667f}, {0.0625f, 1.0f},
};
} // namespace

float EffectiveTempo(float bpm)
{
  // A NaN or infinite tempo would poison every synced rate, so it counts as no tempo at all.
  return (bpm > 0.0f && std::isfinite(bpm)) ? bpm : 120.0f;
}

void VX_TempoSync::SetTempo(float bpm)
{
  mTempo = EffectiveTempo(bpm);
}

float VX_TempoSync::Select(int32_t division)
{
  mDivision = division;
  const float beat = 60.0f / EffectiveTempo(mTempo);
  const NoteValue d =
      (division >= 0 && division < kNumDivisions) ? kDivisions[division] : NoteValue{0.5f, 1.0f};
  const float seconds = beat * d.beats * d.factor;
  mDurationMs = seconds * 1000.0f;
  if (mDurationMs == 0.0f) mDurationMs = 0.0001f;
  mRateHz = 1.0f / seconds;
  return mRateHz;
}
