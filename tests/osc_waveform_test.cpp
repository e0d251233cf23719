// Each waveform measured from its rendered signal: pitch, levels, the relations between the
// waveforms at their parameter extremes, and the LFO shapes.

#include "dsp/audio_oscillators.h"
#include "dsp/lfo_waveforms.h"
#include "osc_measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

using osc_measure::Mode;

namespace
{

constexpr float kOversampledRate = 192000.0f;

using OscFactory = std::function<std::unique_ptr<VX_BlepOsc>()>;

template <class T>
OscFactory Make()
{
  return [] { return std::make_unique<T>(); };
}

struct AudioWaveform
{
  const char* name;
  OscFactory make;
  float param;
  double octaves; // sounding pitch relative to the plain types
};

// The sync saw's master runs one octave below the plain types.
const AudioWaveform kAudioWaveforms[] = {
    {"triangle", Make<VX_BlepOscTri>(), 0.5f, 0.0},
    {"saw", Make<VX_BlepOscSaw>(), 0.5f, 0.0},
    {"pulse", Make<VX_BlepOscPWM>(), 0.3f, 0.0},
    {"sync pulse", Make<VX_BlepOscPulseSync>(), 0.3f, 0.0},
    {"sync saw", Make<VX_BlepOscSawSync>(), 0.3f, -1.0},
    {"saw to pulse", Make<VX_BlepOscVariable>(), 0.5f, 0.0},
};

std::unique_ptr<VX_BlepOsc> Tuned(const OscFactory& make, float sampleRate, float x, float param)
{
  auto osc = make();
  osc->SetSampleRate(sampleRate);
  osc->Restart();
  osc->SetPitch(x);
  osc->SetParam(param);
  return osc;
}

std::vector<float> Render(VX_BlepOsc& osc, Mode mode, int count)
{
  return osc_measure::RenderBlocks(osc, mode, count);
}

double Mean(const std::vector<float>& v, size_t from = 0, size_t to = 0)
{
  to = to ? to : v.size();
  return std::accumulate(v.begin() + from, v.begin() + to, 0.0) / (to - from);
}

} // namespace

TEST(OscPitchAccuracy, AudioWaveformsSoundAtTheirNote)
{
  for (const AudioWaveform& w : kAudioWaveforms)
    for (int note : {60, 84, 96, 108})
      for (Mode mode : {Mode::kPoly, Mode::kTable})
      {
        const float x = note / 128.0f;
        auto osc = Tuned(w.make, kOversampledRate, x, w.param);
        const std::vector<float> signal = Render(*osc, mode, 2 * 192000);
        const double expected = osc_measure::PitchToHz(x) * std::pow(2.0, w.octaves);
        const double measured = osc_measure::MeasureFrequency(signal, expected, kOversampledRate);
        EXPECT_NEAR(osc_measure::Cents(measured, expected), 0.0, 0.05)
            << w.name << " note " << note << " " << osc_measure::ModeName(mode);
      }
}

TEST(OscPitchAccuracy, DetunedLanesSoundAtTheirIncrements)
{
  VX_BlepOscSaw saw;
  saw.SetSampleRate(kOversampledRate);
  saw.SetPitchLanes(69 / 128.0f, 6, 1.0f);
  VX_OscState reference;
  for (int lane = 0; lane < 6; ++lane)
    saw.RestartLane(reference, 0.0f, false, lane, 6);
  saw.SetPitchLanes(69 / 128.0f, 6, 1.0f);
  std::vector<std::vector<float>> lanes(6);
  for (int b = 0; b < 96000; ++b)
  {
    saw.RenderLanesTable(6);
    for (int lane = 0; lane < 6; ++lane)
      for (int t = 0; t < 4; ++t)
        lanes[lane].push_back(saw.Output()[lane * 4 + t]);
  }
  for (int lane = 0; lane < 6; ++lane)
  {
    const double expected = saw.LaneIncrement(lane) / 2.0 * kOversampledRate;
    const double measured = osc_measure::MeasureFrequency(lanes[lane], expected, kOversampledRate);
    EXPECT_NEAR(osc_measure::Cents(measured, expected), 0.0, 0.05) << "lane " << lane;
    EXPECT_GT(std::abs(osc_measure::Cents(expected, 220.0)), 1.0) << "lane " << lane;
  }
}

