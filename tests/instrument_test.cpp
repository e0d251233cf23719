// The whole instrument as a host hears it: pitch, the reference tone, stereo, de-click fades
// and numerical health under extreme settings.

#include "osc_measure.h"
#include "support/hosted_plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

namespace
{
constexpr int kBlock = 256;

std::vector<double> Slice(const std::vector<double>& x, int from, int to)
{
  return {x.begin() + from, x.begin() + to};
}

std::vector<float> ToFloat(const std::vector<double>& x)
{
  return {x.begin(), x.end()};
}

double Peak(const std::vector<double>& x)
{
  double peak = 0.0;
  for (double v : x)
    peak = std::max(peak, std::abs(v));
  return peak;
}

double LargestStep(const std::vector<double>& x)
{
  double step = 0.0;
  for (size_t i = 1; i < x.size(); ++i)
    step = std::max(step, std::abs(x[i] - x[i - 1]));
  return step;
}
} // namespace

TEST(Instrument, NoteSixtyNineSoundsAt440Hz)
{
  for (double rate : {44100.0, 48000.0, 96000.0})
  {
    HostedPlugin host(rate, kBlock);
    host.NoteOn(0, 69);
    const std::vector<double> left = host.RenderLeft(static_cast<int>(3 * rate), kBlock);
    const auto held = ToFloat(Slice(left, static_cast<int>(rate), static_cast<int>(3 * rate)));
    const double hz = osc_measure::MeasureFrequency(held, 440.0, rate);
    EXPECT_NEAR(osc_measure::Cents(hz, 440.0), 0.0, 0.1) << rate;
  }
}

TEST(Instrument, ReferenceToneIsA440TriangleAtQuarterLevel)
{
  constexpr double kRate = 44100.0;
  HostedPlugin host(kRate, kBlock);
  host.Set(kVolume, 0.0); // the tone ignores "Volume" and the notes
  host.SetText(kA440, "ON");
  std::vector<double> right;
  const std::vector<double> left = host.RenderLeft(2 * 44100, kBlock, &right);
  EXPECT_EQ(left, right);

  // The smoothed switch passes 0.5 after about 16 ms; the gain then rises over 2000 frames.
  EXPECT_LT(Peak(Slice(left, 0, 600)), 0.05);
  const auto steady = Slice(left, 44100, 2 * 44100);
  // Sampled about 100 times per cycle, the triangle's corners fall up to a half-step short.
  EXPECT_LE(Peak(steady), 0.25);
  EXPECT_GT(Peak(steady), 0.245);
  const double hz = osc_measure::MeasureFrequency(ToFloat(steady), 440.0, kRate);
  EXPECT_NEAR(osc_measure::Cents(hz, 440.0), 0.0, 0.05);

  host.SetText(kA440, "OFF");
  const std::vector<double> after = host.RenderLeft(44100, kBlock);
  EXPECT_GT(Peak(Slice(after, 0, 1000)), 0.2) << "keeps its level until the switch settles";
  EXPECT_EQ(Peak(Slice(after, 22050, 44100)), 0.0);
}

TEST(Instrument, UnisonStereoSpreadsLanesAcrossTheChannels)
{
  const struct
  {
    double stereo;
    bool identical;
  } cases[] = {{0.0, true}, {1.0, false}};
  for (const auto& c : cases)
  {
    HostedPlugin host(48000, kBlock);
    host.SetText(kUnisonVoices, "2 Voices");
    host.Set(kUnisonDetune, 0.5);
    host.Set(kUnisonStereo, c.stereo);
    host.RenderLeft(48000, kBlock); // the width gains settle
    host.NoteOn(0, 57);
    std::vector<double> right;
    const std::vector<double> left = host.RenderLeft(24000, kBlock, &right);
    ASSERT_GT(Peak(left), 0.01);
    EXPECT_EQ(left == right, c.identical) << c.stereo;
  }
}

