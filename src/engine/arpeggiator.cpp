#include "engine/arpeggiator.h"

namespace
{
constexpr float kSemitone = 0.0078125f;

bool IsSequenceMode(int mode)
{
  return mode == VX_Arpeggiator::kSeqPlayPoly || mode == VX_Arpeggiator::kSeqPlaySeq;
}
} // namespace

VX_Arpeggiator::VX_Arpeggiator(const NoteTable& heldKeys) : mHeld(heldKeys)
{
  for (auto& step : mSteps)
    step.store(kEmptyStep, std::memory_order_relaxed);
}

void VX_Arpeggiator::SetSampleRate(float rate)
{
  mSampleRate = rate;
  RestartPattern(false);
}

void VX_Arpeggiator::RestartPattern(bool firstKey)
{
  if (IsSequenceMode(mMode)) mSequencePosition = -1;
  mVelocity = 127.0f;
  mIndex = -1;
  mPreviousNote = -1;
  if (!firstKey) mCurrentNote = -1;
  mTransposition = 0.0f;
  mPitchToNote = -1;
  mPhase = 1.0f; // the first step fires in the next sample
  if (mMode == kDown)
  {
    mOctave = mRange;
    mDirection = 1;
  }
  else
  {
    mOctave = 0;
    mDirection = 0;
  }
}

void VX_Arpeggiator::SetMode(int mode)
{
  if (mode != mMode)
  {
    mMode = mode;
    RestartPattern(false);
  }
  if (IsSequenceMode(mode))
    mSequencePosition = -1;
  else if (mode == kSeqRecord)
    mSequencePosition = 0;
}

void VX_Arpeggiator::SetOctaves(int octaves)
{
  if (octaves == mRange) return;
  mRange = octaves;
  RestartPattern(false);
}

void VX_Arpeggiator::RecordStep(int note)
{
  if (mSequencePosition < 0 || mSequencePosition >= kNumSteps) mSequencePosition = 0;
  if (mSequencePosition == 0) // a new recording
    for (auto& step : mSteps)
      step.store(kEmptyStep, std::memory_order_relaxed);
  SetStepNote(mSequencePosition, note);
  mSequencePosition = (mSequencePosition + 1) % kNumSteps;
}

int VX_Arpeggiator::HeldAbove(int note) const
{
  for (int n = note + 1; n < NoteTable::kNumNotes; ++n)
    if (mHeld.IsHeld(n)) return n;
  return -1;
}

int VX_Arpeggiator::HeldBelow(int note) const
{
  for (int n = note - 1; n >= 0; --n)
    if (mHeld.IsHeld(n)) return n;
  return -1;
}

int VX_Arpeggiator::LatestHeld() const
{
  int latest = -1;
  int32_t latestStamp = -1;
  for (int n = 0; n < NoteTable::kNumNotes; ++n)
    if (mHeld.entries[n].stamp > latestStamp)
    {
      latestStamp = mHeld.entries[n].stamp;
      latest = n;
    }
  return latest;
}

void VX_Arpeggiator::WrapOctave()
{
  mOctave += mDirection == 0 ? 1 : -1;
  if (mOctave >= mRange)
    mOctave -= mRange;
  else if (mOctave < 0)
    mOctave += mRange;
}

int VX_Arpeggiator::AdvanceUpDown()
{
  if (mDirection == 0)
  {
    if (const int above = HeldAbove(mIndex); above >= 0) return above;
    if (mRange < 2 || mOctave >= mRange - 1)
    {
      mDirection = 1;
      if (const int below = HeldBelow(mIndex); below >= 0) return below;
      WrapOctave(); // now going down
      return mIndex;
    }
    WrapOctave();
    return LowestHeld();
  }
  if (const int below = HeldBelow(mIndex); below >= 0) return below;
  if (mRange < 2 || mOctave < 1)
  {
    mDirection = 0;
    if (const int above = HeldAbove(mIndex); above >= 0) return above;
    WrapOctave(); // now going up
    return mIndex;
  }
  WrapOctave();
  return HighestHeld();
}

int VX_Arpeggiator::AdvanceSequence()
{
  ++mSequencePosition;
  if (mSequencePosition >= kNumSteps || StepNote(mSequencePosition) == kEmptyStep)
  {
    mSequencePosition = 0;
    if (StepNote(0) != kEmptyStep) WrapOctave();
  }
  const int first = StepNote(0);
  const int offset = StepNote(mSequencePosition) - first;
  int index = mIndex;
  if (const int key = LatestHeld(); key >= 0) index = offset + key;
  mTransposition = mMode == kSeqPlayPoly ? (offset + 12 * mOctave) * kSemitone : 0.0f;
  return index;
}

int VX_Arpeggiator::AdvanceIndex()
{
  switch (mMode)
  {
  case kUp:
    if (const int above = HeldAbove(mIndex); above >= 0) return above;
    WrapOctave();
    return LowestHeld();
  case kDown:
    if (const int below = HeldBelow(mIndex); below >= 0) return below;
    WrapOctave();
    return HighestHeld();
  case kUpDown:
    return AdvanceUpDown();
  case kSeqPlayPoly:
  case kSeqPlaySeq:
    return AdvanceSequence();
  default:
    return -1;
  }
}

int VX_Arpeggiator::Step()
{
  mPhase += mIncrement;
  if (mPhase < 1.0f)
  {
    mPreviousNote = -1;
    return -1;
  }
  mPreviousNote = mCurrentNote;
  mVelocity = 127.0f;
  mPhase -= 1.0f;

  mIndex = AdvanceIndex();
  const int note = mIndex + 12 * mOctave;
  // A transposed sequence can leave the MIDI range; such a step is silent rather than a note
  // that the key tables could not hold.
  if (mIndex < 0 || mIndex >= NoteTable::kNumNotes || note >= NoteTable::kNumNotes)
  {
    mCurrentNote = -1;
    return -1;
  }
  mVelocity = static_cast<float>(mHeld.entries[mIndex].velocity);
  mPitchToNote = mMode == kSeqPlayPoly ? -1 : mMode == kSeqPlaySeq ? LatestHeld() : LowestHeld();
  mCurrentNote = note;
  return note;
}
