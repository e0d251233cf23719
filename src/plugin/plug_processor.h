#pragma once
// The processing side of the plug-in framework: owns the parameters and the host's processing
// context (sample rate, block size, transport, connected channels) and declares the overrides
// through which a host binding drives an instrument.

#include "plugin/imidi_msg.h"
#include "plugin/iparam.h"
#include "plugin/time_info.h"

#include <vector>

/** Who changed a parameter; passed with every parameter notification. */
enum class EParamSource
{
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kUI = 3,
  kEditorPush = 4,
};

class IPlugProcessor
{
public:
  static constexpr int kMaxOutputChannels = 2;

  explicit IPlugProcessor(int numParams);
  virtual ~IPlugProcessor() = default;
  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // Overrides, called by the host binding.
  /** Audio thread, processing stopped: the sample rate or maximum block size may have changed. */
  virtual void OnReset() {}
  /** Any thread: parameter index holds a new value. */
  virtual void OnParamChange(int /*index*/) {}
  /** Audio thread: one incoming message of the coming block. */
  virtual void ProcessMidiMsg(const IMidiMsg& /*msg*/) {}
  /** Audio thread: renders frames samples into outputs (64-bit, one array per channel). */
  virtual void ProcessBlock(double** inputs, double** outputs, int frames) = 0;
  /** UI thread: a MIDI message that the processor passed on to the editor side. */
  virtual void OnMidiMsgUI(const IMidiMsg& /*msg*/) {}

  /** Any thread: a parameter changed; ends in OnParamChange. */
  void NotifyParamChange(int index, EParamSource source, int sampleOffset = 0);

  // Parameters; the records live as long as the processor.
  int NParams() const { return static_cast<int>(mParams.size()); }
  IParam* GetParam(int index) { return &mParams[index]; }
  const IParam* GetParam(int index) const { return &mParams[index]; }

  // Processing context, set by the host binding on the audio thread (or while processing is
  // stopped) and read by the instrument.
  void SetSampleRate(double rate) { mSampleRate = rate; }
  void SetBlockSize(int frames) { mBlockSize = frames; }
  void SetTimeInfo(const ITimeInfo& info) { mTimeInfo = info; }
  void SetOutputChannelConnected(int channel, bool connected);
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  double GetTempo() const { return mTimeInfo.mTempo; }
  const ITimeInfo& GetTimeInfo() const { return mTimeInfo; }
  int NOutChansConnected() const;

private:
  std::vector<IParam> mParams;
  double mSampleRate = 48000.0;
  int mBlockSize = 1;
  ITimeInfo mTimeInfo;
  bool mOutputConnected[kMaxOutputChannels] = {};
};
