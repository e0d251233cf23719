// The 2:1 half-band decimator: its 119-tap response measured through both input phases, the
// passband and stopband it achieves, the DC gains, and the two-stage chain from 4x to 1x.

#include "dsp/decimator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr int kTaps = 119;
constexpr int kCentre = 59;

/**
 * The equivalent FIR at the input rate: an impulse as the first sample of a pair shows the taps
 * at even delays (output m = tap 2m), one as the second sample the taps at odd delays
 * (output m = tap 2m - 1).
 */
std::vector<double> MeasuredTaps()
{
  std::vector<double> h(kTaps + 1, 0.0);
  for (int phase = 0; phase < 2; ++phase)
  {
    VX_Decimator d;
    for (int m = 0; m < 64; ++m)
    {
      const float first = m == 0 && phase == 0 ? 1.0f : 0.0f;
      const float second = m == 0 && phase == 1 ? 1.0f : 0.0f;
      const float y = d.Process(first, second);
      const int tap = 2 * m - phase;
      if (tap >= 0 && tap <= kTaps) h[tap] = y;
    }
  }
  return h;
}

/** Zero-phase amplitude response of the symmetric FIR at f (in units of the input rate). */
double Amplitude(const std::vector<double>& h, double f)
{
  double sum = 0.0;
  for (int t = 0; t < kTaps; ++t)
    sum += h[t] * std::cos(2.0 * kPi * f * (t - kCentre));
  return sum;
}

struct BandExtremes
{
  double lo = 1e9;
  double hi = 0.0; // of |amplitude|
};

BandExtremes Band(const std::vector<double>& h, double from, double to)
{
  BandExtremes e;
  for (int i = 0; i <= 4000; ++i)
  {
    const double a = std::abs(Amplitude(h, from + (to - from) * i / 4000.0));
    e.lo = std::min(e.lo, a);
    e.hi = std::max(e.hi, a);
  }
  return e;
}

double Db(double x)
{
  return 20.0 * std::log10(x);
}
} // namespace

TEST(Decimator, IsASymmetricHalfBandWithCentreTapOne)
{
  const std::vector<double> h = MeasuredTaps();
  EXPECT_EQ(h[kCentre], 1.0);
  EXPECT_EQ(h[kTaps], 0.0) << "no tap beyond 119";
  for (int t = 0; t < kTaps; ++t)
  {
    EXPECT_EQ(h[t], h[kTaps - 1 - t]) << "tap " << t;
    if (t != kCentre && (t - kCentre) % 2 == 0)
    {
      EXPECT_EQ(h[t], 0.0) << "tap " << t;
    }
  }
}

TEST(Decimator, PassbandRippleAndStopbandAttenuation)
{
  // A half-band's response is antisymmetric about a quarter of the input rate (the output
  // Nyquist frequency), where it is half the DC gain; these 60 side taps keep the passband up to
  // 0.4 of the output rate within +-0.003 dB and reject everything from 0.6 of it by 69 dB.
  const std::vector<double> h = MeasuredTaps();
  const double dc = Amplitude(h, 0.0);
  const BandExtremes pass = Band(h, 0.0, 0.2);
  const BandExtremes stop = Band(h, 0.3, 0.5);
  EXPECT_LT(Db(pass.hi / dc), 0.0035);
  EXPECT_GT(Db(pass.lo / dc), -0.0035);
  EXPECT_LT(Db(stop.hi / dc), -69.0);
  EXPECT_NEAR(Amplitude(h, 0.25), 1.0, 1e-7) << "half the nominal gain 2";
}

TEST(Decimator, DcGainIsTwoAndTwoStagesTimesAQuarterAreUnity)
{
  VX_Decimator one, first, second;
  float single = 0.0f, chain = 0.0f;
  for (int i = 0; i < 200; ++i)
  {
    single = one.Process(1.0f, 1.0f);
    const float a = first.Process(1.0f, 1.0f);
    const float b = first.Process(1.0f, 1.0f);
    chain = second.Process(a, b) * 0.25f;
  }
  EXPECT_NEAR(single, 2.0f, 1.2e-4f); // 1 + 2·(c0 + ... + c29) = 1.99989
  EXPECT_NEAR(chain, 1.0f, 1.2e-4f);
}

TEST(Decimator, TwoStageChainPassesTheAudioBandAndRejectsWhatWouldAlias)
{
  // Sines at the 4x rate through both stages, levels measured over one second of output (whole
  // periods of every frequency here) against the input's.
  constexpr double kOut = 44100.0;
  const struct
  {
    double hz; // at the 4x rate
    bool passes;
  } cases[] = {{100.0, true},    {1000.0, true},   {10000.0, true},  {17640.0, true},
               {26460.0, false}, {30000.0, false}, {41000.0, false}, {60000.0, false},
               {80000.0, false}, {88000.0, false}};
  for (const auto& c : cases)
  {
    VX_Decimator first, second;
    double energy = 0.0;
    int count = 0;
    for (int n = 0; n < 1000 + static_cast<int>(kOut); ++n)
    {
      float in[4];
      for (int j = 0; j < 4; ++j)
        in[j] = static_cast<float>(std::sin(2.0 * kPi * c.hz * (4 * n + j) / (4.0 * kOut)));
      const float a = first.Process(in[0], in[1]);
      const float b = first.Process(in[2], in[3]);
      const double y = second.Process(a, b) * 0.25;
      if (n >= 1000) // past both latencies
      {
        energy += y * y;
        ++count;
      }
    }
    const double levelDb = Db(std::sqrt(2.0 * energy / count));
    if (c.passes)
      EXPECT_NEAR(levelDb, 0.0, 0.008) << c.hz << " Hz";
    else
      EXPECT_LT(levelDb, -69.0) << c.hz << " Hz";
  }
}

TEST(Decimator, ClearForgetsThePast)
{
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  VX_Decimator d;
  for (int i = 0; i < 100; ++i)
    d.Process(noise(rng), noise(rng));
  d.Clear();
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(d.Process(0.0f, 0.0f), 0.0f) << i;
}
