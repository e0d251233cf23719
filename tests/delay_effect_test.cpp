// The delay line against the mathematics of interpolation and all-pass filters, and the delay
// effect's six types through their impulse responses, bypass, type changes and stability.

#include "dsp/delay_effect.h"
#include "dsp/delay_line.h"

#include "signals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr float kRate = 48000.0f; // 48 samples per millisecond: whole milliseconds are exact
constexpr int kPerMs = 48;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr double kPi = 3.14159265358979323846;

float MaxAbs(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX)
{
  const auto first = x.begin() + static_cast<std::ptrdiff_t>(std::min(from, x.size()));
  const auto last = x.begin() + static_cast<std::ptrdiff_t>(std::min(to, x.size()));
  float m = 0.0f;
  for (auto it = first; it < last; ++it)
    m = std::max(m, std::fabs(*it));
  return m;
}

/** Index of the first sample whose magnitude exceeds threshold, or -1. */
int Onset(const std::vector<float>& x, float threshold)
{
  for (size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i]) > threshold) return static_cast<int>(i);
  return -1;
}

// ----- VX_DelayLine

TEST(DelayLineTest, ReadsARampExactlyAtFractionalAndHeldDelays)
{
  // Linear interpolation is exact on a ramp, so the read is n - delay wherever it lands.
  struct Case
  {
    float delaySamples;
    float expected; // the delay actually applied
  };
  const Case cases[] = {
      {1.0f, 1.0f},     {2.5f, 2.5f},   {10.25f, 10.25f},
      {47.75f, 47.75f}, {48.0f, 48.0f}, // the full capacity (1 ms at 48 kHz), not a delay of 0
      {1000.0f, 48.0f}, {kInf, 48.0f},  // held at the capacity
      {0.2f, 1.0f},     {-3.0f, 1.0f},  {kNaN, 1.0f}, // held at one sample
  };
  for (const Case& c : cases)
  {
    VX_DelayLine line;
    line.Setup(kRate, 1.0f);
    ASSERT_EQ(line.Capacity(), kPerMs);
    line.SetDelaySamples(c.delaySamples);
    for (int n = 0; n < 200; ++n)
    {
      const float y = line.PushComb(static_cast<float>(n));
      if (n >= kPerMs + 1)
      {
        ASSERT_FLOAT_EQ(y, static_cast<float>(n) - c.expected)
            << "delay " << c.delaySamples << " at sample " << n;
      }
    }
  }
}

TEST(DelayLineTest, MillisecondDelaysAndCombOutput)
{
  VX_DelayLine line;
  line.Setup(kRate, 10.0f);
  line.SetGain(0.5f);
  line.SetDelayMs(2.0f);
  EXPECT_EQ(line.DelaySamples(), 2.0f * kPerMs);
  float y = 0.0f;
  for (int n = 0; n <= 2 * kPerMs; ++n)
    y = line.PushComb(n == 0 ? 1.0f : 0.0f);
  EXPECT_EQ(y, 1.0f);
  EXPECT_EQ(line.Output(), -0.5f); // the negated feedback term
  // A new rate keeps the delay in milliseconds.
  line.Setup(2.0f * kRate, 10.0f);
  EXPECT_EQ(line.DelaySamples(), 4.0f * kPerMs);
}

TEST(DelayLineTest, AllpassImpulseResponseIsLossless)
{
  // (g + z^-D) / (1 + g z^-D) with D = delay + 1: h[0] = g, h[D] = 1 - g^2,
  // h[kD] = (-g)^(k-1) (1 - g^2), and the energy of the response is 1.
  struct Case
  {
    int delaySamples;
    float g;
  };
  for (const Case& c : {Case{7, 0.5f}, Case{30, 0.3f}, Case{1, 0.1f}})
  {
    VX_DelayLine line;
    line.Setup(kRate, 1.0f);
    line.SetDelaySamples(static_cast<float>(c.delaySamples));
    const int d = c.delaySamples + 1;
    double energy = 0.0;
    for (int n = 0; n < 4000; ++n)
    {
      const float h = line.PushAllpass(n == 0 ? 1.0f : 0.0f, c.g);
      energy += static_cast<double>(h) * h;
      double expected = 0.0;
      if (n == 0)
        expected = c.g;
      else if (n % d == 0)
        expected = std::pow(-c.g, n / d - 1) * (1.0 - c.g * c.g);
      ASSERT_NEAR(h, expected, 1e-6) << "delay " << c.delaySamples << " sample " << n;
    }
    EXPECT_NEAR(energy, 1.0, 1e-5);
  }
}

