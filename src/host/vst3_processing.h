#pragma once
// The audio-processor side of the binding: processing set-up, and each process() call turned
// into the instrument's processing entry (transport, last-point parameter changes, MIDI from
// controller parameters and events, MIDI from the editor, audio buffers, bypass).
//
// Thread contract: Setup, SetProcessing and the capability queries on the host's thread while
// processing is stopped; Process on the audio thread, which never allocates or locks here.

#include "host/vst3/vst3_processor.h"
#include "plugin/imidi_msg.h"

#include <array>
#include <vector>

class BusLayout;
class IPlugProcessor;

class Vst3Processing
{
public:
  /** The instrument assumes this rate until the host sets up processing. */
  static constexpr double kDefaultSampleRate = 48000.0;

  Vst3Processing(IPlugProcessor& plug, const BusLayout& buses);

  /** Set-up thread: 32- and 64-bit float samples. */
  static bool CanProcessSampleSize(vst3::int32 symbolicSampleSize);
  /** Set-up thread: stores the set-up, sizes the scratch buffers, resets the instrument; false
      for a sample size other than 32 or 64 bits. */
  bool Setup(const vst3::ProcessSetup& setup);
  /** Set-up thread: stopping processing resets the instrument. */
  void SetProcessing(bool processing);
  /** Audio thread: one block. */
  void Process(vst3::ProcessData& data);

private:
  void ApplyTransport(const vst3::ProcessData& data);
  void ApplyParameterChanges(vst3::IParameterChanges* changes);
  void ApplyEvents(vst3::IEventList* events);
  void HoldControllerMessage(const IMidiMsg& msg);
  void ReleaseControllerMessages(int upToOffset);
  void ProcessAudio(vst3::ProcessData& data);
  template <class Sample>
  void ProcessAudioOf(vst3::ProcessData& data, Sample** (*channelsOf)(vst3::AudioBusBuffers&));
  void ConnectOutputs(const vst3::ProcessData& data);

  IPlugProcessor& mPlug;
  const BusLayout& mBuses;
  vst3::ProcessContext mLastContext{}; // all zero until the host sends one
  vst3::int32 mSampleSize = vst3::kSample32;
  int mMaxBlock = 0;
  bool mBypassed = false;

  // Scratch buffers of the maximum block size, per channel: 32-bit hosts' samples widened to
  // 64 bits, and the channels a host does not provide.
  static constexpr int kChannels = 2;
  std::vector<double> mScratchIn[kChannels];
  std::vector<double> mScratchOut[kChannels];
  double* mInputs[kChannels] = {};
  double* mOutputs[kChannels] = {};
  int mInputsConnected = 0;
  bool mOutputConnected[kChannels] = {};

  // Messages from controller parameters, by offset, waiting to be merged with the events: the
  // engine applies its queue in order, so the instrument must receive a block's messages in
  // the order of their offsets.
  static constexpr int kMaxHeldMessages = 256;
  std::array<IMidiMsg, kMaxHeldMessages> mHeld{};
  int mNumHeld = 0;
};
