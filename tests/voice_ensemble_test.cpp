// The voice-emulation ensemble against a model of its swept tap pairs, its stereo spread from a
// mono input and its reset.

#include "dsp/voice_ensemble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr float kRate = 48000.0f;
constexpr double kPi = 3.14159265358979323846;

enum EMode
{
  kFour,
  kEight
};

void Step(VX_VoiceEnsemble& e, EMode mode, float left, float right)
{
  if (mode == kFour)
    e.ProcessFour(left, right);
  else
    e.ProcessEight(left, right);
}

/** A tap pair of the model: delays centre (1 +- tri) ms, tri a triangle at sweepHz. */
struct TapPair
{
  double centreMs;
  double sweepHz; // at rate multiplier 1
};

/** Triangle from -1 at sample 0, rising, one period per 1 / hz seconds. */
double Triangle(double hz, int n)
{
  const double p = std::fmod(hz * n / kRate, 1.0);
  return p < 0.5 ? -1.0 + 4.0 * p : 3.0 - 4.0 * p;
}

/** The model's output of one side at sample n for the input x(t) = sin(w t), t >= 0. */
double ModelSide(const std::vector<TapPair>& pairs, double rate, double w, int n)
{
  double sum = 0.0;
  for (const TapPair& p : pairs)
  {
    const double tri = Triangle(p.sweepHz * rate, n);
    for (double sign : {1.0, -1.0})
    {
      // Held at one sample when a tap reaches 0 ms.
      const double d = std::max(p.centreMs * (1.0 + sign * tri) * kRate / 1000.0, 1.0);
      const double t = n - d;
      sum += t >= 0.0 ? std::sin(w * t) : 0.0;
    }
  }
  return sum;
}

TEST(VoiceEnsembleTest, TapDelaysFollowTheTriangleSources)
{
  // The taps of one pair read a sine at n - c (1 + tri) and n - c (1 - tri). Modulator i is
  // tuned to f_i x and its taps sweep at 2 f_i x: at "Unison Detune" 0 (x = 0.1) triangle 1
  // sweeps at 0.044 Hz. The modulators accumulate their triangles in float and stray from the
  // ideal by up to 1e-3, which moves a tap by up to 0.4 samples and its 25 Hz sine by 1.4e-3;
  // a wrong centre or sweep rate moves taps by tens of samples.
  struct Case
  {
    EMode mode;
    float rate;
    std::vector<TapPair> left, right;
  };
  const std::vector<TapPair> four[2] = {{{6.5, 0.44}}, {{8.5, 0.52}}};
  const std::vector<TapPair> eight[2] = {{{3.5, 0.44}, {6.5, 0.85}}, {{5.5, 0.52}, {8.5, 0.95}}};
  const Case cases[] = {
      {kFour, 0.1f, four[0], four[1]},
      {kFour, 1.6f, four[0], four[1]},
      {kEight, 0.1f, eight[0], eight[1]},
      {kEight, 1.6f, eight[0], eight[1]},
  };
  const double w = 2.0 * kPi * 25.0 / kRate;
  for (const Case& c : cases)
  {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " rate " << c.rate);
    VX_VoiceEnsemble e;
    e.SetSampleRate(kRate);
    double worst = 0.0;
    for (int n = 0; n < 2 * 48000; ++n)
    {
      e.SetRate(c.rate);
      const float x = static_cast<float>(std::sin(w * n));
      Step(e, c.mode, x, x);
      if (n < 20 * 48) // until every tap has seen the input
        continue;
      worst = std::max(worst, std::fabs(e.LeftOutput() - ModelSide(c.left, c.rate, w, n)));
      worst = std::max(worst, std::fabs(e.RightOutput() - ModelSide(c.right, c.rate, w, n)));
    }
    EXPECT_LT(worst, 1e-2);
  }
}

TEST(VoiceEnsembleTest, MonoInputComesOutWideAndResetSilences)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  for (EMode mode : {kFour, kEight})
  {
    SCOPED_TRACE(mode);
    VX_VoiceEnsemble e;
    e.SetSampleRate(kRate);
    double sideEnergy = 0.0;
    double sumEnergy = 0.0;
    for (int n = 0; n < 48000; ++n)
    {
      e.SetRate(1.0f);
      const float x = noise(rng);
      Step(e, mode, x, x);
      const double side = e.LeftOutput() - e.RightOutput();
      const double sum = e.LeftOutput() + e.RightOutput();
      sideEnergy += side * side;
      sumEnergy += sum * sum;
    }
    // Each side reads the noise at its own delays, so the two are largely uncorrelated.
    EXPECT_GT(sideEnergy, 0.5 * sumEnergy);

    e.Reset();
    for (int n = 0; n < 48000 / 10; ++n)
    {
      Step(e, mode, 0.0f, 0.0f);
      ASSERT_EQ(e.LeftOutput(), 0.0f) << n;
      ASSERT_EQ(e.RightOutput(), 0.0f) << n;
    }
  }
}

} // namespace
