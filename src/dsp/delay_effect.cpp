#include "dsp/delay_effect.h"

#include "dsp/smoothing.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kAntiDenormal = 1e-18f;
// A 1500 ms follower: time constant 238.7 ms, a one-pole at 2/3 Hz.
constexpr float kTimeGlideMs = 1500.0f;
constexpr float kMaxDiffusion = 0.5f;
constexpr float kPhaserFeedback = 0.3f;
constexpr float kPhaserCentre = 0.6f; // normalized pitch: note 76.8
constexpr float kPhaserRateHz = 7.0f; // sweep rate at "FX Param 4" = 1

// "DIFF DELAY" branch times: T + spread * T/2 plus a sign of one of the two modulators.
constexpr float kDiffSpreadLeft[4] = {-0.32f, -0.2f, 0.099999964f, 0.54f};
constexpr float kDiffSpreadRight[4] = {-0.31f, -0.15f, 0.030000001f, 0.57f};

/** One-pole low-pass step s += c (x - s), kept out of denormal range. */
inline float OnePole(float& state, float coefficient, float x)
{
  state += coefficient * (x - state) + kAntiDenormal;
  return state;
}

inline float LowPass(VX_CutoffTable& table, float x)
{
  return OnePole(table.FilterState().lp, table.Coefficient(), x);
}

/** The tape loop: clipped to [-1, 1], cubic soft saturation, then a band-pass made of a
 *  low-pass minus its own low-pass at the TONE frequency. */
inline float TapeStage(VX_CutoffTable& tone, float& stage2, float v)
{
  v = std::clamp(v, -1.0f, 1.0f);
  v -= v * v * v * (1.0f / 3.0f);
  const float s1 = LowPass(tone, v);
  const float s2 = OnePole(stage2, tone.Coefficient(), s1);
  return s1 - s2;
}

EDelayType ToDelayType(int type)
{
  return static_cast<EDelayType>(std::clamp(type, 0, VX_DelayEffect::kNumTypes - 1));
}
} // namespace

VX_DelayEffect::VX_DelayEffect()
{
  SetSampleRate(44100.0f);
}

void VX_DelayEffect::SetSampleRate(float sampleRate)
{
  for (int k = 0; k < kBranches; ++k)
  {
    mLeft[k].Setup(sampleRate, kMaxDelayMs);
    mRight[k].Setup(sampleRate, kMaxDelayMs);
  }
  // SetRange keeps each table's cutoff request.
  mLoopLeft.SetRange(sampleRate, 150.0f, 10000.0f);
  mLoopRight.SetRange(sampleRate, 150.0f, 10000.0f);
  mTapeLeft.SetRange(sampleRate, 150.0f, 1500.0f);
  mTapeRight.SetRange(sampleRate, 150.0f, 1500.0f);
  mLowCutLeft.SetRange(sampleRate, 20.0f, 20000.0f);
  mLowCutRight.SetRange(sampleRate, 20.0f, 20000.0f);
  mLowCutLeft.SetCutoffHz(125.0f);
  mLowCutRight.SetCutoffHz(125.0f);

  mSine1.SetSampleRate(sampleRate);
  mSine1.SetFrequency(0.7f);
  mSine2.SetSampleRate(sampleRate);
  mSine2.SetFrequency(0.5f);
  mTriangle.SetSampleRate(sampleRate);
  mTriangle.SetFrequency(0.5f);

  mLeftOffset.Setup(sampleRate, kLeftOffsetMs);
  mLeftOffset.SetDelaySamples(static_cast<float>(mLeftOffset.Capacity()));
  for (VX_FilterAllPass& a : mPhaser)
    a.SetSampleRate(sampleRate);
  mTimeCoefficient = OnePoleCoefficient(kTimeGlideMs, sampleRate);
  Reset();
}

void VX_DelayEffect::Reset()
{
  mWetLeft = 0.0f;
  mWetRight = 0.0f;
  std::fill(std::begin(mBranchLeft), std::end(mBranchLeft), 0.0f);
  std::fill(std::begin(mBranchRight), std::end(mBranchRight), 0.0f);
  std::fill(std::begin(mTapeStage2), std::end(mTapeStage2), 0.0f);
  for (VX_CutoffTable* t :
       {&mLoopLeft, &mLoopRight, &mTapeLeft, &mTapeRight, &mLowCutLeft, &mLowCutRight})
    t->ClearState();
  for (int k = 0; k < kBranches; ++k)
  {
    mLeft[k].Clear();
    mRight[k].Clear();
  }
  mLeftOffset.Clear();
  for (VX_FilterAllPass& a : mPhaser)
    a.ClearState();
}

