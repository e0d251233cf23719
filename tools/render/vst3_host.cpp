#include "render/vst3_host.h"

#include "host/vst3_state.h"
#include "plugin/byte_chunk.h"
#include "plugin/vantrix.h"
#include "render/render_error.h"

#include <algorithm>
#include <cmath>

using namespace vst3;

namespace
{
constexpr int kChannels = 2;
// The host's user-interface thread ticks the plug-in's timers this often (of rendered time).
constexpr double kTimerSeconds = 0.020;
// How far around the first guess NormalisedFor looks, in representable steps.
constexpr int kNormalisedSearchSteps = 4;

// The kinds of MIDI channel messages (the status byte's high nibble).
enum EStatusKind
{
  kStatusNoteOff = 0x8,
  kStatusNoteOn = 0x9,
  kStatusPolyPressure = 0xA,
  kStatusControlChange = 0xB,
  kStatusChannelPressure = 0xD,
  kStatusPitchBend = 0xE,
};
} // namespace

Vst3Host::Vst3Host(const std::filesystem::path& bundle, int sampleRate, int blockSize)
    : mSampleRate(sampleRate), mBlockSize(blockSize), mModule(bundle)
{
  const std::optional<PClassInfo> audioClass = mModule.FindAudioModuleClass();
  if (!audioClass) throw FileError("\"" + bundle.string() + "\": no audio module class");
  try
  {
    mInstance = std::make_unique<vst3host::Vst3Instance>(mModule, audioClass->cid, mHostApp);
  }
  catch (const FileError& e)
  {
    throw FileError("\"" + bundle.string() + "\": " + e.what());
  }
  for (std::vector<float>& channel : mOutput)
    channel.resize(static_cast<std::size_t>(blockSize));
  mInput.assign(static_cast<std::size_t>(blockSize), 0.0f);
  mEvents.Reserve(256);
}

Vst3Host::~Vst3Host() = default;

ParamValue Vst3Host::NormalisedFor(ParamID id, double real) const
{
  // Hosts address parameters by normalised values; of the values around the plug-in's own
  // conversion, take one that the plug-in maps back to exactly this real value, so the
  // parameter ends up as it would if set directly.
  IEditController& controller = mInstance->Controller();
  const ParamValue guess = controller.plainParamToNormalized(id, real);
  for (const double direction : {1.0, -1.0})
  {
    ParamValue candidate = guess;
    for (int step = 0; step <= kNormalisedSearchSteps; ++step)
    {
      if (controller.normalizedParamToPlain(id, candidate) == real) return candidate;
      candidate = std::nextafter(candidate, direction);
    }
  }
  return guess;
}

void Vst3Host::LoadSound(const Vantrix& sound, bool fromState)
{
  IEditController& controller = mInstance->Controller();
  if (fromState)
  {
    IByteChunk chunk;
    sound.WriteState(chunk);
    AppendBypassFlag(chunk);
    vst3host::MemoryStream stream(
        std::vector<std::uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size()));
    if (mInstance->Component().setState(&stream) != kResultOk)
      throw FileError("the plug-in did not accept the sound's state");
    return;
  }
  const int32 count = controller.getParameterCount();
  for (int32 i = 0; i < count; ++i)
  {
    ParameterInfo info{};
    if (controller.getParameterInfo(i, info) != kResultOk) continue;
    if (info.id >= static_cast<ParamID>(sound.NParams())) continue;
    const double real = sound.GetParam(static_cast<int>(info.id))->Value();
    if (controller.normalizedParamToPlain(info.id, controller.getParamNormalized(info.id)) == real)
      continue;
    // As hosts do: the controller shows the value, the processor gets it with the first block.
    const ParamValue normalised = NormalisedFor(info.id, real);
    controller.setParamNormalized(info.id, normalised);
    mFirstBlockChanges.push_back({info.id, normalised});
  }
}

void Vst3Host::SaveSound(Vantrix& scratch)
{
  vst3host::MemoryStream stream;
  if (mInstance->Component().getState(&stream) != kResultOk)
    throw FileError("the plug-in did not give its state");
  IByteChunk chunk;
  chunk.PutBytes(stream.Bytes().data(), static_cast<int>(stream.Bytes().size()));
  // The instrument's chunk comes first; what the binding appends after it is not needed.
  if (scratch.ReadState(chunk, 0) < 0)
    throw FileError("the plug-in's state is not a state of this instrument");
  scratch.AfterStateRestore();
}

void Vst3Host::AddController(int channel, int controller, ParamValue value, int offset)
{
  IMidiMapping* mapping = nullptr;
  mInstance->Controller().queryInterface(IMidiMapping::iid.bytes,
                                         reinterpret_cast<void**>(&mapping));
  if (!mapping) return;
  // The score is one performance: controllers on a channel the plug-in does not map go to its
  // first channel's assignment.
  ParamID id = 0;
  const auto number = static_cast<CtrlNumber>(controller);
  const bool assigned = mapping->getMidiControllerAssignment(0, static_cast<int16>(channel), number,
                                                             id) == kResultTrue ||
                        mapping->getMidiControllerAssignment(0, 0, number, id) == kResultTrue;
  mapping->release();
  if (assigned) mChanges.Add(id, offset, value);
}

