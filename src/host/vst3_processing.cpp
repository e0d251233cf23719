#include "host/vst3_processing.h"

#include "host/bus_layout.h"
#include "host/host_values.h"
#include "host/midi_mapping.h"
#include "plugin/plug_processor.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <type_traits>

using namespace vst3;

namespace
{
float** Channels32(AudioBusBuffers& bus)
{
  return bus.channelBuffers32;
}
double** Channels64(AudioBusBuffers& bus)
{
  return bus.channelBuffers64;
}

ITimeInfo TimeInfoFrom(const ProcessContext& context)
{
  ITimeInfo info;
  info.mTempo = context.tempo;
  info.mSamplePos = (context.state & ProcessContext::kProjectTimeMusicValid)
                        ? static_cast<double>(context.projectTimeSamples)
                        : -1.0;
  info.mPPQPos = context.projectTimeMusic;
  info.mLastBar = context.barPositionMusic;
  info.mCycleStart = context.cycleStartMusic;
  info.mCycleEnd = context.cycleEndMusic;
  info.mNumerator = context.timeSigNumerator;
  info.mDenominator = context.timeSigDenominator;
  info.mTransportIsRunning = (context.state & ProcessContext::kPlaying) != 0;
  info.mTransportLoop = (context.state & ProcessContext::kCycleActive) != 0;
  return info;
}
} // namespace

Vst3Processing::Vst3Processing(IPlugProcessor& plug, const BusLayout& buses)
    : mPlug(plug), mBuses(buses)
{
  mPlug.SetSampleRate(kDefaultSampleRate);
}

bool Vst3Processing::CanProcessSampleSize(int32 symbolicSampleSize)
{
  return symbolicSampleSize == kSample32 || symbolicSampleSize == kSample64;
}

bool Vst3Processing::Setup(const ProcessSetup& setup)
{
  if (!CanProcessSampleSize(setup.symbolicSampleSize)) return false;
  mSampleSize = setup.symbolicSampleSize;
  const int maxBlock = std::max(0, setup.maxSamplesPerBlock);
  mPlug.SetSampleRate(setup.sampleRate);
  mPlug.SetBlockSize(maxBlock);
  mPlug.SetRenderingOffline(setup.processMode == kOffline);
  if (maxBlock != mMaxBlock)
  {
    // The only allocation of processing: here, while processing is stopped.
    for (int c = 0; c < kChannels; ++c)
    {
      mScratchIn[c].assign(static_cast<std::size_t>(maxBlock), 0.0);
      mScratchOut[c].assign(static_cast<std::size_t>(maxBlock), 0.0);
    }
    mMaxBlock = maxBlock;
  }
  mPlug.OnReset();
  return true;
}

void Vst3Processing::SetProcessing(bool processing)
{
  if (!processing) mPlug.OnReset();
}

void Vst3Processing::Process(ProcessData& data)
{
  ApplyTransport(data);
  ApplyParameterChanges(data.inputParameterChanges);
  ApplyEvents(data.inputEvents);
  mPlug.ProcessMidiFromEditor();
  ProcessAudio(data);
}

void Vst3Processing::ApplyTransport(const ProcessData& data)
{
  // A block without a context repeats the last one the host sent.
  if (data.processContext) mLastContext = *data.processContext;
  mPlug.SetTimeInfo(TimeInfoFrom(mLastContext));
  mPlug.SetRenderingOffline(data.processMode == kOffline);
}

void Vst3Processing::ApplyParameterChanges(IParameterChanges* changes)
{
  if (!changes) return;
  const int32 count = changes->getParameterCount();
  for (int32 i = 0; i < count; ++i)
  {
    IParamValueQueue* queue = changes->getParameterData(i);
    if (!queue) continue;
    // Automation takes effect once per block: only the last point counts.
    const int32 points = queue->getPointCount();
    int32 offset = 0;
    ParamValue value = 0.0;
    if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultOk) continue;

    const ParamID id = queue->getParameterId();
    if (id == midi_mapping::kBypassParamId)
      mBypassed = value > 0.5;
    else if (id < static_cast<ParamID>(mPlug.NParams()))
    {
      SetFromHostValue(*mPlug.GetParam(static_cast<int>(id)), value);
      mPlug.NotifyParamChange(static_cast<int>(id), EParamSource::kHost, offset);
    }
    else if (midi_mapping::IsControllerParam(id))
    {
      const IMidiMsg msg = midi_mapping::MessageFromControllerParam(id, value, offset);
      mPlug.QueueMidiForEditor(msg);
      HoldControllerMessage(msg);
    }
  }
}

