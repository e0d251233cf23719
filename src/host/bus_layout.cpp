#include "host/bus_layout.h"

#include "host/plugin_identity.h"

#include <string>

namespace
{
struct ChannelConfig
{
  std::vector<int> inputs;  // channels per input bus
  std::vector<int> outputs; // channels per output bus
};

/** Every channel configuration the instrument offers. */
const std::vector<ChannelConfig>& ChannelConfigs()
{
  static const std::vector<ChannelConfig> configs = {
      {{plugin_identity::kInputChannels}, {plugin_identity::kOutputChannels}},
  };
  return configs;
}

int TotalChannels(const std::vector<int>& buses)
{
  int total = 0;
  for (int channels : buses)
    total += channels;
  return total;
}

/** An only bus is "Input" or "Output"; exactly two inputs are "Main" and "Aux"; otherwise the
    direction and the bus index. */
std::string AudioBusName(BusLayout::EDirection direction, int index, int count)
{
  const bool input = direction == BusLayout::kInput;
  if (count == 1) return input ? "Input" : "Output";
  if (input && count == 2) return index == 0 ? "Main" : "Aux";
  return (input ? "Input " : "Output ") + std::to_string(index);
}
} // namespace

BusLayout::BusLayout()
{
  const ChannelConfig& config = ChannelConfigs().front();
  BuildAudioBuses(config.inputs, config.outputs);
}

void BusLayout::BuildAudioBuses(const std::vector<int>& inputChannels,
                                const std::vector<int>& outputChannels)
{
  const auto build = [](EDirection direction, const std::vector<int>& channels)
  {
    std::vector<Bus> buses;
    const int count = static_cast<int>(channels.size());
    for (int i = 0; i < count; ++i)
      buses.push_back(
          {AudioBusName(direction, i, count), channels[static_cast<std::size_t>(i)], true});
    return buses;
  };
  mInputs = build(kInput, inputChannels);
  mOutputs = build(kOutput, outputChannels);
}

bool BusLayout::Arrange(const std::vector<int>& inputChannels,
                        const std::vector<int>& outputChannels)
{
  const int ins = TotalChannels(inputChannels);
  const int outs = TotalChannels(outputChannels);
  for (const ChannelConfig& config : ChannelConfigs())
  {
    if (inputChannels.size() > config.inputs.size() ||
        outputChannels.size() > config.outputs.size())
      continue;
    if (ins == TotalChannels(config.inputs) && outs == TotalChannels(config.outputs))
    {
      BuildAudioBuses(config.inputs, config.outputs);
      return true;
    }
  }
  return false;
}

std::vector<BusLayout::Bus>* BusLayout::AudioBuses(EDirection direction)
{
  return direction == kInput ? &mInputs : &mOutputs;
}

const std::vector<BusLayout::Bus>* BusLayout::AudioBuses(EDirection direction) const
{
  return direction == kInput ? &mInputs : &mOutputs;
}

int BusLayout::Count(EKind kind, EDirection direction) const
{
  if (kind == kEvent) return direction == kInput ? 1 : 0;
  return static_cast<int>(AudioBuses(direction)->size());
}

const BusLayout::Bus* BusLayout::Find(EKind kind, EDirection direction, int index) const
{
  if (index < 0 || index >= Count(kind, direction)) return nullptr;
  if (kind == kEvent) return &mMidiInput;
  return &(*AudioBuses(direction))[static_cast<std::size_t>(index)];
}

bool BusLayout::Activate(EKind kind, EDirection direction, int index, bool active)
{
  Bus* bus = const_cast<Bus*>(Find(kind, direction, index));
  if (!bus) return false;
  bus->active = active;
  return true;
}

bool BusLayout::OutputActive(int index) const
{
  const Bus* bus = Find(kAudio, kOutput, index);
  return bus && bus->active;
}
