#pragma once
// Note handling of the engine: the held-key tables, voice allocation and stealing, the
// monophonic last-note rules, and the per-sample rendering of the active voices.
//
// Audio thread only.

#include "dsp/decimator.h"
#include "dsp/filters.h"
#include "engine/arpeggiator.h"
#include "engine/envelope.h"
#include "engine/lfo_set.h"
#include "engine/note_table.h"
#include "engine/voice.h"

#include <array>
#include <cstdint>

struct VX_EngineSettings;
struct VX_ParamSlot;

class VX_VoiceManager
{
public:
  static constexpr int kNumVoices = 8;

  VX_VoiceManager() = default;
  VX_VoiceManager(const VX_VoiceManager&) = delete;
  VX_VoiceManager& operator=(const VX_VoiceManager&) = delete;

  /** Slots 94 (LFO2 output) and 97 (pitch offset) are written here every sample. */
  void Init(VX_ParamSlot* slots, VX_EngineSettings* settings);
  /** One output sample of the voice sum, decimated to the host rate. */
  void RenderSample(float& left, float& right);
  /** Silences every voice and forgets every running state (a state load). */
  void Reset();

  void NoteOn(int note, int velocity);
  void NoteOff(int note);
  void AllNotesOff();
  /** The pedal went up: releases every key held only by it. */
  void ReleaseSustainedNotes();
  /** The voice for a new note in polyphonic play. */
  int ChooseVoice(int note) const;

  /** Once per sample before the voices render: the arpeggiator's clock and its notes. */
  void ArpeggiatorStep();
  void SetArpMode(int mode) { mArp.SetMode(mode); }
  void SetArpOctaves(int octaves) { mArp.SetOctaves(octaves); }
  void SetSampleRate(float rate);
  /** Swaps oscillators whose level target became 0 for the silent one, and back. */
  void RefreshOscillatorEnabling();
  /** Selecting a waveform installs the real oscillator whatever its level. */
  void MarkOscillatorEnabled(VX_Voice::EOscillator which) { mOscEnabled[which] = true; }
  void SelectLfo2(int type) { mLfo2.Select(type); }
  void SetLfo2Delay(float ms) { mLfo2Ramp.SetAttack(ms); }

  VX_Arpeggiator& Arpeggiator() { return mArp; }
  const VX_Arpeggiator& Arpeggiator() const { return mArp; }
  VX_Voice& Voice(int index) { return mVoices[index]; }
  const VX_Voice& Voice(int index) const { return mVoices[index]; }
  const NoteTable& Notes() const { return mNotes; }
  const NoteTable& ArpNotes() const { return mArpNotes; }
  int NumActiveVoices() const { return mNumActive; }

private:
  /** Voice NoteOn for a key of the note table, adding the voice to the active list. */
  void StartVoice(int note, int velocity);
  /** Enters a played or generated note and starts its voice. */
  void PlayNote(int note, int velocity);
  void ArpeggiateHeldKeys();
  void StepSequencedChord();
  /** NoteOff without the arpeggiator's part: the pedal, the note table and the voices. */
  void ReleaseKey(int note);
  void EnterArpKey(int note, int velocity);
  void ReleaseArpKey(int note);
  void AddActive(int voice);
  void RemoveInactive();
  void RenderVoices();
  void RestartLfo2();
  void AdvanceLfo2();
  void Decimate(float& left, float& right);
  /** The held key pressed most recently before stamp, or -1. */
  int PreviousHeldNote(int32_t stamp) const;

  static constexpr int kControlInterval = 4; // drift runs every 5th sample

  VX_ParamSlot* mSlots = nullptr;
  VX_EngineSettings* mSettings = nullptr;
  bool mOscEnabled[VX_Voice::kNumOscillators] = {true, true, true};
  bool mRingEnabled = true;
  alignas(16) float mMixLeft[VX_Voice::kBlock] = {};
  alignas(16) float mMixRight[VX_Voice::kBlock] = {};
  VX_Decimator mDecimators[4]; // two stages left, two right
  int mControlCounter = 0;
  VX_FilterDrive mDrive; // shared by every voice's LP2 filter
  VX_LfoSet mLfo2;
  VX_Envelope mLfo2Ramp;
  std::array<int8_t, kNumVoices> mActive{};
  int mNumActive = 0;
  std::array<VX_Voice, kNumVoices> mVoices;
  NoteTable mNotes;
  NoteTable mArpNotes;
  VX_Arpeggiator mArp{mArpNotes};
};
