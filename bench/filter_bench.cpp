// Cost of the voice filters per host sample (one SetParams and one four-sample block through the
// base-class pointer, as a voice calls them) and of the half-band decimator.

#include "dsp/decimator.h"
#include "dsp/filters.h"

#include "signals.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr int kBlock = VX_FilterBase::kBlockSize;
constexpr int kSignalLength = 4096; // a multiple of the block size

enum EType
{
  kLP1,
  kLP2,
  kBP
};

enum EPath
{
  kMono,
  kMonoDriven,
  kStereo,
  kStereoDriven
};

std::unique_ptr<VX_FilterBase> MakeFilter(EType type)
{
  std::unique_ptr<VX_FilterBase> f;
  if (type == kLP1)
    f = std::make_unique<VX_Filter18dBLP_Smooth>();
  else if (type == kLP2)
    f = std::make_unique<VX_Filter18dBLP_Raw>();
  else
    f = std::make_unique<VX_Filter18dBBP_Smooth>();
  f->SetSampleRate(176400.0f);
  if (type == kLP2) static_cast<VX_Filter18dBLP_Raw&>(*f).UpdateDrive(0.5f);
  return f;
}

/** Arguments: type, path, and whether the cutoff moves every sample (an envelope at work). */
void BM_FilterPerHostSample(benchmark::State& state)
{
  const auto type = static_cast<EType>(state.range(0));
  const auto path = static_cast<EPath>(state.range(1));
  const bool moving = state.range(2) != 0;
  std::unique_ptr<VX_FilterBase> owner = MakeFilter(type);
  VX_FilterBase* filter = owner.get(); // the voice's pointer to the active filter
  const std::vector<float> left = WhiteNoise(kSignalLength, 1),
                           right = WhiteNoise(kSignalLength, 2);
  float outA[kBlock], outB[kBlock];
  int i = 0;
  float cutoff = 0.6f;
  for (auto _ : state)
  {
    if (moving) cutoff = cutoff > 0.9f ? 0.3f : cutoff + 1e-5f;
    filter->SetParams(cutoff, 0.7f);
    switch (path)
    {
    case kMono:
      filter->ProcessBlock(&left[i], outA);
      break;
    case kMonoDriven:
      filter->ProcessBlockDriven(&left[i], outA);
      break;
    case kStereo:
      filter->ProcessStereoBlock(&left[i], &right[i], outA, outB);
      break;
    case kStereoDriven:
      filter->ProcessStereoBlockDriven(&left[i], &right[i], outA, outB);
      break;
    }
    benchmark::DoNotOptimize(outA);
    benchmark::DoNotOptimize(outB);
    i = (i + kBlock) % kSignalLength;
  }
  static const char* const kTypes[] = {"LP1", "LP2", "BP"};
  static const char* const kPaths[] = {"mono", "mono driven", "stereo", "stereo driven"};
  state.SetLabel(std::string(kTypes[type]) + " " + kPaths[path] + (moving ? ", moving" : ""));
}

void FilterArguments(benchmark::internal::Benchmark* b)
{
  for (int type : {kLP1, kLP2, kBP})
    for (int path : {kMono, kMonoDriven, kStereo, kStereoDriven})
      for (int moving : {0, 1})
        b->Args({type, path, moving});
}
BENCHMARK(BM_FilterPerHostSample)->Apply(FilterArguments);

/** Eight voices filtered in one pass, as the voice manager does; per host sample, all voices.
 *  Arguments: type, stereo. */
void BM_FilterEightVoices(benchmark::State& state)
{
  const auto type = static_cast<EType>(state.range(0));
  const bool stereo = state.range(1) != 0;
  constexpr int kVoices = VX_FilterBase::kMaxVoices;
  std::unique_ptr<VX_FilterBase> filters[kVoices];
  VX_FilterBase::VoiceBlock blocks[kVoices];
  float buffers[kVoices][2][kBlock] = {};
  for (int v = 0; v < kVoices; ++v)
  {
    filters[v] = MakeFilter(type);
    filters[v]->SetParams(0.4f + 0.05f * v, 0.7f);
    blocks[v] = {filters[v].get(), buffers[v][0], buffers[v][1]};
  }
  const std::vector<float> noise = WhiteNoise(kSignalLength, 5);
  int i = 0;
  for (auto _ : state)
  {
    for (int v = 0; v < kVoices; ++v)
      for (int c = 0; c < 2; ++c)
        std::copy_n(&noise[(i + 64 * v) % kSignalLength], kBlock, buffers[v][c]);
    filters[0]->ProcessVoices(blocks, kVoices, stereo, false);
    benchmark::DoNotOptimize(buffers);
    i = (i + kBlock) % (kSignalLength - 64 * kVoices);
  }
  static const char* const kTypes[] = {"LP1", "LP2", "BP"};
  state.SetLabel(std::string(kTypes[type]) + (stereo ? " stereo" : " mono") + ", 8 voices");
}
BENCHMARK(BM_FilterEightVoices)->ArgsProduct({{kLP1, kLP2, kBP}, {0, 1}});

/** One stage: two input samples in, one output sample out. */
void BM_DecimatorPerOutputSample(benchmark::State& state)
{
  VX_Decimator d;
  const std::vector<float> x = WhiteNoise(kSignalLength, 3);
  int i = 0;
  for (auto _ : state)
  {
    benchmark::DoNotOptimize(d.Process(x[i], x[i + 1]));
    i = (i + 2) % kSignalLength;
  }
}
BENCHMARK(BM_DecimatorPerOutputSample);

/** The 4x to 1x chain of one channel: three stage calls per host sample. */
void BM_DecimatorChainPerHostSample(benchmark::State& state)
{
  VX_Decimator first, second;
  const std::vector<float> x = WhiteNoise(kSignalLength, 4);
  int i = 0;
  for (auto _ : state)
  {
    const float a = first.Process(x[i], x[i + 1]);
    const float b = first.Process(x[i + 2], x[i + 3]);
    benchmark::DoNotOptimize(second.Process(a, b) * 0.25f);
    i = (i + kBlock) % kSignalLength;
  }
}
BENCHMARK(BM_DecimatorChainPerHostSample);
} // namespace
