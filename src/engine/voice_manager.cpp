#include "engine/voice_manager.h"

#include "engine/engine_settings.h"
#include "engine/param_ids.h"
#include "engine/param_slot.h"

#include <cstdlib>

void VX_VoiceManager::Init(VX_ParamSlot* slots, VX_EngineSettings* settings)
{
  mSlots = slots;
  mSettings = settings;
  for (VX_Voice& voice : mVoices)
    voice.Init(slots, settings, mDrive);
}

void VX_VoiceManager::SetSampleRate(float rate)
{
  for (VX_Voice& voice : mVoices)
    voice.SetSampleRate(rate);
  mLfo2.SetSampleRate(rate);
  mArp.SetSampleRate(rate);
  mLfo2Ramp.SetSampleRate(rate);
  mLfo2Ramp.RestartRamp();
}

void VX_VoiceManager::Reset()
{
  mLfo2Ramp.StopRamp();
  mLfo2.RestartAll();
  AllNotesOff();
  for (VX_Decimator& decimator : mDecimators)
    decimator.Clear();
  for (VX_Voice& voice : mVoices)
    voice.Reset();
  mNumActive = 0;
}

void VX_VoiceManager::RefreshOscillatorEnabling()
{
  const auto positive = [this](int index) { return mSlots[index].target > 0.0f; };
  // The ring product needs both oscillators, whatever their own levels.
  mRingEnabled = positive(kRingModVolume);
  const bool wanted[VX_Voice::kNumOscillators] = {positive(kOsc1Volume) || mRingEnabled,
                                                  positive(kOsc2Volume) || mRingEnabled,
                                                  positive(kSubVolume)};
  for (int k = 0; k < VX_Voice::kNumOscillators; ++k)
  {
    if (wanted[k] == mOscEnabled[k]) continue;
    mOscEnabled[k] = wanted[k];
    for (VX_Voice& voice : mVoices)
      voice.SetOscillatorEnabled(static_cast<VX_Voice::EOscillator>(k), wanted[k]);
  }
}

void VX_VoiceManager::AddActive(int voice)
{
  for (int k = 0; k < mNumActive; ++k)
    if (mActive[k] == voice) return;
  mActive[mNumActive++] = static_cast<int8_t>(voice);
}

int VX_VoiceManager::ChooseVoice(int note) const
{
  const int candidates = mSettings->polyphony;
  if (mSlots[kVoiceAssign].Raw() == 0.0f) // "Reuse voice for same notes"
    for (int v = 0; v < candidates; ++v)
      if (mVoices[v].Note() == note) return v;

  for (int v = 0; v < candidates; ++v)
    if (!mVoices[v].IsActive()) return v;

  // Every candidate sounds: take the quietest one that is already released...
  int chosen = -1;
  float quietest = 99.0f;
  for (int v = 0; v < candidates; ++v)
    if (!mVoices[v].Gate() && mVoices[v].LastAmplitude() < quietest)
    {
      quietest = mVoices[v].LastAmplitude();
      chosen = v;
    }
  if (chosen >= 0) return chosen;

  // ...else, with every key held, the one playing the nearest note.
  int nearest = 999;
  for (int v = 0; v < candidates; ++v)
  {
    const int distance = std::abs(mVoices[v].Note() - note);
    if (distance < nearest)
    {
      nearest = distance;
      chosen = v;
    }
  }
  return chosen;
}

void VX_VoiceManager::StartVoice(int note, int velocity)
{
  const int v = mSettings->polyphony == 1 ? 0 : ChooseVoice(note);
  mVoices[v].NoteOn(note, velocity, mArp.PitchToNote());
  AddActive(v);
}

void VX_VoiceManager::RestartLfo2()
{
  mLfo2Ramp.RestartRamp();
  mLfo2.Selected().Restart();
}

void VX_VoiceManager::PlayNote(int note, int velocity)
{
  mNotes.Press(note, velocity);
  // LFO2's delay fades in from the first key of a phrase, or from every key with its restart.
  if (mSettings->lfo2Restart)
    RestartLfo2();
  else if (mNotes.heldCount == 1)
    mLfo2Ramp.RestartRamp();
  StartVoice(note, velocity);
}

void VX_VoiceManager::EnterArpKey(int note, int velocity)
{
  mArpNotes.Press(note, velocity);
  if (mArpNotes.heldCount == 1) mArp.RestartForFirstKey();
}

