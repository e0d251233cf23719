#pragma once
// The processing side of the plug-in framework: owns the parameters and the host's processing
// context (sample rate, block size, transport, connected channels) and declares the overrides
// through which a host binding drives an instrument.

#include "plugin/imidi_msg.h"
#include "plugin/iparam.h"
#include "plugin/message_queue.h"
#include "plugin/time_info.h"

#include <cstdint>
#include <string>
#include <utility>
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
  /** UI thread: the host-visible parameter object takes normalised; the host is not told. */
  virtual void UpdateHostParam(int index, double normalised) = 0;
};

/** The host's track (channel) that holds the plug-in, as far as the host tells. */
struct ITrackInfo
{
  std::string mName;    // UTF-8
  uint32_t mColour = 0; // ARGB
  int64_t mIndex = 0;   // 1 for the first
};

class IPlugProcessor
{
public:
  static constexpr int kMaxOutputChannels = 2;
  /** Messages each MIDI queue between editor and processor holds. */
  static constexpr std::size_t kMidiQueueCapacity = 32;
  /** Host id before the binding has asked the host for its name. */
  static constexpr int kHostUnidentified = -1;

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
  /** Audio thread: a system-exclusive message of size bytes at frame offset of the coming block;
      the bytes live only during the call. */
  virtual void ProcessSysEx(int /*offset*/, const uint8_t* /*data*/, int /*size*/) {}
  /** Audio thread: renders frames samples into outputs (64-bit, one array per channel). */
  virtual void ProcessBlock(double** inputs, double** outputs, int frames) = 0;
  /** UI thread: a MIDI message that the processor passed on to the editor side. */
  virtual void OnMidiMsgUI(const IMidiMsg& /*msg*/) {}
  /** UI thread: the editor's reaction to a parameter's new value. */
  virtual void OnEditorParamChange(int /*index*/, EParamSource /*source*/) {}
  /** UI thread, every idle tick: the editor's periodic duties; nothing while no editor is open. */
  virtual void IdleTick() {}

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

  // Edits from the editor's controls, one gesture at a time.
  /** UI thread: a gesture on parameter index starts (VST3 beginEdit). */
  void BeginEditFromEditor(int index);
  /** UI thread: the gesture's new value; host-visible value, parameter, host and engine follow. */
  void SendParameterFromEditor(int index, double normalised);
  /** UI thread: the gesture ends (VST3 endEdit). */
  void EndEditFromEditor(int index);

  // MIDI between editor and processor: two single-producer single-consumer queues of 32.
  /** UI thread: queues msg (on-screen keyboard, wheels) for the next block; dropped when full. */
  void SendMidiFromEditor(const IMidiMsg& msg);
  /** UI thread: msg came from the processor: editor controls that take MIDI, then OnMidiMsgUI. */
  void SendMidiToEditor(const IMidiMsg& msg);
  /** Audio thread: passes a processed msg on to the editor side; dropped when the queue is full. */
  void QueueMidiForEditor(const IMidiMsg& msg) { mMidiToEditor.Push(msg); }
  /** Audio thread: gives every message waiting from the editor to ProcessMidiMsg, in order. */
  void ProcessMidiFromEditor();
  /** UI thread (or, while no editor exists, the binding's own timer thread): takes every message
      the processor passed on and calls SendMidiToEditor for each, in order. */
  void DrainMidiToEditor();
  /** UI thread, every 20 ms: the idle timer's tick. */
  void OnIdleTimer();

  // Parameters; the records live as long as the processor.
  int NParams() const { return static_cast<int>(mParams.size()); }
  IParam* GetParam(int index) { return &mParams[index]; }
  const IParam* GetParam(int index) const { return &mParams[index]; }

  // Processing context, set by the host binding on the audio thread (or while processing is
  // stopped) and read by the instrument.
  void SetSampleRate(double rate) { mSampleRate = rate; }
  void SetBlockSize(int frames) { mBlockSize = frames; }
  void SetTimeInfo(const ITimeInfo& info) { mTimeInfo = info; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  void SetOutputChannelConnected(int channel, bool connected);
  double GetSampleRate() const { return mSampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  double GetTempo() const { return mTimeInfo.mTempo; }
  const ITimeInfo& GetTimeInfo() const { return mTimeInfo; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  int NOutChansConnected() const;

  /** UI thread, host binding: which host runs the plug-in (identified by its name). */
  void SetHost(int hostId) { mHost = hostId; }
  /** Any thread: the host id, kHostUnidentified until the binding has asked the host. */
  int GetHost() const { return mHost; }
  /** UI thread, host binding: the track the host put the plug-in on. */
  void SetTrackInfo(ITrackInfo info) { mTrackInfo = std::move(info); }
  /** UI thread: the track, as far as the host told (the instrument does not use it). */
  const ITrackInfo& GetTrackInfo() const { return mTrackInfo; }

protected:
  IPlugHostReporter* HostReporter() const { return mHostReporter; }

private:
  std::vector<IParam> mParams;
  IPlugHostReporter* mHostReporter = nullptr;
  double mSampleRate = 48000.0;
  int mBlockSize = 1;
  ITimeInfo mTimeInfo;
  bool mRenderingOffline = false;
  bool mOutputConnected[kMaxOutputChannels] = {};
  int mHost = kHostUnidentified;
  ITrackInfo mTrackInfo;
  MessageQueue<IMidiMsg, kMidiQueueCapacity> mMidiFromEditor; // editor -> audio thread
  MessageQueue<IMidiMsg, kMidiQueueCapacity> mMidiToEditor;   // audio thread -> editor
};
