// The processing calls: how parameter queues, events, the process context, the editor's MIDI
// queue, output buses and bypass reach the instrument (on the binding's processing with a
// recording instrument), and audio through the real module in 32 and 64 bits.

#include "host/bus_layout.h"
#include "host/vst3_processing.h"
#include "plugin/byte_chunk.h"
#include "plugin/message_queue.h"
#include "plugin/parameter_set.h"
#include "plugin/plug_processor.h"
#include "plugin/vantrix.h"
#include "support/vst3_test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace vst3;

namespace
{
/** An instrument that records what the binding hands it. */
class RecordingInstrument final : public IPlugProcessor
{
public:
  static constexpr int kParams = 4;

  RecordingInstrument() : IPlugProcessor(kParams)
  {
    for (int i = 0; i < kParams; ++i)
      GetParam(i)->InitNumber("p", 0.0, 0.0, 100.0, 0.001);
  }

  void OnReset() override { ++resets; }
  void OnParamChange(int index) override { changes.push_back({index, GetParam(index)->Value()}); }
  void ProcessMidiMsg(const IMidiMsg& msg) override { midi.push_back(msg); }
  void OnMidiMsgUI(const IMidiMsg& msg) override { editorMidi.push_back(msg); }
  void ProcessBlock(double** /*inputs*/, double** outputs, int frames) override
  {
    ++blocks;
    connectedOutputs = NOutChansConnected();
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        outputs[c][i] = 0.25;
  }

  struct Change
  {
    int index;
    double value;
  };
  std::vector<Change> changes;
  std::vector<IMidiMsg> midi;
  std::vector<IMidiMsg> editorMidi;
  int resets = 0;
  int blocks = 0;
  int connectedOutputs = -1;
};

/** The binding's processing with a recording instrument and a 64-bit stereo host. */
class ProcessingTest : public testing::Test
{
protected:
  static constexpr int kBlock = 256;

  void SetUp() override
  {
    ProcessSetup setup{kRealtime, kSample64, kBlock, 48000.0};
    ASSERT_TRUE(processing.Setup(setup));
    plug.changes.clear();
  }

  void Process(int frames = kBlock, ProcessContext* context = nullptr)
  {
    double* in[2] = {input[0].data(), input[1].data()};
    double* out[2] = {output[0].data(), output[1].data()};
    AudioBusBuffers inBus{};
    inBus.numChannels = 2;
    inBus.channelBuffers64 = in;
    AudioBusBuffers outBus{};
    outBus.numChannels = 2;
    outBus.channelBuffers64 = out;
    ProcessData data{};
    data.symbolicSampleSize = kSample64;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &changes;
    data.inputEvents = &events;
    data.processContext = context;
    processing.Process(data);
    changes.Clear();
    events.Clear();
  }

  /** The message a controller parameter's value gives. */
  IMidiMsg ControllerMessage(ParamID id, double value)
  {
    plug.midi.clear();
    changes.Add(id, 0, value);
    Process();
    EXPECT_EQ(plug.midi.size(), 1u);
    return plug.midi.empty() ? IMidiMsg{} : plug.midi.front();
  }

  RecordingInstrument plug;
  BusLayout buses;
  Vst3Processing processing{plug, buses};
  vst3host::ParameterChanges changes;
  vst3host::EventList events;
  std::vector<double> input[2] = {std::vector<double>(kBlock, 0.5),
                                  std::vector<double>(kBlock, -0.5)};
  std::vector<double> output[2] = {std::vector<double>(kBlock), std::vector<double>(kBlock)};
};
} // namespace

TEST_F(ProcessingTest, AppliesOnlyTheLastPointOfEachQueue)
{
  changes.Add(1, 0, 0.1);
  changes.Add(1, 64, 0.2);
  changes.Add(1, 128, 0.7);
  changes.Add(65539, 0, 0.1);
  changes.Add(65539, 64, 0.2);
  changes.Add(65539, 128, 1.0);
  Process();
  ASSERT_EQ(plug.changes.size(), 1u);
  EXPECT_EQ(plug.changes[0].index, 1);
  EXPECT_DOUBLE_EQ(plug.changes[0].value, 70.0);
  ASSERT_EQ(plug.midi.size(), 1u);
  EXPECT_EQ(plug.midi[0].mOffset, 128);
  EXPECT_EQ(plug.midi[0].mData2, 127);
}