TEST(OscPitchAccuracy, SetFrequencyIsExact)
{
  struct Row
  {
    const char* name;
    OscFactory make;
    float sampleRate;
    float hz;
  };
  const Row rows[] = {
      {"triangle", Make<VX_BlepOscTri>(), 44100, 440},
      {"triangle", Make<VX_BlepOscTri>(), 48000, 97},
      {"saw", Make<VX_BlepOscSaw>(), 44100, 1234.5f},
      {"pulse", Make<VX_BlepOscPWM>(), 96000, 440},
      {"sine", Make<VX_BlepOscSine>(), 44100, 440},
      {"sine", Make<VX_BlepOscSine>(), 48000, 3.5f},
      {"unipolar saw", Make<VX_BlepOscSawUnipolar>(), 44100, 220},
      {"unipolar pulse", Make<VX_BlepOscPulseUnipolar>(), 44100, 330},
  };
  for (const Row& row : rows)
    for (Mode mode : {Mode::kPoly, Mode::kTable})
    {
      auto osc = row.make();
      osc->SetSampleRate(row.sampleRate);
      osc->SetFrequency(row.hz);
      const int count = static_cast<int>(row.sampleRate) * (row.hz < 20 ? 8 : 2);
      const std::vector<float> signal = osc_measure::RenderTicks(*osc, mode, count);
      const double measured = osc_measure::MeasureFrequency(signal, row.hz, row.sampleRate);
      EXPECT_NEAR(osc_measure::Cents(measured, row.hz), 0.0, 0.05)
          << row.name << " " << row.hz << " Hz " << osc_measure::ModeName(mode);
    }
}

TEST(OscPitchAccuracy, SineSetPitchSoundsLikeThePlainTypes)
{
  for (int note : {0, 40, 69, 100})
  {
    VX_BlepOscSine sine;
    sine.SetSampleRate(44100.0f);
    sine.SetPitch(note / 128.0f);
    const double expected = osc_measure::PitchToHz(note / 128.0);
    const std::vector<float> signal = osc_measure::RenderTicks(sine, Mode::kPoly, 8 * 44100);
    const double measured = osc_measure::MeasureFrequency(signal, expected, 44100.0);
    EXPECT_NEAR(osc_measure::Cents(measured, expected), 0.0, 0.05) << note;
  }
}

TEST(OscPulse, LevelsAndWidth)
{
  struct Row
  {
    float w;
    float high, low;
    double highFraction;
  };
  const Row rows[] = {
      {0.0f, 1.0f, -1.0f, 0.5}, {0.5f, 1.5f, -0.5f, 0.25}, {0.99f, 1.99f, -0.01f, 0.005}};
  for (const Row& row : rows)
  {
    auto osc = Tuned(Make<VX_BlepOscPWM>(), kOversampledRate, 24 / 128.0f, row.w);
    const std::vector<float> s = Render(*osc, Mode::kPoly, 192000);
    EXPECT_NEAR(*std::max_element(s.begin(), s.end()), row.high, 1e-3) << row.w;
    EXPECT_NEAR(*std::min_element(s.begin(), s.end()), row.low, 1e-3) << row.w;
    // Over whole periods of 2 / inc samples.
    const size_t period = static_cast<size_t>(std::lround(2.0 / osc->Increment()));
    const size_t whole = (s.size() / period) * period;
    const auto high =
        std::count_if(s.begin(), s.begin() + whole, [&](float v) { return v > row.low + 1.0f; });
    EXPECT_NEAR(static_cast<double>(high) / whole, row.highFraction, 1e-3) << row.w;
    EXPECT_NEAR(Mean(s, 0, whole), 0.0, 2e-3) << row.w;
  }
  VX_BlepOscPWM pwm;
  pwm.SetParam(2.0f);
  EXPECT_EQ(pwm.Param(), 0.99f);
  pwm.SetParam(-1.0f);
  EXPECT_EQ(pwm.Param(), 0.0f);
}

TEST(OscEquivalences, WaveformsMeetAtTheirParameterExtremes)
{
  // (a, parameter a) renders what (b, parameter b) renders from cycle position startB, its sign
  // flipped when stated. The two accumulate their phases differently in 32-bit floats, so their
  // edges drift apart by a small fraction of a sample over the compared span (the sync types'
  // edges by up to a tenth); a missing or extra edge would differ by 2.
  struct Row
  {
    const char* name;
    OscFactory a;
    float paramA;
    OscFactory b;
    float paramB;
    float startB; // cycle position of b
    float sign;
    double tolerance;
  };
  const Row rows[] = {
      {"saw to pulse 0 = saw", Make<VX_BlepOscVariable>(), 0.0f, Make<VX_BlepOscSaw>(), 0, 1, 1,
       1e-3},
      {"saw to pulse 1 = square", Make<VX_BlepOscVariable>(), 1.0f, Make<VX_BlepOscPWM>(), 0, 0, 1,
       1e-3},
      // Each sync pulse cycle starts low, the plain pulse starts high.
      {"sync pulse 0 = square", Make<VX_BlepOscPulseSync>(), 0.0f, Make<VX_BlepOscPWM>(), 0, 0, -1,
       0.15},
      // The slave restarts at level 0 at the saw's midpoint.
      {"sync saw 0 = saw", Make<VX_BlepOscSawSync>(), 0.0f, Make<VX_BlepOscSaw>(), 0, 1, 1, 0.15},
  };
  for (const Row& row : rows)
    for (Mode mode : {Mode::kPoly, Mode::kTable})
      for (int note : {84, 100})
      {
        const float x = note / 128.0f;
        auto a = Tuned(row.a, kOversampledRate, x, row.paramA);
        auto b = Tuned(row.b, kOversampledRate, x, row.paramB);
        VX_OscState start;
        start.phase = 0.0f;
        start.increment = b->Increment();
        b->RestartLane(start, row.startB, true, -1, 0);
        b->SetPitch(x);
        a->SetPitch(x);
        a->SetParam(row.paramA);
        const std::vector<float> sa = Render(*a, mode, 8192);
        const std::vector<float> sb = Render(*b, mode, 8192);
        double worst = 0.0;
        for (size_t n = 0; n < sa.size(); ++n)
          worst = std::max(worst, static_cast<double>(std::abs(sa[n] - row.sign * sb[n])));
        EXPECT_LT(worst, row.tolerance)
            << row.name << " note " << note << " " << osc_measure::ModeName(mode);
      }
}

