#pragma once
// The render drivers behind VX_BlepOscRendered: the two band-limiting correctors and the
// loops that apply a waveform's rule to the main state, the lanes and single ticks. Included
// only by the files that define the rules.
//
// A rule is a small value type constructed from the oscillator once per call, with
//   float Naive(const VX_OscPhase&) const      the naive output before this sample's advance,
//   void Advance(VX_OscPhase&, Corrector&) const  the advance and its wraps, reporting each
//        discontinuity as Step(f, height) or Ramp(f, slope change per sample), where f in [0, 1)
//        is the fraction of the sample elapsed since it happened.
//
// The lane loops keep one lane's state in locals for its four samples. They do not vectorise
// across lanes: every waveform's wrap is a data-dependent loop (several wraps can fall into one
// sample). The wrap branch is taken about once per period and is well predicted.

#include "dsp/blep_osc.h"

#include <algorithm>

/** Two-sample polynomial residuals: the sample being output and the next one. */
struct VX_PolyCorrector
{
  float out;
  float pending;

  void Step(float f, float height)
  {
    const float g = 1.0f - f;
    out += 0.5f * height * f * f;
    pending -= 0.5f * height * g * g;
  }
  void Ramp(float f, float slopeChange)
  {
    const float g = 1.0f - f;
    const float k = slopeChange * (1.0f / 6.0f);
    out += k * f * f * f;
    pending += k * g * g * g;
  }
};

/** Sixteen-tap table residuals added into a lane's correction ring from its current slot. */
struct VX_TableCorrector
{
  float* ring;
  int pos;

  // A falling step of height 2 is the table itself; other heights scale it by -height / 2.
  // Taps after the centre subtract, because the table holds the mirrored residual there.
  void Step(float f, float height) { Insert<true>(kBlepTable, f, -0.5f * height); }
  // A corner's table is scaled by the slope change / 4 (+increment at a triangle trough).
  void Ramp(float f, float slopeChange) { Insert<false>(kBlampTable, f, 0.25f * slopeChange); }

  template <bool kMirroredSign>
  void Insert(const VX_BlepTableData& table, float f, float scale)
  {
    // Rounding can put f a hair outside [0, 1); the taps must stay inside the table.
    const float x = std::max(0.0f, std::min(127.99999f, f * kBlepPointsPerSample));
    const int i0 = static_cast<int>(x);
    const float frac = x - static_cast<float>(i0);
    const float* t = table.data() + i0;
    for (int k = 0; k < kBlepTaps; ++k)
    {
      const float* e = t + k * kBlepPointsPerSample;
      const float v = e[0] + (e[1] - e[0]) * frac;
      const float s = (kMirroredSign && k >= kBlepTaps / 2) ? -scale : scale;
      ring[(pos + k) & (kBlepTaps - 1)] += s * v;
    }
  }
};

/** Wrap handling without corrections, for the cycle-position conversions. */
struct VX_NoCorrector
{
  void Step(float, float) {}
  void Ramp(float, float) {}
};

static_assert((VX_BlepOsc::kCorrectionRing & (VX_BlepOsc::kCorrectionRing - 1)) == 0);
static_assert((VX_BlepOsc::kDelayRing & (VX_BlepOsc::kDelayRing - 1)) == 0);

/** One polynomial-mode sample: output the value reached so far plus the pending correction. */
template <class Rule>
inline float PolySample(const Rule& rule, VX_OscPhase& s, float& pending)
{
  VX_PolyCorrector c{rule.Naive(s) + pending, 0.0f};
  rule.Advance(s, c);
  pending = c.pending;
  return c.out;
}

/** One table-mode sample: the naive value of seven samples ago plus the ring's correction. */
template <class Rule>
inline float TableSample(const Rule& rule, VX_OscPhase& s, float* __restrict ring,
                         float* __restrict delay, int& ringPos, int& delayPos)
{
  ring[ringPos] = 0.0f; // the slot just output becomes the furthest future slot
  ringPos = (ringPos + 1) & (VX_BlepOsc::kCorrectionRing - 1);
  delay[delayPos] = rule.Naive(s);
  delayPos = (delayPos + 1) & (VX_BlepOsc::kDelayRing - 1);
  VX_TableCorrector c{ring, ringPos};
  rule.Advance(s, c);
  return ring[ringPos] + delay[delayPos];
}