void VX_DelayEffect::SetTone(float value)
{
  for (VX_CutoffTable* t : {&mLoopLeft, &mLoopRight, &mTapeLeft, &mTapeRight})
    t->SetCutoff(value, 0.0f);
}

void VX_DelayEffect::SetFeedbackAndTime(float timeMs, float g)
{
  // Held to what the lines can delay, so that the glide never parks beyond their reach; a NaN
  // time keeps the previous target.
  if (!std::isnan(timeMs)) mTargetTime = std::clamp(timeMs, 0.0f, kMaxDelayMs);
  // Held below 1 so that every loop decays; NaN counts as no feedback.
  mFeedback = g > 0.0f ? std::min(g, kMaxFeedback) : 0.0f;
  for (int k = 0; k < kBranches; ++k)
  {
    mLeft[k].SetGain(mFeedback);
    mRight[k].SetGain(mFeedback);
  }
  mDiffusion = std::min(kMaxDiffusion, 100.0f * mFeedback);
}

void VX_DelayEffect::Process(float& left, float& right, const VX_DelayControls& c)
{
  const EDelayType type = ToDelayType(c.type);
  if (type != mType)
  {
    // Never replay one type's buffers through another.
    mType = type;
    Reset();
  }
  if (!(c.mix > 0.0f)) return;

  SetFeedbackAndTime(c.timeMs, c.feedback);
  mSmoothedTime += (mTargetTime - mSmoothedTime) * mTimeCoefficient;
  const float t = static_cast<float>(mSmoothedTime);
  switch (type)
  {
  case EDelayType::kDelay:
    ProcessDelay(left, right, t, c.depth);
    break;
  case EDelayType::kPingPong:
    ProcessPingPong(left, right, t, c.depth);
    break;
  case EDelayType::kDiffDelay:
    ProcessDiffDelay(left, right, t, c.depth);
    break;
  case EDelayType::kTapeDelay:
    ProcessTapeDelay(left, right, t, c.depth);
    break;
  case EDelayType::kPhaseDelay1:
  case EDelayType::kPhaseDelay2:
    ProcessPhaseDelay(left, right, t, c.depth, c.rate, type == EDelayType::kPhaseDelay2);
    break;
  }
  left = c.dryGain * left + c.wetGain * mWetLeft;
  right = c.dryGain * right + c.wetGain * mWetRight;
}

void VX_DelayEffect::ProcessDelay(float left, float right, float t, float depth)
{
  const float g = mFeedback;
  const float u = mSine1.TickPoly() * 4.0f * depth;
  mLeft[0].SetDelayMs(t + u);
  mRight[0].SetDelayMs(t - u);
  // Negative feedback: successive repeats alternate in sign.
  mWetLeft = mLeft[0].PushComb(LowPass(mLoopLeft, left - g * mLeft[0].LastRead()));
  mWetRight = mRight[0].PushComb(LowPass(mLoopRight, right - g * mRight[0].LastRead()));
}

void VX_DelayEffect::ProcessPingPong(float left, float right, float t, float depth)
{
  const float mono = 0.5f * (left + right);
  mLeft[0].SetDelayMs(t + mSine1.TickPoly() * 4.0f * depth);
  mRight[0].SetDelayMs(t);
  // The right line takes what the left line gave one sample ago, the left line the feedback
  // from the right: left after T, right after 2T + 1 sample, left again after 3T + 2.
  const float fromLeft = mLeft[0].LastRead();
  mWetLeft = mLeft[0].PushComb(LowPass(mLoopLeft, mono + mFeedback * mRight[0].LastRead()));
  mWetRight = mRight[0].PushComb(fromLeft);
}