void VX_VoiceManager::ReleaseArpKey(int note)
{
  if (mSettings->sustainDown)
    mArpNotes.entries[note].sustained = 1;
  else
    mArpNotes.Clear(note);
}

void VX_VoiceManager::NoteOn(int note, int velocity)
{
  const int mode = mSettings->arpMode;
  if (mSettings->arpOn)
  {
    if (mode != VX_Arpeggiator::kSeqRecord) EnterArpKey(note, velocity);
    if (mode != VX_Arpeggiator::kSeqPlayPoly && mode != VX_Arpeggiator::kSeqRecord)
      return; // the arpeggiator plays it
  }
  if (mode == VX_Arpeggiator::kSeqRecord) mArp.RecordStep(note);
  PlayNote(note, velocity);
}

void VX_VoiceManager::NoteOff(int note)
{
  if (mSettings->arpOn)
  {
    const int mode = mSettings->arpMode;
    if (mode != VX_Arpeggiator::kSeqRecord) ReleaseArpKey(note);
    if (mode != VX_Arpeggiator::kSeqPlayPoly && mode != VX_Arpeggiator::kSeqRecord) return;
  }
  ReleaseKey(note);
}

int VX_VoiceManager::PreviousHeldNote(int32_t stamp) const
{
  int best = -1;
  int32_t bestStamp = -1;
  for (int n = 0; n < NoteTable::kNumNotes; ++n)
  {
    const int32_t s = mNotes.entries[n].stamp;
    if (s >= 0 && s < stamp && s > bestStamp)
    {
      bestStamp = s;
      best = n;
    }
  }
  return best;
}

void VX_VoiceManager::ReleaseKey(int note)
{
  if (mSettings->sustainDown)
  {
    mNotes.entries[note].sustained = 1;
    return;
  }
  const int32_t releasedStamp = mNotes.entries[note].stamp;
  mNotes.Clear(note);

  const int polyphony = mSettings->polyphony;
  if (polyphony > 1)
  {
    for (int v = 0; v < polyphony; ++v)
      if (mVoices[v].Note() == note && mVoices[v].Gate()) mVoices[v].Release();
    return;
  }

  VX_Voice& voice = mVoices[0];
  if (mNotes.heldCount == 0 && mArpNotes.heldCount == 0)
  {
    if (voice.Gate()) voice.Release();
  }
  else if (voice.Note() == note)
  {
    // Back to the key pressed most recently before the released one, legato.
    const int previous = PreviousHeldNote(releasedStamp);
    if (previous >= 0)
      voice.NoteOn(previous, mNotes.entries[previous].velocity, mArp.PitchToNote());
  }
}

void VX_VoiceManager::AllNotesOff()
{
  for (VX_Voice& voice : mVoices)
    if (voice.Gate()) voice.Release();
  mNotes.ClearAll();
}

void VX_VoiceManager::ReleaseSustainedNotes()
{
  for (int note = 0; note < NoteTable::kNumNotes; ++note)
  {
    if (mArpNotes.IsHeld(note) && mArpNotes.entries[note].sustained) mArpNotes.Clear(note);
    // The key's arpeggiator entry is settled just above, so only the voice side remains; going
    // through NoteOff would, in the arpeggio modes, never release a generated note.
    if (mNotes.IsHeld(note) && mNotes.entries[note].sustained) ReleaseKey(note);
  }
}

void VX_VoiceManager::ArpeggiateHeldKeys()
{
  if (mArpNotes.heldCount == 0)
  {
    // Every key is up: the last generated note ends and the clock stands still.
    for (int note = 0; note < NoteTable::kNumNotes; ++note)
      if (mNotes.IsHeld(note)) ReleaseKey(note);
    return;
  }
  mArp.SetRate(mSlots[kSlotArpRate].target);
  const int note = mArp.Step();
  mSettings->arpTransposition = mArp.Transposition();
  if (mArp.PreviousNote() >= 0) ReleaseKey(mArp.PreviousNote());
  if (note >= 0) PlayNote(note, static_cast<int>(mArp.Velocity()));
}