template <class Rule>
void VX_BlepOsc::RenderMainPolyWith(const Rule& rule)
{
  VX_OscPhase s = MainPhase();
  float pending = mLanes.correction[0][0];
  float* __restrict out = mOutput;
  for (int t = 0; t < kBlockSize; ++t)
    out[t] = PolySample(rule, s, pending);
  mLanes.correction[0][0] = pending;
  StoreMain(s);
}

template <class Rule>
void VX_BlepOsc::RenderMainTableWith(const Rule& rule)
{
  VX_OscPhase s = MainPhase();
  int ringPos = mLanes.correctionPos[0];
  int delayPos = mLanes.delayPos[0];
  float* __restrict out = mOutput;
  for (int t = 0; t < kBlockSize; ++t)
    out[t] = TableSample(rule, s, mLanes.correction[0], mLanes.delay[0], ringPos, delayPos);
  mLanes.correctionPos[0] = ringPos;
  mLanes.delayPos[0] = delayPos;
  StoreMain(s);
}

template <class Rule>
void VX_BlepOsc::RenderLanesPolyWith(const Rule& rule, int laneCount)
{
  const int n = std::clamp(laneCount, 0, kMaxLanes);
  for (int lane = 0; lane < n; ++lane)
  {
    VX_OscPhase s = LanePhase(lane);
    float pending = mLanes.correction[lane][0];
    float* __restrict out = mOutput + lane * kBlockSize;
    for (int t = 0; t < kBlockSize; ++t)
      out[t] = PolySample(rule, s, pending);
    mLanes.correction[lane][0] = pending;
    StoreLane(s, lane);
  }
}

template <class Rule>
void VX_BlepOsc::RenderLanesTableWith(const Rule& rule, int laneCount)
{
  const int n = std::clamp(laneCount, 0, kMaxLanes);
  for (int lane = 0; lane < n; ++lane)
  {
    VX_OscPhase s = LanePhase(lane);
    int ringPos = mLanes.correctionPos[lane];
    int delayPos = mLanes.delayPos[lane];
    float* __restrict out = mOutput + lane * kBlockSize;
    for (int t = 0; t < kBlockSize; ++t)
      out[t] = TableSample(rule, s, mLanes.correction[lane], mLanes.delay[lane], ringPos, delayPos);
    mLanes.correctionPos[lane] = ringPos;
    mLanes.delayPos[lane] = delayPos;
    StoreLane(s, lane);
  }
}

template <class Rule>
float VX_BlepOsc::TickPolyWith(const Rule& rule)
{
  VX_OscPhase s = MainPhase();
  mLastOutput = PolySample(rule, s, mLanes.correction[0][0]);
  StoreMain(s);
  return mLastOutput;
}

template <class Rule>
float VX_BlepOsc::TickTableWith(const Rule& rule)
{
  VX_OscPhase s = MainPhase();
  mLastOutput = TableSample(rule, s, mLanes.correction[0], mLanes.delay[0], mLanes.correctionPos[0],
                            mLanes.delayPos[0]);
  StoreMain(s);
  return mLastOutput;
}

template <class Rule, int kForms>
void VX_BlepOscRendered<Rule, kForms>::RenderBlockPoly()
{
  if constexpr ((kForms & kRenderBlocks) != 0) RenderMainPolyWith(Rule(*this));
}

template <class Rule, int kForms>
void VX_BlepOscRendered<Rule, kForms>::RenderBlockTable()
{
  if constexpr ((kForms & kRenderBlocks) != 0) RenderMainTableWith(Rule(*this));
}

template <class Rule, int kForms>
void VX_BlepOscRendered<Rule, kForms>::RenderLanesPoly(int laneCount)
{
  if constexpr ((kForms & kRenderBlocks) != 0) RenderLanesPolyWith(Rule(*this), laneCount);
}

template <class Rule, int kForms>
void VX_BlepOscRendered<Rule, kForms>::RenderLanesTable(int laneCount)
{
  if constexpr ((kForms & kRenderBlocks) != 0) RenderLanesTableWith(Rule(*this), laneCount);
}

template <class Rule, int kForms>
float VX_BlepOscRendered<Rule, kForms>::TickPoly()
{
  if constexpr ((kForms & kRenderTicks) != 0)
    return TickPolyWith(Rule(*this));
  else
    return 0.0f;
}

template <class Rule, int kForms>
float VX_BlepOscRendered<Rule, kForms>::TickTable()
{
  if constexpr ((kForms & kRenderTicks) != 0)
    return TickTableWith(Rule(*this));
  else
    return 0.0f;
}
