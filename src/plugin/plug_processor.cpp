#include "plugin/plug_processor.h"

IPlugProcessor::IPlugProcessor(int numParams) : mParams(static_cast<std::size_t>(numParams)) {}

void IPlugProcessor::NotifyParamChange(int index, EParamSource /*source*/, int /*sampleOffset*/)
{
  OnParamChange(index);
}

void IPlugProcessor::SetOutputChannelConnected(int channel, bool connected)
{
  if (channel >= 0 && channel < kMaxOutputChannels)
    mOutputConnected[channel] = connected;
}

int IPlugProcessor::NOutChansConnected() const
{
  int count = 0;
  for (bool connected : mOutputConnected)
    count += connected ? 1 : 0;
  return count;
}