TEST(Instrument, VoiceEmulationWidensAMonoVoice)
{
  for (std::string_view mode : {"4 Voice Emulation (Low CPU)", "8 Voice Emulation (Low CPU)"})
  {
    HostedPlugin host(48000, kBlock);
    host.SetText(kUnisonVoices, mode);
    host.Set(kUnisonStereo, 1.0); // no width control folding the ensemble back to mono
    host.NoteOn(0, 57);
    std::vector<double> right;
    const std::vector<double> left = host.RenderLeft(24000, kBlock, &right);
    ASSERT_GT(Peak(left), 0.01) << mode;
    EXPECT_NE(left, right) << mode;
  }
}

TEST(Instrument, RestartingASoundingNoteMakesNoStep)
{
  HostedPlugin host(44100, kBlock);
  host.SetText(kOscRestart, "Restart phase on note");
  host.SetText(kOsc1Type, "Triangle"); // no steps of its own
  host.Set(kAmpEnvSustain, 1.0);
  host.RenderLeft(4410, kBlock);
  host.NoteOn(0, 45);
  const std::vector<double> before = host.RenderLeft(44100, kBlock);
  host.NoteOn(0, 45); // same key: the same voice restarts its oscillators
  const std::vector<double> after = host.RenderLeft(4410, kBlock);
  const double steady = LargestStep(Slice(before, 22050, 44100));
  ASSERT_GT(steady, 0.0);
  EXPECT_LT(LargestStep(after), 1.25 * steady);
}

TEST(Instrument, StateLoadFadesTheLastSampleOutOverAHundredFrames)
{
  HostedPlugin host(44100, kBlock);
  host.NoteOn(0, 60);
  host.RenderLeft(80 * kBlock, kBlock);
  const double last = host.Left()[kBlock - 1];
  ASSERT_GT(std::abs(last), 1e-4);
  host.Engine().RequestReset();
  host.Render(kBlock);
  for (int i = 0; i < kBlock; ++i)
  {
    const double expected = last * std::max(0.0, 1.0 - 0.01 * (i + 1));
    ASSERT_NEAR(host.Left()[i], expected, 1e-6) << i;
  }
  EXPECT_EQ(host.Engine().Voices().NumActiveVoices(), 0) << "every voice stopped at once";
}

TEST(Instrument, ExtremeSettingsStayFiniteAndBounded)
{
  for (std::string_view filter : {"FILTER LP1", "FILTER LP2", "FILTER BP"})
  {
    HostedPlugin host(48000, kBlock);
    host.SetText(kFilterType, filter);
    host.SetText(kFilterDriveActive, "ON");
    host.SetText(kHighPassFilterActive, "ON");
    host.SetText(kUnisonVoices, "6 Voices");
    host.SetText(kQuality, "High");
    for (int level : {kOsc1Volume, kOsc2Volume, kSubVolume, kNoiseVolume, kRingModVolume,
                      kFilterResonance, kFilterDrive, kUnisonDetune, kVolume, kDrift})
      host.Set(level, 1.0);
    host.SetText(kOsc2Type, "Sync Saw");
    host.Set(kLfo1Freq, 50);
    host.Set(kLfo2Freq, 50);
    const std::pair<int, const char*> routes[] = {
        {kOsc1FreqModSource, "LFO1"},        {kOsc1ParamModSource, "LFO2"},
        {kOsc2FreqModSource, "LFO1 + LFO2"}, {kOsc2ParamModSource, "Amp Envelope"},
        {kFilterModSource, "LFO1"},
    };
    for (const auto& [index, source] : routes)
      host.SetText(index, source);
    for (int amount : {kOsc1FreqMod, kOsc1ParamMod, kOsc2FreqMod, kOsc2ParamMod, kFilterMod})
      host.Set(amount, 1.0);
    host.SetText(kPitchBendRange, "12");
    for (int note : {24, 36, 48, 60, 72, 84, 96, 108})
      host.NoteOn(0, note, 127);
    host.Midi(100, 14, 0x7F, 0x7F);

    std::vector<double> right;
    const std::vector<double> left = host.RenderLeft(4 * 48000, kBlock, &right);
    for (const std::vector<double>* channel :
         {&left, static_cast<const std::vector<double>*>(&right)})
      for (double v : *channel)
      {
        ASSERT_TRUE(std::isfinite(v)) << filter;
        ASSERT_NE(std::fpclassify(v), FP_SUBNORMAL) << filter;
        ASSERT_LT(std::abs(v), 64.0) << filter;
      }
  }
}
