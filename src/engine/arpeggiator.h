#pragma once
// The arpeggiator and 16-step note sequencer: a step clock and the pattern logic that picks the
// next note from the held keys, or transposes the recorded sequence.
//
// Thread contract: audio thread, except the step array, which the editor reads for display and
// the state loader writes (each step is a relaxed atomic, so a step is never torn).

#include "engine/note_table.h"

#include <array>
#include <atomic>
#include <cstdint>

class VX_Arpeggiator
{
public:
  enum EMode
  {
    kOff = 0,
    kUp,
    kDown,
    kUpDown,
    kSeqPlayPoly,
    kSeqPlaySeq,
    kSeqRecord,
  };

  static constexpr int kNumStoredSteps = 512; // the stored format's size
  static constexpr int kNumSteps = 16;        // the steps that are played and recorded
  static constexpr int kEmptyStep = -1;

  explicit VX_Arpeggiator(const NoteTable& heldKeys);

  void SetSampleRate(float rate);
  void SetMode(int mode);
  /** Range as the number of octaves (1..4); restarts the pattern when it changes. */
  void SetOctaves(int octaves);
  /** The first key of a phrase went down. */
  void RestartForFirstKey() { RestartPattern(true); }
  /** Records note as the next step ("Sequencer Record"). */
  void RecordStep(int note);
  /** Phase advance per sample, from the step rate in Hz. */
  void SetRate(float hz) { mIncrement = hz / mSampleRate; }
  /** The clock: the note of a step that happens in this sample, else -1. */
  int Step();

  int PreviousNote() const { return mPreviousNote; }
  int PitchToNote() const { return mPitchToNote; }
  float Velocity() const { return mVelocity; }
  float Transposition() const { return mTransposition; }
  int StepNote(int step) const { return mSteps[step].load(std::memory_order_relaxed); }
  /** Any thread (state loading): replaces one stored step. */
  void SetStepNote(int step, int note) { mSteps[step].store(note, std::memory_order_relaxed); }

private:
  void RestartPattern(bool firstKey);
  void WrapOctave();
  int AdvanceIndex();
  int AdvanceUpDown();
  int AdvanceSequence();
  int HeldAbove(int note) const;
  int HeldBelow(int note) const;
  int LowestHeld() const { return HeldAbove(-1); }
  int HighestHeld() const { return HeldBelow(NoteTable::kNumNotes); }
  int LatestHeld() const;

  int32_t mOctave = 1;
  int32_t mPreviousNote = -1;
  int32_t mCurrentNote = -1;
  int32_t mPitchToNote = -1;
  int32_t mIndex = -1;
  float mTransposition = 0.0f;
  float mVelocity = 127.0f;
  int32_t mMode = kDown;
  int32_t mDirection = 1; // 0 going up, 1 going down
  int32_t mRange = 1;
  int32_t mSequencePosition = 0;
  const NoteTable& mHeld;
  std::array<std::atomic<int32_t>, kNumStoredSteps> mSteps;
  float mPhase = 1.0f;
  float mIncrement = 0.0f;
  float mSampleRate = 44100.0f;
};