void Vst3Host::AddScoreEvent(const ScoreEvent& event, int offset)
{
  const int channel = event.status & 0x0F;
  switch (event.status >> 4)
  {
  case kStatusNoteOn:
    if (event.data2 > 0)
      mEvents.Add(vst3host::NoteOnEvent(offset, channel, event.data1, event.data2 / 127.0f));
    else
      mEvents.Add(vst3host::NoteOffEvent(offset, channel, event.data1, 0.0f));
    break;
  case kStatusNoteOff:
    mEvents.Add(vst3host::NoteOffEvent(offset, channel, event.data1, event.data2 / 127.0f));
    break;
  case kStatusPolyPressure:
    mEvents.Add(vst3host::PolyPressureEvent(offset, channel, event.data1, event.data2 / 127.0f));
    break;
  case kStatusControlChange:
    AddController(channel, event.data1, event.data2 / 127.0, offset);
    break;
  case kStatusChannelPressure:
    AddController(channel, kAfterTouch, event.data1 / 127.0, offset);
    break;
  case kStatusPitchBend:
    // 14 bits over 16384 steps: the plug-in's conversion gives the same 14 bits back.
    AddController(channel, vst3::kPitchBend, ((event.data2 << 7) | event.data1) / 16384.0, offset);
    break;
  default:
    break; // program changes and anything else: nothing the instrument uses
  }
}

void Vst3Host::ProcessBlock(long long start, int frames, double tempo)
{
  ProcessContext context{};
  context.state =
      ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kContTimeValid;
  context.sampleRate = mSampleRate;
  context.projectTimeSamples = start;
  context.continousTimeSamples = start;
  context.tempo = tempo;

  float* inputs[kChannels] = {mInput.data(), mInput.data()};
  float* outputs[kChannels] = {mOutput[0].data(), mOutput[1].data()};
  AudioBusBuffers inputBus{};
  inputBus.numChannels = kChannels;
  inputBus.channelBuffers32 = inputs;
  AudioBusBuffers outputBus{};
  outputBus.numChannels = kChannels;
  outputBus.channelBuffers32 = outputs;

  ProcessData data{};
  data.processMode = kOffline;
  data.symbolicSampleSize = kSample32;
  data.numSamples = frames;
  data.numInputs = 1;
  data.numOutputs = 1;
  data.inputs = &inputBus;
  data.outputs = &outputBus;
  data.inputParameterChanges = &mChanges;
  data.inputEvents = &mEvents;
  data.processContext = &context;
  mInstance->Processor().process(data);
}

void Vst3Host::Render(const Score& score, long long frames, const BlockSink& sink)
{
  vst3host::Vst3Instance::Setup setup;
  setup.sampleRate = mSampleRate;
  setup.maxBlock = mBlockSize;
  if (!mInstance->StartProcessing(setup)) throw FileError("the plug-in refused to process");

  const std::vector<ScoreEvent>& events = score.Events();
  const std::vector<ScoreParamChange>& changes = score.ParamChanges();
  // Event times to frames exactly as OfflineHost places them.
  const auto frameOf = [this](const auto& e) { return std::llround(e.seconds * mSampleRate); };
  std::size_t nextChange = 0;
  const auto timerFrames = std::llround(kTimerSeconds * mSampleRate);
  long long nextTimer = timerFrames;
  std::size_t next = 0;
  std::vector<float> interleaved(static_cast<std::size_t>(kChannels * mBlockSize));

  for (long long start = 0; start < frames; start += mBlockSize)
  {
    const int count = static_cast<int>(std::min<long long>(mBlockSize, frames - start));
    mChanges.Clear();
    mEvents.Clear();
    if (start == 0)
      for (const PendingChange& change : mFirstBlockChanges)
        mChanges.Add(change.id, 0, change.value);
    for (; nextChange < changes.size() && frameOf(changes[nextChange]) < start + count;
         ++nextChange)
    {
      const ScoreParamChange& change = changes[nextChange];
      const auto id = static_cast<ParamID>(change.index);
      mChanges.Add(id, static_cast<int>(frameOf(change) - start), NormalisedFor(id, change.value));
    }
    for (; next < events.size() && frameOf(events[next]) < start + count; ++next)
      AddScoreEvent(events[next], static_cast<int>(frameOf(events[next]) - start));

    ProcessBlock(start, count, score.TempoAt(static_cast<double>(start) / mSampleRate));
    for (int i = 0; i < count; ++i)
    {
      interleaved[static_cast<std::size_t>(2 * i)] = mOutput[0][static_cast<std::size_t>(i)];
      interleaved[static_cast<std::size_t>(2 * i + 1)] = mOutput[1][static_cast<std::size_t>(i)];
    }
    sink(interleaved.data(), count);

    for (; nextTimer <= start + count; nextTimer += timerFrames)
      mHostApp.TickTimers();
  }
  mFirstBlockChanges.clear();
  mInstance->StopProcessing();
}
