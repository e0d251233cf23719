// Cost of the delay effect per host sample for each delay type (at full modulation and a moving
// delay time, as a host sample of the engine's output chain calls it), and of the
// voice-emulation ensemble's four- and eight-tap paths. One iteration is one stereo sample.

#include "dsp/delay_effect.h"
#include "dsp/voice_ensemble.h"

#include "signals.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{
constexpr int kSignalLength = 4096;
constexpr float kRate = 48000.0f;

void BM_DelayEffectPerHostSample(benchmark::State& state)
{
  static const char* const kNames[] = {"DELAY",      "PING PONG",     "DIFF DELAY",
                                       "TAPE DELAY", "PHASE DELAY 1", "PHASE DELAY 2"};
  const int type = static_cast<int>(state.range(0));
  VX_DelayEffect fx;
  fx.SetSampleRate(kRate);
  fx.SetTone(0.5f);
  VX_DelayControls c;
  c.type = type;
  c.feedback = 0.8f;
  c.depth = 1.0f;
  c.rate = 0.5f;
  c.mix = 0.5f;
  c.dryGain = 0.70710677f;
  c.wetGain = 0.70710677f;
  const std::vector<float> left = WhiteNoise(kSignalLength, 1),
                           right = WhiteNoise(kSignalLength, 2);
  int i = 0;
  for (auto _ : state)
  {
    c.timeMs = i < kSignalLength / 2 ? 300.0f : 450.0f; // keeps the glide moving
    float l = left[i];
    float r = right[i];
    fx.Process(l, r, c);
    benchmark::DoNotOptimize(l);
    benchmark::DoNotOptimize(r);
    i = (i + 1) % kSignalLength;
  }
  state.SetLabel(kNames[type]);
}
BENCHMARK(BM_DelayEffectPerHostSample)->DenseRange(0, VX_DelayEffect::kNumTypes - 1);

/** Argument: 0 for ProcessFour, 1 for ProcessEight; SetRate every sample, as the engine calls. */
void BM_VoiceEnsemblePerHostSample(benchmark::State& state)
{
  const bool eight = state.range(0) != 0;
  VX_VoiceEnsemble ensemble;
  ensemble.SetSampleRate(kRate);
  const std::vector<float> left = WhiteNoise(kSignalLength, 3),
                           right = WhiteNoise(kSignalLength, 4);
  int i = 0;
  for (auto _ : state)
  {
    ensemble.SetRate(0.85f);
    if (eight)
      ensemble.ProcessEight(left[i], right[i]);
    else
      ensemble.ProcessFour(left[i], right[i]);
    benchmark::DoNotOptimize(ensemble.LeftOutput());
    benchmark::DoNotOptimize(ensemble.RightOutput());
    i = (i + 1) % kSignalLength;
  }
  state.SetLabel(eight ? "ProcessEight" : "ProcessFour");
}
BENCHMARK(BM_VoiceEnsemblePerHostSample)->Arg(0)->Arg(1);
} // namespace
