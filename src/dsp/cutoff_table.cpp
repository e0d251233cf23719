#include "dsp/cutoff_table.h"

#include <algorithm>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr int kLastPoint = VX_CutoffTable::kNumPoints - 1;
} // namespace

VX_CutoffTable::VX_CutoffTable()
{
  SetRange(44100.0f, 20.0f, 20000.0f);
}

void VX_CutoffTable::SetRange(float sampleRate, float lo, float hi)
{
  mSampleRate = sampleRate;
  mLo = lo;
  mHi = hi;
  const double span = static_cast<double>(hi) - lo;
  // An empty range has one frequency: every request maps to the first point.
  mScale = span > 0.0 ? static_cast<float>(kLastPoint / span) : 0.0f;
  for (int i = 0; i < kNumPoints; ++i)
  {
    const double hz = lo + i * span / kLastPoint;
    const double c = TableSine(kPi * hz / sampleRate);
    mTable[i] = static_cast<float>(std::clamp(c, 0.0, static_cast<double>(kMaxCoefficient)));
  }
  mTable[kNumPoints] = mTable[kLastPoint];
  ClearState();
  ApplyCutoff();
}

void VX_CutoffTable::SetCutoff(float normalized, float dampingAmount)
{
  mDamping = 1.0f - dampingAmount;
  if (mUnit == ECutoffUnit::kNormalized && normalized == mCutoff) return;
  // Written so that NaN lands on 0 as well.
  mCutoff = normalized > 0.0f ? std::min(normalized, 1.0f) : 0.0f;
  mUnit = ECutoffUnit::kNormalized;
  ApplyCutoff();
}

void VX_CutoffTable::SetCutoffHz(float hz)
{
  if (mUnit == ECutoffUnit::kHertz && hz == mCutoff) return;
  mCutoff = hz;
  mUnit = ECutoffUnit::kHertz;
  ApplyCutoff();
}

void VX_CutoffTable::ApplyCutoff()
{
  float position = 0.0f;
  if (mUnit == ECutoffUnit::kNormalized)
    position = mCutoff * kLastPoint;
  else if (mUnit == ECutoffUnit::kHertz)
    position = mCutoff > mLo ? (std::min(mCutoff, mHi) - mLo) * mScale : 0.0f; // NaN: lo
  // Rounding may carry lo + span a hair past the last point; the guard entry covers it.
  const int i = std::min(static_cast<int>(position), kLastPoint);
  const float t = position - static_cast<float>(i);
  mCoefficient = mTable[i] + (mTable[i + 1] - mTable[i]) * t;
}