// ----- VX_DelayEffect

/** Controls for the wet signal alone at full mix. */
VX_DelayControls WetOnly(EDelayType type, float timeMs, float g, float depth)
{
  VX_DelayControls c;
  c.type = static_cast<int>(type);
  c.timeMs = timeMs;
  c.feedback = g;
  c.depth = depth;
  c.mix = 1.0f;
  c.dryGain = 0.0f;
  c.wetGain = 1.0f;
  return c;
}

class DelayEffectTest : public ::testing::Test
{
protected:
  void SetUp() override { fx.SetSampleRate(kRate); }

  /** Runs silence until the glide has reached c.timeMs, then clears the lines. */
  void Settle(const VX_DelayControls& c)
  {
    float l = 0.0f;
    float r = 0.0f;
    for (int n = 0; n < 30 * 48000 && static_cast<float>(fx.SmoothedTimeMs()) != c.timeMs; ++n)
      fx.Process(l, r, c);
    ASSERT_EQ(static_cast<float>(fx.SmoothedTimeMs()), c.timeMs);
    fx.Reset();
  }

  /** Runs the inputs through the effect (a missing right input copies the left). */
  void Run(const VX_DelayControls& c, const std::vector<float>& inLeft,
           const std::vector<float>& inRight)
  {
    left.resize(inLeft.size());
    right.resize(inLeft.size());
    for (size_t n = 0; n < inLeft.size(); ++n)
    {
      float l = inLeft[n];
      float r = inRight.empty() ? inLeft[n] : inRight[n];
      fx.Process(l, r, c);
      left[n] = l;
      right[n] = r;
    }
  }

  /** An impulse of the given heights on each side, then silence, n samples in all. */
  void RunImpulse(const VX_DelayControls& c, int n, float heightLeft = 1.0f,
                  float heightRight = 1.0f)
  {
    std::vector<float> l(n, 0.0f);
    std::vector<float> r(n, 0.0f);
    l[0] = heightLeft;
    r[0] = heightRight;
    Run(c, l, r);
  }

  VX_DelayEffect fx;
  std::vector<float> left;
  std::vector<float> right;
};

TEST_F(DelayEffectTest, DelayWithoutFeedbackIsTheLowPassedInputDelayedByT)
{
  // One-pole y += c (x - y): the impulse response after the delay is c (1 - c)^k.
  struct Case
  {
    float tone;
    double coefficient;
  };
  const Case cases[] = {
      {0.0f, 2.0 * std::sin(kPi * 150.0 / kRate)}, // "LP" at its lowest, 150 Hz
      {1.0f, VX_CutoffTable::kMaxCoefficient},     // 10 kHz: the table's ceiling
  };
  constexpr int kD = 10 * kPerMs;
  for (const Case& k : cases)
  {
    SCOPED_TRACE(k.tone);
    fx.SetTone(k.tone);
    const VX_DelayControls c = WetOnly(EDelayType::kDelay, 10.0f, 0.0f, 0.0f);
    Settle(c);
    RunImpulse(c, kD + 400);
    EXPECT_LT(MaxAbs(left, 0, kD), 1e-9f);
    EXPECT_LT(MaxAbs(right, 0, kD), 1e-9f);
    for (int i = 0; i < 400; ++i)
    {
      const double expected = k.coefficient * std::pow(1.0 - k.coefficient, i);
      ASSERT_NEAR(left[kD + i], expected, 1e-6) << i;
      ASSERT_NEAR(right[kD + i], expected, 1e-6) << i;
    }
  }
}