void VX_DelayEffect::ProcessDiffDelay(float left, float right, float t, float depth)
{
  const float a = 0.2f + 1.8f * depth;
  const float m1 = mSine1.TickPoly() * a;
  const float m2 = mSine2.TickPoly() * a;
  const float w = 0.5f * t;
  const float modLeft[kBranches] = {-m1, m1, m2, -m2};
  const float modRight[kBranches] = {m2, -m2, -m1, m1};
  for (int k = 0; k < kBranches; ++k)
  {
    mLeft[k].SetDelayMs(t + kDiffSpreadLeft[k] * w + modLeft[k]);
    mRight[k].SetDelayMs(t + kDiffSpreadRight[k] * w + modRight[k]);
  }

  const float l = 0.5f * left;
  const float r = 0.5f * right;
  const float hl = l - LowPass(mLowCutLeft, l);
  const float hr = r - LowPass(mLowCutRight, r);

  // Each branch hears the other side's previous outputs through d * (2 x_k - sum x): a matrix
  // of norm 2d = g, so the coupled loops decay like a feedback of g.
  const float d = 0.5f * mFeedback;
  const float ad = mDiffusion;
  float previousLeft[kBranches];
  float sumLeft = 0.0f;
  float sumRight = 0.0f;
  for (int k = 0; k < kBranches; ++k)
  {
    previousLeft[k] = mBranchLeft[k];
    sumLeft += mBranchLeft[k];
    sumRight += mBranchRight[k];
  }
  float outLeft = 0.0f;
  float outRight = 0.0f;
  for (int k = 0; k < kBranches; ++k)
  {
    const float in = hl - d * (2.0f * mBranchRight[k] - sumRight);
    mBranchLeft[k] = mLeft[k].PushAllpass(in, ad) - ad * hl;
    outLeft += mBranchLeft[k];
  }
  for (int k = 0; k < kBranches; ++k)
  {
    const float in = hr - d * (2.0f * previousLeft[k] - sumLeft);
    mBranchRight[k] = mRight[k].PushAllpass(in, ad) - ad * hr;
    outRight += mBranchRight[k];
  }
  mWetLeft = mLeftOffset.PushComb(LowPass(mLoopLeft, outLeft));
  mWetRight = LowPass(mLoopRight, outRight);
}

void VX_DelayEffect::ProcessTapeDelay(float left, float right, float t, float depth)
{
  const float u = mSine1.TickPoly() * 2.0f * depth;
  mLeft[0].SetDelayMs(t + u);
  mRight[0].SetDelayMs(t + 0.999f * u);
  // At g = 0 nothing enters the loop, so the wet path is silent.
  const float drive = 2.5f * mFeedback;
  const float inLeft = (0.25f * left + mLeft[0].LastRead()) * drive;
  const float inRight = (0.25f * right + mRight[0].LastRead()) * drive;
  mWetLeft = 4.0f * mLeft[0].PushComb(TapeStage(mTapeLeft, mTapeStage2[0], inLeft));
  mWetRight = 4.0f * mRight[0].PushComb(TapeStage(mTapeRight, mTapeStage2[1], inRight));
}

void VX_DelayEffect::ProcessPhaseDelay(float left, float right, float t, float depth, float rate,
                                       bool opposite)
{
  mTriangle.SetFrequency(kPhaserRateHz * rate);
  const float e = mTriangle.TickPoly() * depth * 0.3f;
  VX_FilterAllPass& a1 = mPhaser[0];
  VX_FilterAllPass& a2 = mPhaser[1];
  VX_FilterAllPass& a3 = mPhaser[2];
  VX_FilterAllPass& a4 = mPhaser[3];
  a1.SetParams(kPhaserCentre + e);
  if (opposite)
    a2.SetParams(kPhaserCentre - e);
  else
    a2.SetCoefficient(a1.GetCoefficient());
  a3.SetCoefficient(a1.GetCoefficient());
  a4.SetCoefficient(a2.GetCoefficient());

  const float f = a1.ProcessFourStageFeedback(left, kPhaserFeedback) + left;
  const float phasedLeft = 0.25f * (f + a3.ProcessFourStageFeedback(f, kPhaserFeedback));
  const float fr = a2.ProcessFourStageFeedback(right, kPhaserFeedback) + right;
  const float phasedRight = 0.25f * (fr + a4.ProcessFourStageFeedback(fr, kPhaserFeedback));

  const float m = mSine2.TickPoly();
  mLeft[0].SetDelayMs(t + m);
  mRight[0].SetDelayMs(t - m);
  // The comb's feedback term of the previous sample, -g * (delayed), is both fed back and heard.
  const float cl = mLeft[0].Output();
  const float cr = mRight[0].Output();
  mLeft[0].PushComb(phasedLeft - cl);
  mRight[0].PushComb(phasedRight - cr);
  mWetLeft = cl + phasedLeft;
  mWetRight = cr + phasedRight;
}