void Vst3Processing::HoldControllerMessage(const IMidiMsg& msg)
{
  if (mNumHeld == kMaxHeldMessages)
  {
    // More controllers than any host sends in a block: the earliest goes ahead.
    mPlug.ProcessMidiMsg(mHeld[0]);
    std::copy(mHeld.begin() + 1, mHeld.end(), mHeld.begin());
    --mNumHeld;
  }
  // Insertion by offset; equal offsets keep the host's order.
  int i = mNumHeld++;
  for (; i > 0 && mHeld[i - 1].mOffset > msg.mOffset; --i)
    mHeld[i] = mHeld[i - 1];
  mHeld[i] = msg;
}

void Vst3Processing::ReleaseControllerMessages(int upToOffset)
{
  int released = 0;
  while (released < mNumHeld && mHeld[released].mOffset <= upToOffset)
    mPlug.ProcessMidiMsg(mHeld[released++]);
  std::copy(mHeld.begin() + released, mHeld.begin() + mNumHeld, mHeld.begin());
  mNumHeld -= released;
}

void Vst3Processing::ApplyEvents(IEventList* events)
{
  const int32 count = events ? events->getEventCount() : 0;
  for (int32 i = 0; i < count; ++i)
  {
    Event event{};
    if (events->getEvent(i, event) != kResultOk) continue;
    if (event.type == Event::kDataEvent)
    {
      if (event.data.type == DataEvent::kMidiSysEx && event.data.bytes)
        mPlug.ProcessSysEx(event.sampleOffset, event.data.bytes, static_cast<int>(event.data.size));
    }
    else if (const std::optional<IMidiMsg> msg = midi_mapping::MessageFromEvent(event))
    {
      // Controllers at the same offset come first: they set up the note.
      ReleaseControllerMessages(msg->mOffset);
      mPlug.ProcessMidiMsg(*msg);
      mPlug.QueueMidiForEditor(*msg);
    }
  }
  ReleaseControllerMessages(std::numeric_limits<int>::max());
}

void Vst3Processing::ProcessAudio(ProcessData& data)
{
  if (data.symbolicSampleSize == kSample32)
    ProcessAudioOf<float>(data, Channels32);
  else if (data.symbolicSampleSize == kSample64)
    ProcessAudioOf<double>(data, Channels64);
}

template <class Sample>
void Vst3Processing::ProcessAudioOf(ProcessData& data, Sample** (*channelsOf)(AudioBusBuffers&))
{
  constexpr bool kWiden = !std::is_same_v<Sample, double>;
  const int hostFrames = std::max(0, data.numSamples);
  // A host never sends more than the maximum block it set up; the rest would be silence.
  const int frames = std::min(hostFrames, mMaxBlock);

  // Inputs: the channels of input bus 0, as far as the instrument has them.
  Sample** in = (data.numInputs > 0 && data.inputs) ? channelsOf(data.inputs[0]) : nullptr;
  mInputsConnected = in ? std::clamp(data.inputs[0].numChannels, 0, kChannels) : 0;
  for (int c = 0; c < kChannels; ++c)
  {
    mInputs[c] = mScratchIn[c].data();
    if (c >= mInputsConnected || !in[c]) continue;
    if constexpr (kWiden)
      std::copy_n(in[c], frames, mInputs[c]);
    else
      mInputs[c] = in[c];
  }

  // Outputs: channels of active buses in order; inactive buses are cleared.
  Sample* hostOut[kChannels] = {};
  int channel = 0;
  for (int32 b = 0; b < data.numOutputs && data.outputs; ++b)
  {
    AudioBusBuffers& bus = data.outputs[b];
    Sample** out = channelsOf(bus);
    const bool active = mBuses.OutputActive(b);
    bus.silenceFlags = 0;
    for (int32 c = 0; c < bus.numChannels && out; ++c, ++channel)
    {
      if (out[c] && !active) std::fill_n(out[c], hostFrames, Sample(0));
      if (channel >= kChannels) continue;
      hostOut[channel] = out[c];
      mOutputConnected[channel] = active && out[c];
    }
  }
  for (int c = 0; c < kChannels; ++c)
  {
    if (c >= channel) mOutputConnected[c] = false;
    mPlug.SetOutputChannelConnected(c, mOutputConnected[c]);
    if constexpr (kWiden)
      mOutputs[c] = mScratchOut[c].data();
    else
      mOutputs[c] = mOutputConnected[c] ? hostOut[c] : mScratchOut[c].data();
    // Silence wherever the instrument writes nothing (it renders only to two outputs).
    std::fill_n(mOutputs[c], frames, 0.0);
  }

  if (mBypassed)
  {
    for (int c = 0; c < kChannels; ++c)
      if (c < mInputsConnected) std::copy_n(mInputs[c], frames, mOutputs[c]);
  }
  else
    mPlug.ProcessBlock(mInputs, mOutputs, frames);

  for (int c = 0; c < kChannels; ++c)
  {
    if (!mOutputConnected[c]) continue;
    if constexpr (kWiden) std::copy_n(mOutputs[c], frames, hostOut[c]);
    std::fill(hostOut[c] + frames, hostOut[c] + hostFrames, Sample(0));
  }
}