TEST_F(DelayEffectTest, DelayRepeatsAlternateInSign)
{
  // Repeat k arrives k (D + 1) - 1 samples after the impulse with height (-g)^(k-1).
  constexpr int kD = 5 * kPerMs;
  fx.SetTone(1.0f);
  for (float g : {0.3f, 0.95f})
  {
    SCOPED_TRACE(g);
    const VX_DelayControls c = WetOnly(EDelayType::kDelay, 5.0f, g, 0.0f);
    Settle(c);
    RunImpulse(c, 4 * (kD + 1) + kD / 2); // up to just before the fifth repeat
    std::vector<float> residue = left;
    for (int k = 1; k <= 4; ++k)
    {
      const int at = k * (kD + 1) - 1;
      const double expected = std::pow(-g, k - 1);
      EXPECT_NEAR(left[at], expected, 1e-5) << "repeat " << k;
      EXPECT_NEAR(right[at], expected, 1e-5) << "repeat " << k;
      residue[at] = 0.0f;
      residue[at + 1] = 0.0f; // the low-pass's leak of 1e-7
    }
    EXPECT_LT(MaxAbs(residue), 1e-5f);
  }
}

TEST_F(DelayEffectTest, PingPongBouncesTheMonoSumLeftRightLeft)
{
  // Left after D, right after 2D + 1, left again after 3D + 2 scaled by g, right after 4D + 3.
  constexpr int kD = 10 * kPerMs;
  constexpr float kG = 0.5f;
  struct Case
  {
    float inLeft, inRight; // all with a mono sum of 1
  };
  fx.SetTone(1.0f);
  for (const Case& in : {Case{1.0f, 1.0f}, Case{2.0f, 0.0f}, Case{0.0f, 2.0f}})
  {
    SCOPED_TRACE(in.inLeft);
    const VX_DelayControls c = WetOnly(EDelayType::kPingPong, 10.0f, kG, 0.0f);
    Settle(c);
    RunImpulse(c, 4 * kD + 10, in.inLeft, in.inRight);
    std::vector<float> l = left;
    std::vector<float> r = right;
    EXPECT_NEAR(l[kD], 1.0, 1e-5);
    EXPECT_NEAR(r[2 * kD + 1], 1.0, 1e-5);
    EXPECT_NEAR(l[3 * kD + 2], kG, 1e-5);
    EXPECT_NEAR(r[4 * kD + 3], kG, 1e-5);
    for (int at : {kD, 3 * kD + 2})
      l[at] = l[at + 1] = 0.0f;
    for (int at : {2 * kD + 1, 4 * kD + 3})
      r[at] = r[at + 1] = 0.0f;
    EXPECT_LT(MaxAbs(l), 1e-5f);
    EXPECT_LT(MaxAbs(r), 1e-5f);
  }
}

TEST_F(DelayEffectTest, TapeDelayWetPathIsSilentWithoutFeedback)
{
  struct Case
  {
    float g;
    bool silent;
  };
  const std::vector<float> noise = WhiteNoise(48000, 1);
  fx.SetTone(0.5f);
  for (const Case& k : {Case{0.0f, true}, Case{0.5f, false}})
  {
    SCOPED_TRACE(k.g);
    fx.Reset();
    Run(WetOnly(EDelayType::kTapeDelay, 20.0f, k.g, 1.0f), noise, {});
    if (k.silent)
    {
      EXPECT_LT(MaxAbs(left), 1e-12f);
      EXPECT_LT(MaxAbs(right), 1e-12f);
    }
    else
    {
      EXPECT_GT(MaxAbs(left), 1e-2f);
      EXPECT_GT(MaxAbs(right), 1e-2f);
    }
  }
}

