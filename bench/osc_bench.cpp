// Oscillator costs per host sample: one render call of four oversampled samples, for every
// audio waveform in both band-limiting modes, on the main state and on 2, 4 and 6 lanes; and
// the unison pitch setter with a pitch that changes every call.

#include "osc_cases.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

constexpr float kRate = 192000.0f;

void RenderCost(benchmark::State& state, const osc_measure::AudioCase& c, bool table, int lanes)
{
  auto osc = c.make();
  VX_BlepOsc* voiceView = osc.get(); // the voice calls through the base
  voiceView->SetSampleRate(kRate);
  voiceView->SetPitchLanes(60 / 128.0f, lanes, 0.5f);
  voiceView->SetParam(c.param);
  for (auto _ : state)
  {
    if (lanes == 1)
      table ? voiceView->RenderBlockTable() : voiceView->RenderBlockPoly();
    else
      table ? voiceView->RenderLanesTable(lanes) : voiceView->RenderLanesPoly(lanes);
    benchmark::DoNotOptimize(voiceView->Output()[0]);
    benchmark::ClobberMemory();
  }
}

void PitchLanesCost(benchmark::State& state, int lanes)
{
  VX_BlepOscSaw saw;
  saw.SetSampleRate(kRate);
  float x = 0.4f;
  for (auto _ : state)
  {
    x = x < 0.6f ? x + 1e-5f : 0.4f; // a glide: every call recomputes
    saw.SetPitchLanes(x, lanes, 0.5f);
    benchmark::DoNotOptimize(saw.LaneIncrement(0));
  }
}

} // namespace

int main(int argc, char** argv)
{
  for (const osc_measure::AudioCase& c : osc_measure::kAudioCases)
    for (bool table : {false, true})
      for (int lanes : {1, 2, 4, 6})
      {
        std::string name = "Render/";
        name += c.name;
        name += table ? "/table" : "/poly";
        name += lanes == 1 ? std::string("/main") : "/lanes:" + std::to_string(lanes);
        benchmark::RegisterBenchmark(name.c_str(), RenderCost, c, table, lanes);
      }
  for (int lanes : {2, 4, 6})
    benchmark::RegisterBenchmark(("SetPitchLanes/changing/lanes:" + std::to_string(lanes)).c_str(),
                                 PitchLanesCost, lanes);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