TEST_F(ProcessingTest, ControllerParametersBecomeMidiMessages)
{
  const struct
  {
    ParamID id;
    double value;
    uint8_t status, data1, data2;
  } cases[] = {
      {65539, 1.0, 0xB0, 1, 127},           // modulation wheel
      {65538 + 64, 0.5, 0xB0, 64, 63},      // sustain: 63.5 truncated
      {65666, 0.5, 0xD0, 63, 0},            // channel aftertouch
      {65667, 0.0, 0xE0, 0, 0},             // pitch bend 0
      {65667, 0.5, 0xE0, 0, 64},            // 8192: the centre
      {65667, 1.0, 0xE0, 0x7F, 0x7F},       // 16384 clamped to 16383
      {65538 + 130 + 1, 1.0, 0xB1, 1, 127}, // an id of the second channel, should a host send one
  };
  for (const auto& c : cases)
  {
    const IMidiMsg msg = ControllerMessage(c.id, c.value);
    EXPECT_EQ(msg.mStatus, c.status) << c.id << " " << c.value;
    EXPECT_EQ(msg.mData1, c.data1) << c.id << " " << c.value;
    EXPECT_EQ(msg.mData2, c.data2) << c.id << " " << c.value;
  }
}

TEST_F(ProcessingTest, NoteEventsBecomeMidiMessages)
{
  events.Add(vst3host::NoteOnEvent(3, 0, 60, 1.0f));
  events.Add(vst3host::NoteOnEvent(4, 1, 61, 0.5f));
  events.Add(vst3host::NoteOffEvent(5, 2, 62, 0.8f));
  events.Add(vst3host::PolyPressureEvent(6, 3, 63, 1.0f));
  events.Add(vst3host::NoteOnEvent(7, 0, 200, 1.0f)); // no such note
  Process();
  const struct
  {
    int offset;
    uint8_t status, data1, data2;
  } expected[] = {{3, 0x90, 60, 127}, {4, 0x91, 61, 63}, {5, 0x82, 62, 0}, {6, 0xA3, 63, 127}};
  ASSERT_EQ(plug.midi.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i)
  {
    EXPECT_EQ(plug.midi[i].mOffset, expected[i].offset) << i;
    EXPECT_EQ(plug.midi[i].mStatus, expected[i].status) << i;
    EXPECT_EQ(plug.midi[i].mData1, expected[i].data1) << i;
    EXPECT_EQ(plug.midi[i].mData2, expected[i].data2) << i;
  }
}

TEST_F(ProcessingTest, EveryHostVelocityComesBackAsItsMidiValue)
{
  for (int velocity = 0; velocity <= 127; ++velocity)
    events.Add(vst3host::NoteOnEvent(0, 0, 60, velocity / 127.0f));
  Process();
  ASSERT_EQ(plug.midi.size(), 128u);
  for (int velocity = 0; velocity <= 127; ++velocity)
    EXPECT_EQ(plug.midi[velocity].mData2, velocity);
}

TEST_F(ProcessingTest, MessagesReachTheInstrumentInOffsetOrder)
{
  // The engine applies its queue in order: a controller late in the block must not hold back
  // an earlier note, and a controller at a note's offset comes first.
  changes.Add(65539, 200, 1.0);
  changes.Add(65667, 10, 0.5);
  events.Add(vst3host::NoteOnEvent(10, 0, 60, 1.0f));
  events.Add(vst3host::NoteOffEvent(100, 0, 60, 0.0f));
  Process();
  const int expectedOffsets[] = {10, 10, 100, 200};
  const uint8_t expectedKinds[] = {IMidiMsg::kPitchWheel, IMidiMsg::kNoteOn, IMidiMsg::kNoteOff,
                                   IMidiMsg::kControlChange};
  ASSERT_EQ(plug.midi.size(), 4u);
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(plug.midi[i].mOffset, expectedOffsets[i]) << i;
    EXPECT_EQ(plug.midi[i].StatusKind(), expectedKinds[i]) << i;
  }
}

TEST_F(ProcessingTest, BlockWithoutContextRepeatsTheLastOne)
{
  Process();
  EXPECT_EQ(plug.GetTempo(), 0.0);
  EXPECT_EQ(plug.GetTimeInfo().mSamplePos, -1.0);

  ProcessContext context{};
  context.state = ProcessContext::kPlaying | ProcessContext::kProjectTimeMusicValid |
                  ProcessContext::kCycleActive;
  context.tempo = 133.0;
  context.projectTimeSamples = 4800;
  context.projectTimeMusic = 2.5;
  context.timeSigNumerator = 3;
  context.timeSigDenominator = 4;
  Process(kBlock, &context);
  Process();
  const ITimeInfo& info = plug.GetTimeInfo();
  EXPECT_EQ(info.mTempo, 133.0);
  EXPECT_EQ(info.mSamplePos, 4800.0);
  EXPECT_EQ(info.mPPQPos, 2.5);
  EXPECT_EQ(info.mNumerator, 3);
  EXPECT_EQ(info.mDenominator, 4);
  EXPECT_TRUE(info.mTransportIsRunning);
  EXPECT_TRUE(info.mTransportLoop);

  context.state = 0; // project time without valid musical time
  Process(kBlock, &context);
  EXPECT_EQ(plug.GetTimeInfo().mSamplePos, -1.0);
  EXPECT_FALSE(plug.GetTimeInfo().mTransportIsRunning);
}