TEST_F(DelayEffectTest, DiffDelayOffsetsOnlyTheLeftChannelBy30Ms)
{
  // Without feedback the branches are plain taps one sample longer than their lines, at
  // T + spread T/2 and within 0.2 ms of modulation: the earliest right tap at 0.845 T, the
  // earliest left tap at 0.84 T, heard 30 ms later.
  constexpr float kT = 100.0f;
  constexpr int kSlack = 10 + 2; // 0.2 ms of modulation, the extra sample, one of rounding
  fx.SetTone(1.0f);
  const VX_DelayControls c = WetOnly(EDelayType::kDiffDelay, kT, 0.0f, 0.0f);
  Settle(c);
  RunImpulse(c, 200 * kPerMs);
  const int expectedRight = static_cast<int>(0.845f * kT * kPerMs);
  const int expectedLeft = static_cast<int>((0.84f * kT + 30.0f) * kPerMs);
  EXPECT_NEAR(Onset(right, 1e-3f), expectedRight, kSlack);
  EXPECT_NEAR(Onset(left, 1e-3f), expectedLeft, kSlack);
}

TEST_F(DelayEffectTest, ZeroMixPassesTheSignalBitForBitAndLeavesTheStateAlone)
{
  const std::vector<float> a = WhiteNoise(4800, 2);
  const std::vector<float> b = WhiteNoise(4800, 3);
  for (int type = 0; type < VX_DelayEffect::kNumTypes; ++type)
  {
    SCOPED_TRACE(type);
    VX_DelayControls bypass = WetOnly(static_cast<EDelayType>(type), 3.0f, 0.9f, 1.0f);
    bypass.rate = 1.0f;
    bypass.mix = 0.0f;
    bypass.dryGain = 0.5f; // gains that would show if they were applied
    bypass.wetGain = 0.5f;
    VX_DelayEffect bypassed;
    bypassed.SetSampleRate(kRate);
    for (size_t n = 0; n < a.size(); ++n)
    {
      float l = a[n];
      float r = b[n];
      bypassed.Process(l, r, bypass);
      ASSERT_EQ(l, a[n]);
      ASSERT_EQ(r, b[n]);
    }
    // Afterwards it sounds exactly like an effect that never saw the bypassed signal.
    VX_DelayControls on = bypass;
    on.mix = 0.5f;
    VX_DelayEffect fresh;
    fresh.SetSampleRate(kRate);
    for (size_t n = 0; n < a.size(); ++n)
    {
      float l1 = a[n], r1 = b[n], l2 = a[n], r2 = b[n];
      bypassed.Process(l1, r1, on);
      fresh.Process(l2, r2, on);
      ASSERT_EQ(l1, l2) << n;
      ASSERT_EQ(r1, r2) << n;
    }
  }
}

TEST_F(DelayEffectTest, ChangingTheTypeOrResettingClearsEveryBuffer)
{
  // Fill the lines and loops with noise, then listen to silence: a cleared effect stays silent,
  // one that keeps its type and state rings on.
  struct Case
  {
    int from, to;
    bool reset; // Reset() instead of a type change
    bool silent;
  };
  std::vector<Case> cases;
  for (int t = 0; t < VX_DelayEffect::kNumTypes; ++t)
  {
    cases.push_back({t, (t + 1) % VX_DelayEffect::kNumTypes, false, true});
    cases.push_back({t, t, true, true});
    cases.push_back({t, t, false, false});
  }
  const std::vector<float> noise = WhiteNoise(24000, 4);
  const std::vector<float> silence(24000, 0.0f);
  fx.SetTone(0.5f);
  for (const Case& k : cases)
  {
    SCOPED_TRACE(::testing::Message() << k.from << " -> " << k.to << " reset " << k.reset);
    VX_DelayControls c = WetOnly(static_cast<EDelayType>(k.from), 50.0f, 0.9f, 1.0f);
    c.rate = 0.5f;
    Run(c, noise, {});
    if (k.reset) fx.Reset();
    c.type = k.to;
    Run(c, silence, {});
    if (k.silent)
    {
      EXPECT_LT(MaxAbs(left), 1e-9f);
      EXPECT_LT(MaxAbs(right), 1e-9f);
    }
    else
    {
      EXPECT_GT(MaxAbs(left), 1e-3f);
      EXPECT_GT(MaxAbs(right), 1e-3f);
    }
  }
}

