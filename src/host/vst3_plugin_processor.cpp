// Vst3Plugin as IAudioProcessor and IProcessContextRequirements.

#include "host/vst3_plugin.h"

#include "host/plugin_identity.h"

#include <bit>
#include <vector>

using namespace vst3;

namespace
{
std::vector<int> ChannelCounts(const SpeakerArrangement* arrangements, int32 count)
{
  std::vector<int> channels;
  for (int32 i = 0; i < count && arrangements; ++i)
    channels.push_back(std::popcount(arrangements[i]));
  return channels;
}

SpeakerArrangement ArrangementOf(int channels)
{
  switch (channels)
  {
  case 1:
    return SpeakerArr::kMono;
  case 2:
    return SpeakerArr::kStereo;
  default:
    return SpeakerArr::kEmpty;
  }
}
} // namespace

tresult Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                       SpeakerArrangement* outputs, int32 numOuts)
{
  if (numIns < 0 || numOuts < 0) return kInvalidArgument;
  return GuardedCall(
      [&]
      {
        return mBuses.Arrange(ChannelCounts(inputs, numIns), ChannelCounts(outputs, numOuts))
                   ? kResultTrue
                   : kResultFalse;
      });
}

tresult Vst3Plugin::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
  if (dir != kInput && dir != kOutput) return kInvalidArgument;
  const BusLayout::Bus* bus =
      mBuses.Find(BusLayout::kAudio, dir == kInput ? BusLayout::kInput : BusLayout::kOutput, index);
  if (!bus) return kInvalidArgument;
  arr = ArrangementOf(bus->channels);
  return kResultOk;
}

tresult Vst3Plugin::canProcessSampleSize(int32 symbolicSampleSize)
{
  return Vst3Processing::CanProcessSampleSize(symbolicSampleSize) ? kResultTrue : kResultFalse;
}

uint32 Vst3Plugin::getLatencySamples()
{
  return plugin_identity::kLatencySamples;
}

tresult Vst3Plugin::setupProcessing(ProcessSetup& setup)
{
  return GuardedCall([&] { return mProcessing.Setup(setup) ? kResultOk : kResultFalse; });
}

tresult Vst3Plugin::setProcessing(TBool state)
{
  mProcessing.SetProcessing(state != 0);
  return kResultOk;
}

tresult Vst3Plugin::process(ProcessData& data)
{
  mProcessing.Process(data);
  return kResultOk;
}

uint32 Vst3Plugin::getTailSamples()
{
  return plugin_identity::kTailSamples;
}

uint32 Vst3Plugin::getProcessContextRequirements()
{
  // Everything the instrument's time information holds.
  return IProcessContextRequirements::kNeedTempo |
         IProcessContextRequirements::kNeedTransportState |
         IProcessContextRequirements::kNeedProjectTimeMusic |
         IProcessContextRequirements::kNeedBarPositionMusic |
         IProcessContextRequirements::kNeedCycleMusic |
         IProcessContextRequirements::kNeedTimeSignature;
}
