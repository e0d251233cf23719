#pragma once
// Note handling of the engine: the held-key tables, voice allocation and stealing, the
// monophonic last-note rules, and the per-sample rendering of the active voices.
//
// Audio thread only.

#include "engine/arpeggiator.h"
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

  void Init(const VX_ParamSlot* slots, VX_EngineSettings* settings);

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

  VX_Arpeggiator& Arpeggiator() { return mArp; }
  const VX_Arpeggiator& Arpeggiator() const { return mArp; }
  VX_Voice& Voice(int index) { return mVoices[index]; }
  const VX_Voice& Voice(int index) const { return mVoices[index]; }
  const NoteTable& Notes() const { return mNotes; }
  const NoteTable& ArpNotes() const { return mArpNotes; }
  int NumActiveVoices() const { return mNumActive; }
  int ActiveVoice(int position) const { return mActive[position]; }

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
  /** The held key pressed most recently before stamp, or -1. */
  int PreviousHeldNote(int32_t stamp) const;

  const VX_ParamSlot* mSlots = nullptr;
  VX_EngineSettings* mSettings = nullptr;
  std::array<int8_t, kNumVoices> mActive{};
  int mNumActive = 0;
  std::array<VX_Voice, kNumVoices> mVoices;
  NoteTable mNotes;
  NoteTable mArpNotes;
  VX_Arpeggiator mArp{mArpNotes};
};
