#pragma once
// The audio processor interface with process set-up, process data, audio bus buffers and the
// process context, plus the process-context requirements, as published.

#include "host/vst3/vst3_component.h"
#include "host/vst3/vst3_events.h"

namespace vst3
{
using SpeakerArrangement = uint64;
using Sample32 = float;
using Sample64 = double;
using SampleRate = double;
using TSamples = int64;

namespace SpeakerArr
{
inline constexpr SpeakerArrangement kSpeakerL = 1 << 0;
inline constexpr SpeakerArrangement kSpeakerR = 1 << 1;
inline constexpr SpeakerArrangement kSpeakerM = 1 << 19;
inline constexpr SpeakerArrangement kEmpty = 0;
inline constexpr SpeakerArrangement kMono = kSpeakerM;
inline constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;
} // namespace SpeakerArr

enum SymbolicSampleSizes : int32
{
  kSample32 = 0,
  kSample64 = 1,
};

enum ProcessModes : int32
{
  kRealtime = 0,
  kPrefetch = 1,
  kOffline = 2,
};

VST3_ABI_PACK_BEGIN

struct ProcessSetup
{
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  SampleRate sampleRate;
};

struct AudioBusBuffers
{
  int32 numChannels;
  uint64 silenceFlags;
  union
  {
    Sample32** channelBuffers32;
    Sample64** channelBuffers64;
  };
};

struct Chord
{
  uint8 keyNote;
  uint8 rootNote;
  int16 chordMask;
};

struct FrameRate
{
  uint32 framesPerSecond;
  uint32 flags;
};

struct ProcessContext
{
  enum StatesAndFlags : uint32
  {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
    kSmpteValid = 1 << 14,
    kClockValid = 1 << 15,
    kContTimeValid = 1 << 17,
    kChordValid = 1 << 18,
  };

  uint32 state;
  double sampleRate;
  TSamples projectTimeSamples;
  int64 systemTime;
  TSamples continousTimeSamples;
  TQuarterNotes projectTimeMusic;
  TQuarterNotes barPositionMusic;
  TQuarterNotes cycleStartMusic;
  TQuarterNotes cycleEndMusic;
  double tempo;
  int32 timeSigNumerator;
  int32 timeSigDenominator;
  Chord chord;
  int32 smpteOffsetSubframes;
  FrameRate frameRate;
  int32 samplesToNextClock;
};

class IParameterChanges;
class IEventList;

struct ProcessData
{
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

VST3_ABI_PACK_END

static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16);
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, silenceFlags) == 8 &&
              offsetof(AudioBusBuffers, channelBuffers32) == 16);
static_assert(sizeof(Chord) == 4 && sizeof(FrameRate) == 8);
static_assert(sizeof(ProcessContext) == 112 && offsetof(ProcessContext, sampleRate) == 8 &&
              offsetof(ProcessContext, projectTimeSamples) == 16 &&
              offsetof(ProcessContext, projectTimeMusic) == 40 &&
              offsetof(ProcessContext, tempo) == 72 &&
              offsetof(ProcessContext, timeSigNumerator) == 80 &&
              offsetof(ProcessContext, chord) == 88 && offsetof(ProcessContext, frameRate) == 96 &&
              offsetof(ProcessContext, samplesToNextClock) == 104);
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24 &&
              offsetof(ProcessData, inputParameterChanges) == 40 &&
              offsetof(ProcessData, inputEvents) == 56 &&
              offsetof(ProcessData, processContext) == 72);

class IAudioProcessor : public FUnknown
{
public:
  virtual tresult VST3_CALL setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                               SpeakerArrangement* outputs, int32 numOuts) = 0;
  virtual tresult VST3_CALL getBusArrangement(BusDirection dir, int32 index,
                                              SpeakerArrangement& arr) = 0;
  virtual tresult VST3_CALL canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 VST3_CALL getLatencySamples() = 0;
  virtual tresult VST3_CALL setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult VST3_CALL setProcessing(TBool state) = 0;
  virtual tresult VST3_CALL process(ProcessData& data) = 0;
  virtual uint32 VST3_CALL getTailSamples() = 0;

  static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
};

class IProcessContextRequirements : public FUnknown
{
public:
  enum Flags : uint32
  {
    kNeedSystemTime = 1 << 0,
    kNeedContinousTime = 1 << 1,
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedSamplesToNextClock = 1 << 5,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedChord = 1 << 8,
    kNeedFrameRate = 1 << 9,
    kNeedTransportState = 1 << 10,
  };

  virtual uint32 VST3_CALL getProcessContextRequirements() = 0;

  static constexpr Uid iid = MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
};

} // namespace vst3
