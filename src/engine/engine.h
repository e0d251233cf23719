#pragma once
// The synthesis engine: parameter slots and their smoothing, the timed event queue, the block
// loop, and everything that makes sound.
//
// Thread contract: WriteParamValue and RequestReset may be called from any thread; every other
// member function belongs to the audio thread (or to setup while processing is stopped).

#include "dsp/audio_oscillators.h"
#include "dsp/cutoff_table.h"
#include "dsp/delay_effect.h"
#include "dsp/voice_ensemble.h"
#include "engine/engine_settings.h"
#include "engine/event_queue.h"
#include "engine/note_table.h"
#include "engine/param_slot.h"
#include "engine/tempo_sync.h"
#include "engine/voice_manager.h"

#include <array>
#include <atomic>
#include <cstdint>

class VX_Engine
{
public:
  enum ETempoSync
  {
    kSyncFx = 0,
    kSyncLfo1,
    kSyncLfo2,
    kSyncArp,
    kNumTempoSyncs
  };

  static constexpr float kSmoothingTimeMs = 150.0f;
  static constexpr float kOctave = 0.09375f;     // pitch units
  static constexpr float kSemitone = 0.0078125f; // pitch units
  static constexpr float kReferenceToneHz = 440.0f;
  static constexpr float kHighPassLowHz = 20.0f;
  static constexpr float kHighPassHighHz = 20000.0f;

  VX_Engine();

  /** Any thread: a parameter's new real value; the next block dispatches it. */
  void WriteParamValue(int index, float value);
  /** Any thread: silence all voices with a short fade at the next block (after a state load). */
  void RequestReset() { mResetRequested.store(true, std::memory_order_release); }
  bool ResetRequested() const { return mResetRequested.load(std::memory_order_acquire); }

  /** Audio thread, processing stopped. Does nothing when the rate is unchanged. */
  void SetSampleRate(float rate);
  /** Audio thread, processing stopped: the host's largest block, used to clamp MIDI offsets. */
  void SetMaxBlockSize(int frames) { mMaxBlockSize = frames; }
  /** Audio thread, before RenderBlock: follows the host tempo in the four tempo-synced settings. */
  void SetHostTempo(float bpm);
  /** Audio thread: queues one MIDI message for the coming block. */
  void QueueMidi(int offset, uint8_t status, uint8_t data1, uint8_t data2);
  /** Audio thread: renders frames sample pairs into outputs[0] and outputs[1]. */
  void RenderBlock(double* const* outputs, int frames);

  /** Audio thread: applies slot index with real value value in engine units. */
  void SetParameter(int index, float value);
  void NoteOn(int note, int velocity);
  void NoteOff(int note);
  void AllNotesOff();

  // Inspection.
  const VX_ParamSlot& Slot(int index) const { return mSlots[index]; }
  const VX_EngineSettings& Settings() const { return mSettings; }
  const NoteTable& Notes() const { return mVoices.Notes(); }
  const NoteTable& ArpNotes() const { return mVoices.ArpNotes(); }
  const VX_VoiceManager& Voices() const { return mVoices; }
  /** The arpeggiator; other threads touch only its step array (state loading, display). */
  VX_Arpeggiator& Arpeggiator() { return mVoices.Arpeggiator(); }
  const VX_Arpeggiator& Arpeggiator() const { return mVoices.Arpeggiator(); }
  float SampleRate() const { return mSampleRate; }
  float SmoothingCoefficient() const { return mSmoothingCoefficient; }
  int NumSmoothingSlots() const { return mNumSmoothing; }
  size_t NumQueuedEvents() const { return mEvents.Size(); }

private:
  // Slot writes in engine units.
  void Smoothed(int index, float target);
  void Instant(int index, float value);
  float Raw(int index) const { return mSlots[index].Raw(); }
  float Target(int index) const { return mSlots[index].target; }
  float Current(int index) const { return mSlots[index].current; }

  void ApplyEngineParameter(int index, float value);
  void RefreshMixerTargets();
  void SelectSyncedRate(int syncSwitch, ETempoSync sync, float division, int rateSlot);

  // Block loop steps.
  void DispatchChangedSlots();
  void ApplyReset();
  void AdvanceSmoothing();
  void ApplyEvent(const VX_EngineEvent& event);
  void RenderFrame(float& left, float& right);
  float OutputGain();
  void HighPass(float& left, float& right);
  /** The voice-emulation modes: returns the volume factor that goes with the mode. */
  float EmulateVoices(float& left, float& right);
  void ApplyDelay(float& left, float& right);
  void ApplyDeclickFade(double* const* outputs, int frames);
  void AddReferenceTone(double* const* outputs, int frames);
  void SnapSmoothedSlots();

  std::array<VX_ParamSlot, kNumEngineSlots> mSlots;
  int mNumSmoothing = 0;
  std::array<uint8_t, kNumEngineSlots> mSmoothingList{};
  float mSmoothingCoefficient = 0.0f;
  // Starts unset so that the constructor's SetSampleRate(44100) computes every coefficient.
  float mSampleRate = 0.0f;
  int mMaxBlockSize = 1;
  float mLastTempo = 1.0f;
  float mLastOutput[2] = {};
  float mDeclickGain = 0.0f;
  float mDeclickSource[2] = {};
  float mToneGain = 0.0f;
  std::atomic<bool> mResetRequested{false};

  VX_EngineSettings mSettings;
  VX_EventQueue mEvents;
  std::array<VX_TempoSync, kNumTempoSyncs> mTempoSyncs;
  VX_VoiceManager mVoices;
  VX_CutoffTable mHighPass[2];
  VX_VoiceEnsemble mEnsemble;
  VX_DelayEffect mDelay;
  VX_BlepOscTri mReferenceTone;
};
