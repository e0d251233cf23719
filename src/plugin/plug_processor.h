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

/** What a plug-in tells its host about parameters; implemented by the host binding. */
class IPlugHostReporter
{
public:
  virtual ~IPlugHostReporter() = default;
  /** UI thread: a user gesture on a parameter starts (VST3 beginEdit). */
  virtual void BeginEdit(int index) = 0;
  /** UI thread: the host learns a parameter's new normalised value (VST3 performEdit). */
  virtual void PerformEdit(int index, double normalised) = 0;
  /** UI thread: the gesture ends (VST3 endEdit). */
  virtual void EndEdit(int index) = 0;
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
  /** UI thread: the editor's reaction to a parameter's new value. */
  virtual void OnEditorParamChange(int /*index*/, EParamSource /*source*/) {}

  // Parameter notifications.
  /** Any thread: a parameter changed; ends in OnParamChange. */
  void NotifyParamChange(int index, EParamSource source, int sampleOffset = 0);
  /** UI thread: the editor reacts to a parameter's new value (relabelling, dependent controls). */
  void NotifyEditorParamChange(int index, EParamSource source);
  /** UI thread: editor controls bound to index show value; then the editor is notified. */
  void SendValueToEditor(int index, double value, bool isNormalised);
  /** UI thread: tells the host a parameter's new normalised value, outside any gesture. */
  void ReportEditToHost(int index, double normalised);
  /** UI thread: sets a parameter from a normalised value, tells the host and the engine. */
  void SetParameterAndInformHost(int index, double normalised);
  /** UI thread, host binding: where host reports go (nullptr: nowhere). */
  void SetHostReporter(IPlugHostReporter* reporter) { mHostReporter = reporter; }

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

protected:
  IPlugHostReporter* HostReporter() const { return mHostReporter; }

private:
  std::vector<IParam> mParams;
  IPlugHostReporter* mHostReporter = nullptr;
  double mSampleRate = 48000.0;
  int mBlockSize = 1;
  ITimeInfo mTimeInfo;
  bool mOutputConnected[kMaxOutputChannels] = {};
};