TEST(OscSync, SlaveFollowsTheSyncRatio)
{
  VX_BlepOscPulseSync sync;
  sync.SetSampleRate(kOversampledRate);
  sync.SetPitch(60 / 128.0f);
  sync.SetParam(0.5f); // 12 + 18 semitones above the master
  EXPECT_NEAR(sync.SecondIncrement() / sync.Increment(), std::pow(2.0, 30.0 / 12.0), 1e-3);
  sync.SetParam(-1.0f); // below one octave: held at twice the master
  EXPECT_NEAR(sync.SecondIncrement(), 2.0f * sync.Increment(), 1e-9);
}

TEST(OscRandom, LatchesAtTheSetRate)
{
  VX_BlepOscRND rnd;
  rnd.SetSampleRate(44100.0f);
  rnd.SetFrequency(4.0f);
  rnd.Restart();
  float held = rnd.TickPoly();
  std::vector<int> changes;
  for (int n = 1; n < 6 * 11025; ++n)
  {
    const float v = (n % 2) ? rnd.TickTable() : rnd.TickPoly();
    ASSERT_GE(v, -2.0f);
    ASSERT_LT(v, 2.0f);
    if (v != held) changes.push_back(n);
    held = v;
  }
  ASSERT_GE(changes.size(), 5u);
  for (size_t i = 1; i < changes.size(); ++i)
    EXPECT_NEAR(changes[i] - changes[i - 1], 11025, 1) << i;
}

TEST(OscNoise, MeansOfTheTwoTicks)
{
  VX_BlepOscNoiseLFO noise;
  double poly = 0.0, table = 0.0;
  const int count = 1 << 20;
  for (int n = 0; n < count; ++n)
  {
    poly += noise.TickPoly();
    table += noise.TickTable();
  }
  EXPECT_NEAR(poly / count, -0.4, 0.01);
  EXPECT_NEAR(table / count, 0.5, 0.01);
  const float before = noise.TickPoly();
  noise.Restart();
  EXPECT_NE(noise.TickPoly(), before);
}

TEST(OscSine, FourHundredFortyOneHertzStepsAHundredthOfACycle)
{
  VX_BlepOscSine sine;
  sine.SetSampleRate(44100.0f);
  sine.SetFrequency(441.0f);
  sine.Restart();
  for (int n = 1; n <= 1000; ++n)
    ASSERT_NEAR(sine.TickPoly(), std::sin(2.0 * M_PI * n / 100.0), 1e-4) << n;
  // After a sample-rate change even the previous value is applied anew.
  sine.SetFrequency(0.0f);
  sine.SetFrequency(441.0f);
  sine.SetSampleRate(88200.0f);
  sine.SetFrequency(441.0f);
  EXPECT_EQ(sine.Table().Increment(), static_cast<uint32_t>(441.0 / 88200.0 * 4294967296.0));
}

TEST(OscUnipolar, RangesAndLastOutput)
{
  VX_BlepOscSawUnipolar saw;
  saw.SetSampleRate(44100.0f);
  saw.SetFrequency(50.0f);
  VX_BlepOscPulseUnipolar pulse;
  pulse.SetSampleRate(44100.0f);
  pulse.SetFrequency(50.0f);
  float sawMin = 9, sawMax = -9;
  int atLevel = 0;
  const int count = 44100;
  for (int n = 0; n < count; ++n)
  {
    const float s = saw.TickPoly();
    sawMin = std::min(sawMin, s);
    sawMax = std::max(sawMax, s);
    const float p = pulse.TickTable();
    EXPECT_NEAR(pulse.LastOutput(), p - 1.0f, 1e-6);
    atLevel += std::abs(p) < 1e-4f || std::abs(p - 2.0f) < 1e-4f;
  }
  EXPECT_GT(atLevel, count * 0.95); // 0 or 2 except within the table's 16 samples of an edge
  EXPECT_GT(sawMin, -0.01f);
  EXPECT_LT(sawMax, 2.01f);
  EXPECT_GT(sawMax - sawMin, 1.98f);
}