void VX_VoiceManager::StepSequencedChord()
{
  if (mNumActive == 0) return; // the clock runs only while voices sound
  mArp.SetRate(mSlots[kSlotArpRate].target);
  if (mArp.Step() >= 0)
  {
    for (int k = 0; k < mNumActive; ++k)
    {
      VX_Voice& voice = mVoices[mActive[k]];
      if (voice.Gate()) voice.RetriggerForStep(mArp.Transposition());
    }
    if (mSettings->lfo2Restart) RestartLfo2();
  }
  mSettings->arpTransposition = mArp.Transposition();
}

void VX_VoiceManager::ArpeggiatorStep()
{
  mSettings->arpTransposition = 0.0f;
  if (!mSettings->arpOn) return;
  switch (mSettings->arpMode)
  {
  case VX_Arpeggiator::kUp:
  case VX_Arpeggiator::kDown:
  case VX_Arpeggiator::kUpDown:
  case VX_Arpeggiator::kSeqPlaySeq:
    ArpeggiateHeldKeys();
    break;
  case VX_Arpeggiator::kSeqPlayPoly:
    StepSequencedChord();
    break;
  default:
    break;
  }
}

void VX_VoiceManager::AdvanceLfo2()
{
  VX_EngineSettings& s = *mSettings;
  VX_BlepOsc& lfo = mLfo2.Selected();
  lfo.SetFrequency(mSlots[kSlotLfo2Rate].current);
  const float ramp = mLfo2Ramp.AdvanceRamp(); // 0 .. 0.5
  float out = lfo.TickPoly() * ramp;
  s.lfo2DelayLevel = 2.0f * ramp;
  if (s.modWheelDestination == 2) out *= mSlots[kModWheel].target;
  if (s.aftertouchDestination == 2) out *= mSlots[kSlotAftertouchAmount].target;
  mSlots[kSlotLfo2Output].target = mSlots[kSlotLfo2Output].current = out;
}

void VX_VoiceManager::Decimate(float& left, float& right)
{
  // Two half-band stages bring the four oversampled samples down to one; each has gain 2.
  const auto decimate = [](VX_Decimator* stages, const float* m)
  {
    const float first = stages[0].Process(m[0], m[1]);
    const float second = stages[0].Process(m[2], m[3]);
    return stages[1].Process(first, second) * 0.25f;
  };
  left = decimate(&mDecimators[0], mMixLeft);
  right = mSettings->unisonCount == 1 ? left : decimate(&mDecimators[2], mMixRight);
}

void VX_VoiceManager::RemoveInactive()
{
  int kept = 0;
  for (int k = 0; k < mNumActive; ++k)
    if (mVoices[mActive[k]].IsActive()) mActive[kept++] = mActive[k];
  mNumActive = kept;
}

void VX_VoiceManager::RenderVoices()
{
  if (mNumActive == 0) return;
  VX_FilterBase::VoiceBlock blocks[kNumVoices];
  for (int k = 0; k < mNumActive; ++k)
    blocks[k] = mVoices[mActive[k]].RenderUnfiltered();
  // Every voice has the same filter type, so one call filters them all.
  blocks[0].filter->ProcessVoices(blocks, mNumActive, mSettings->unisonCount > 1,
                                  mSettings->filterDriveActive);
  for (int k = 0; k < mNumActive; ++k)
    mVoices[mActive[k]].AddFiltered(mMixLeft, mMixRight);
}

void VX_VoiceManager::RenderSample(float& left, float& right)
{
  for (int j = 0; j < VX_Voice::kBlock; ++j)
    mMixLeft[j] = mMixRight[j] = 0.0f;

  ArpeggiatorStep();

  VX_EngineSettings& s = *mSettings;
  if (s.filterType == 1 && s.filterDriveActive)
    mVoices[0].UpdateDrive(mSlots[kFilterDrive].current);

  VX_ParamSlot& pitchOffset = mSlots[kSlotPitchOffset];
  pitchOffset.target = pitchOffset.current = mSlots[kSlotPitchBend].current + mSlots[kTune].current;

  AdvanceLfo2();

  RenderVoices();

  if (++mControlCounter > kControlInterval)
  {
    mControlCounter = 0;
    const float drift = mSlots[kDrift].current;
    if (drift > 0.0f)
      for (int k = 0; k < mNumActive; ++k)
        mVoices[mActive[k]].UpdateDrift(drift);
  }

  Decimate(left, right);
  RemoveInactive();
}