TEST_F(ProcessingTest, EditorMidiArrivesInOrderUpToTheQueueCapacity)
{
  for (int i = 0; i < 33; ++i)
    plug.SendMidiFromEditor(IMidiMsg::Make(0, IMidiMsg::kNoteOn, 0, i, 100));
  Process();
  ASSERT_EQ(plug.midi.size(), 32u);
  for (int i = 0; i < 32; ++i)
    EXPECT_EQ(plug.midi[i].mData1, i);
  plug.midi.clear();
  Process();
  EXPECT_TRUE(plug.midi.empty()) << "the 33rd message was dropped";
}

TEST_F(ProcessingTest, HostMidiIsPassedToTheEditorSideUpToTheQueueCapacity)
{
  for (int i = 0; i < 40; ++i)
    events.Add(vst3host::NoteOnEvent(i, 0, i, 1.0f));
  changes.Add(65539, 0, 1.0);
  Process();
  EXPECT_EQ(plug.midi.size(), 41u) << "the instrument gets everything";
  plug.DrainMidiToEditor();
  ASSERT_EQ(plug.editorMidi.size(), 32u);
  EXPECT_EQ(plug.editorMidi[0].StatusKind(), IMidiMsg::kControlChange);
  for (int i = 1; i < 32; ++i)
    EXPECT_EQ(plug.editorMidi[i].mData1, i - 1);
}

TEST_F(ProcessingTest, InactiveOutputBusIsClearedAndUnconnected)
{
  buses.Activate(BusLayout::kAudio, BusLayout::kOutput, 0, false);
  std::fill(output[0].begin(), output[0].end(), 9.0);
  Process();
  EXPECT_EQ(plug.connectedOutputs, 0);
  for (double sample : output[0])
    ASSERT_EQ(sample, 0.0);

  buses.Activate(BusLayout::kAudio, BusLayout::kOutput, 0, true);
  Process();
  EXPECT_EQ(plug.connectedOutputs, 2);
  EXPECT_EQ(output[1][kBlock - 1], 0.25);
}

TEST_F(ProcessingTest, BypassCopiesInputsToOutputs)
{
  changes.Add(65536, 0, 1.0);
  Process();
  EXPECT_EQ(plug.blocks, 0);
  EXPECT_EQ(output[0][0], 0.5);
  EXPECT_EQ(output[1][kBlock - 1], -0.5);
  changes.Add(65536, 0, 0.0);
  Process();
  EXPECT_EQ(plug.blocks, 1);
}

TEST_F(ProcessingTest, SetUpAndStoppingResetTheInstrument)
{
  const int before = plug.resets;
  processing.SetProcessing(true);
  EXPECT_EQ(plug.resets, before);
  processing.SetProcessing(false);
  EXPECT_EQ(plug.resets, before + 1);

  ProcessSetup setup{kOffline, kSample32, 512, 96000.0};
  ASSERT_TRUE(processing.Setup(setup));
  EXPECT_EQ(plug.resets, before + 2);
  EXPECT_EQ(plug.GetSampleRate(), 96000.0);
  EXPECT_EQ(plug.GetBlockSize(), 512);
  EXPECT_TRUE(plug.GetRenderingOffline());

  setup.symbolicSampleSize = 2;
  EXPECT_FALSE(processing.Setup(setup));
  for (int32 size : {0, 1})
    EXPECT_TRUE(Vst3Processing::CanProcessSampleSize(size));
  EXPECT_FALSE(Vst3Processing::CanProcessSampleSize(2));
}

TEST_F(ProcessingTest, LongerBlockThanSetUpRendersSilenceBeyondTheMaximum)
{
  std::vector<double> longOutput[2] = {std::vector<double>(2 * kBlock, 9.0),
                                       std::vector<double>(2 * kBlock, 9.0)};
  output[0].swap(longOutput[0]);
  output[1].swap(longOutput[1]);
  input[0].resize(2 * kBlock);
  input[1].resize(2 * kBlock);
  Process(2 * kBlock);
  EXPECT_EQ(output[0][kBlock - 1], 0.25);
  EXPECT_EQ(output[0][kBlock], 0.0);
  EXPECT_EQ(output[1][2 * kBlock - 1], 0.0);
}