TEST_F(DelayEffectTest, MaximumFeedbackAndModulationStayBoundedAndDecay)
{
  // Ten seconds of full-scale noise with the delay time sweeping over its whole range, then
  // silence. Feedback asked beyond the 0.95 limit is held there. The linear loops decay; the
  // tape loop may ring on but is held by its clip and saturation (|wet| <= 4 * 4/3).
  const std::vector<float> noise = WhiteNoise(10 * 48000, 5);
  for (int type = 0; type < VX_DelayEffect::kNumTypes; ++type)
  {
    for (float g : {0.95f, 10.0f})
    {
      SCOPED_TRACE(::testing::Message() << "type " << type << " g " << g);
      VX_DelayEffect e;
      e.SetSampleRate(kRate);
      e.SetTone(1.0f);
      VX_DelayControls c = WetOnly(static_cast<EDelayType>(type), 5.0f, g, 1.0f);
      c.rate = 1.0f;
      float peak = 0.0f;
      for (size_t n = 0; n < noise.size(); ++n)
      {
        // A triangle between 5 and 4000 ms, 4 s per sweep.
        const float phase = std::fmod(static_cast<float>(n) / (4.0f * kRate), 1.0f);
        c.timeMs = 5.0f + 3995.0f * (1.0f - std::fabs(2.0f * phase - 1.0f));
        float l = noise[n];
        float r = -noise[n];
        e.Process(l, r, c);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << n;
        peak = std::max({peak, std::fabs(l), std::fabs(r)});
      }
      if (type == static_cast<int>(EDelayType::kTapeDelay))
        EXPECT_LE(peak, 16.0f / 3.0f + 1e-4f);
      else
        EXPECT_LT(peak, 100.0f);
      // Then 10 s of silence at a short time: at 0.95 per round trip the linear loops die out.
      c.timeMs = 5.0f;
      float tail = 0.0f;
      for (int n = 0; n < 10 * 48000; ++n)
      {
        float l = 0.0f;
        float r = 0.0f;
        e.Process(l, r, c);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r)) << n;
        if (n >= 9 * 48000) tail = std::max({tail, std::fabs(l), std::fabs(r)});
      }
      if (type == static_cast<int>(EDelayType::kTapeDelay))
        EXPECT_LE(tail, 16.0f / 3.0f + 1e-4f);
      else
        EXPECT_LT(tail, 1e-6f);
    }
  }
}

TEST_F(DelayEffectTest, TimesOutsideTheLinesAreHeldInside)
{
  // A synced "1/1" at a very slow tempo, or a broken tempo, asks for more than the lines hold.
  const std::vector<float> noise = WhiteNoise(48000, 6);
  for (int type = 0; type < VX_DelayEffect::kNumTypes; ++type)
  {
    for (float t : {1e9f, kInf, kNaN, -10.0f, 0.0f})
    {
      SCOPED_TRACE(::testing::Message() << "type " << type << " time " << t);
      VX_DelayEffect e;
      e.SetSampleRate(kRate);
      VX_DelayControls c = WetOnly(static_cast<EDelayType>(type), t, 0.9f, 1.0f);
      for (float x : noise)
      {
        float l = x;
        float r = x;
        e.Process(l, r, c);
        ASSERT_TRUE(std::isfinite(l) && std::isfinite(r));
      }
      EXPECT_GE(e.SmoothedTimeMs(), 0.0);
      EXPECT_LE(e.SmoothedTimeMs(), VX_DelayEffect::kMaxDelayMs);
    }
  }
}

TEST_F(DelayEffectTest, TimeGlidesTowardTheTarget)
{
  // A one-pole at 2/3 Hz: after one time constant (1 / (2 pi 2/3) s) 1 - 1/e of the way.
  VX_DelayControls c = WetOnly(EDelayType::kDelay, 1000.0f, 0.0f, 0.0f);
  const int tau = static_cast<int>(std::lround(kRate * 3.0 / (4.0 * kPi)));
  for (int n = 0; n < tau; ++n)
  {
    float l = 0.0f;
    float r = 0.0f;
    fx.Process(l, r, c);
  }
  EXPECT_NEAR(fx.SmoothedTimeMs(), 1000.0 * (1.0 - std::exp(-1.0)), 0.5);
}

} // namespace