TEST(MessageQueue, HoldsItsCapacityInOrderAcrossWrapArounds)
{
  MessageQueue<int, 32> queue;
  int value = -1;
  EXPECT_FALSE(queue.Pop(value));
  for (int round = 0; round < 5; ++round) // the ring wraps around several times
  {
    for (int i = 0; i < 32; ++i)
      ASSERT_TRUE(queue.Push(round * 100 + i));
    EXPECT_FALSE(queue.Push(-2)) << "full: the newest is dropped";
    for (int i = 0; i < 32; ++i)
    {
      ASSERT_TRUE(queue.Pop(value));
      EXPECT_EQ(value, round * 100 + i);
    }
    EXPECT_FALSE(queue.Pop(value));
  }
}

// --- Through the real module ------------------------------------------------------------------

namespace
{
/** Left channel of a few blocks with a chord, rendered at the given sample size. */
std::vector<double> RenderChord(vst3::int32 sampleSize)
{
  constexpr int kFrames = 256;
  // The instrument's random generators start from the C library's sequence: the same for both.
  std::srand(1);
  Vst3TestHost host;
  EXPECT_TRUE(host.Start(44100.0, kFrames, sampleSize));
  host.SetTempo(120.0);
  std::vector<double> left;
  for (int block = 0; block < 40; ++block)
  {
    if (block == 0)
      for (int note : {48, 55, 64})
        host.Events().Add(vst3host::NoteOnEvent(block + 10, 0, note, 0.8f));
    if (block == 5) host.Changes().Add(65667, 30, 0.8); // pitch bend
    if (block == 20) host.Events().Add(vst3host::NoteOffEvent(0, 0, 55, 0.0f));
    host.Process(kFrames);
    for (int i = 0; i < kFrames; ++i)
      left.push_back(sampleSize == kSample32 ? host.Out32(0)[i] : host.Out64(0)[i]);
  }
  return left;
}
} // namespace

TEST(Vst3Processing, ThirtyTwoAndSixtyFourBitAgreeWithinFloatRounding)
{
  const std::vector<double> single = RenderChord(kSample32);
  const std::vector<double> twice = RenderChord(kSample64);
  ASSERT_EQ(single.size(), twice.size());
  double peak = 0.0;
  for (std::size_t i = 0; i < single.size(); ++i)
  {
    ASSERT_EQ(single[i], static_cast<double>(static_cast<float>(twice[i]))) << i;
    peak = std::max(peak, std::fabs(twice[i]));
  }
  EXPECT_GT(peak, 0.01) << "the chord sounds";
}

TEST(Vst3Processing, DeactivatedOutputBusStaysSilent)
{
  Vst3TestHost host;
  ASSERT_TRUE(host.Start(44100.0, 256));
  host.Component().activateBus(kAudio, kOutput, 0, false);
  double peak = 0.0;
  for (int block = 0; block < 20; ++block)
  {
    if (block == 0) host.Events().Add(vst3host::NoteOnEvent(0, 0, 60, 1.0f));
    host.Process(256);
    for (float sample : host.Out32(0))
      peak = std::max(peak, std::fabs(static_cast<double>(sample)));
  }
  EXPECT_EQ(peak, 0.0);
}

TEST(Vst3Processing, IdleTimerRunsOnTheHostsRunLoopAndDrainsHostMidi)
{
  Vst3TestHost host("vantrix tests", true);
  ASSERT_EQ(host.App().NumTimers(), 1) << "the plug-in registers its idle timer";
  ASSERT_TRUE(host.Start(44100.0, 64));
  host.Changes().Add(65539, 0, 1.0); // modulation wheel to the top
  host.Process(64);

  const auto modWheelInState = [&]
  {
    const auto scratch = std::make_unique<Vantrix>(std::string_view());
    IByteChunk chunk;
    const std::vector<uint8_t> state = host.GetState();
    chunk.PutBytes(state.data(), static_cast<int>(state.size()));
    scratch->ReadState(chunk, 0);
    return scratch->GetParam(kModWheel)->Value();
  };
  EXPECT_EQ(modWheelInState(), 0.0) << "nothing drained before a tick";
  host.App().TickTimers();
  EXPECT_EQ(modWheelInState(), 1.0) << "with no editor, the wheel's value follows the host's";
}

TEST(Vst3Processing, TerminateStopsTheIdleTimer)
{
  Vst3TestHost host("vantrix tests", true);
  ASSERT_EQ(host.App().NumTimers(), 1);
  host.Component().terminate();
  EXPECT_EQ(host.App().NumTimers(), 0);
  ASSERT_EQ(host.Component().initialize(static_cast<IHostApplication*>(&host.App())), kResultOk);
  EXPECT_EQ(host.App().NumTimers(), 1);
}
