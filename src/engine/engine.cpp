#include "engine/engine.h"

#include "dsp/smoothing.h"
#include "engine/param_ids.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kHalfPi = 1.57079632679489661923f;

/** Lanes per voice for each "Unison Voices" entry. */
int UnisonCount(int mode)
{
  switch (mode)
  {
  case 1:
    return 2;
  case 2:
    return 4;
  case 3:
  case 6:
    return 6;
  default:
    return 1;
  }
}
} // namespace

VX_Engine::VX_Engine()
{
  mVoices.Init(mSlots.data(), &mSettings);
  SetSampleRate(44100.0f);
}

// --- Slots ----------------------------------------------------------------------------------

void VX_Engine::WriteParamValue(int index, float value)
{
  VX_ParamSlot& slot = mSlots[index];
  if (slot.hasValue.load(std::memory_order_relaxed) && slot.Raw() == value) return;
  slot.raw.store(value, std::memory_order_relaxed);
  slot.hasValue.store(1, std::memory_order_relaxed);
  // Release: whoever sees the flag also sees the raw value written before it.
  slot.changed.store(1, std::memory_order_release);
}

void VX_Engine::Smoothed(int index, float target)
{
  VX_ParamSlot& slot = mSlots[index];
  slot.target = target;
  slot.smoothing = 1;
  slot.snapThreshold = std::max(0.001f * target, VX_ParamSlot::kMinSnapThreshold);
}

void VX_Engine::Instant(int index, float value)
{
  VX_ParamSlot& slot = mSlots[index];
  slot.target = value;
  slot.current = value;
}

void VX_Engine::RefreshMixerTargets()
{
  for (int index : {kOsc1Volume, kOsc2Volume, kSubVolume, kRingModVolume})
    Smoothed(index, Raw(index) * 0.5f);
  Smoothed(kNoiseVolume, std::max(Raw(kNoiseVolume), 0.0001f) * 0.25f);
}

void VX_Engine::SelectSyncedRate(int syncSwitch, ETempoSync sync, float division, int rateSlot)
{
  if (Raw(syncSwitch) > 0.5f)
    SetParameter(rateSlot, mTempoSyncs[sync].Select(static_cast<int>(division)));
}

void VX_Engine::SetParameter(int index, float y)
{
  ApplyEngineParameter(index, y);
  const float target = mSlots[index].target;
  for (int v = 0; v < VX_VoiceManager::kNumVoices; ++v)
    mVoices.Voice(v).SetVoiceParameter(index, y, target);
}

void VX_Engine::ApplyEngineParameter(int index, float y)
{
  const int n = static_cast<int>(y);
  switch (index)
  {
  case kOsc1Type:
  case kOsc2Type:
    (index == kOsc1Type ? mSettings.osc1Type : mSettings.osc2Type) = n;
    Instant(index, static_cast<float>(n));
    mVoices.RefreshOscillatorEnabling();
    mVoices.MarkOscillatorEnabled(index == kOsc1Type ? VX_Voice::kOsc1 : VX_Voice::kOsc2);
    break;
  case kOsc1Scale:
  case kOsc2Scale:
    Smoothed(index, y * kOctave);
    break;
  case kOsc1Freq:
  case kOsc2Freq:
    Smoothed(index, y * kSemitone);
    break;
  case kOsc1FreqMod:
  case kOsc2FreqMod:
    Smoothed(index, y * kOctave * 2.0f); // full modulation is two octaves either way
    break;
  case kOsc1FreqModSource:
    mSettings.osc1PitchModSource = n;
    break;
  case kOsc1ParamModSource:
    mSettings.osc1ParamModSource = n;
    break;
  case kOsc2FreqModSource:
    mSettings.osc2PitchModSource = n;
    break;
  case kOsc2ParamModSource:
    mSettings.osc2ParamModSource = n;
    break;
  case kSubType:
    mSettings.subType = n;
    Instant(index, static_cast<float>(n));
    mVoices.RefreshOscillatorEnabling();
    mVoices.MarkOscillatorEnabled(VX_Voice::kSub);
    break;
  case kSubOctave:
    Smoothed(index, -kOctave * (y + 1.0f));
    break;
  case kOscRestart:
    mSettings.oscRestart = y > 0.5f;
    break;
  case kFilterType:
    mSettings.filterType = n;
    break;
  case kFilterModSource:
    // The filter's list has no "Filter Envelope" entry, so its last two entries map to the
    // shared sources 6 and 7.
    mSettings.filterModSource = n >= 5 ? n + 1 : n;
    break;
  case kFilterDrive:
    Smoothed(index, y);
    RefreshMixerTargets();
    break;
  case kOsc1Volume:
  case kOsc2Volume:
  case kSubVolume:
  case kNoiseVolume:
  case kRingModVolume:
    RefreshMixerTargets();
    mVoices.RefreshOscillatorEnabling();
    break;
  case kTune:
    Smoothed(index, y * kSemitone);
    break;
  case kAmpEnvAttack:
  case kFilterEnvAttack:
    Smoothed(index, std::max(y, 1.0f));
    break;
  case kAmpEnvDecay:
  case kFilterEnvDecay:
    Smoothed(index, std::max(y, 2.0f));
    break;
  case kAmpEnvRelease:
  case kFilterEnvRelease:
    Smoothed(index, std::max(y, 50.0f));
    break;
  case kLfo1Restart:
    mSettings.lfo1Restart = y > 0.5f;
    break;
  case kLfo1TempoSync:
    Smoothed(index, y);
    SetParameter(kLfo1Freq, Raw(kLfo1Freq));
    SetParameter(kLfo1FreqSynced, Raw(kLfo1FreqSynced));
    break;
  case kLfo1Type:
    mSettings.lfo1Type = n;
    Instant(index, static_cast<float>(n));
    break;
  case kLfo1Freq:
    if (Raw(kLfo1TempoSync) < 0.5f) SetParameter(kSlotLfo1Rate, y);
    break;
  case kLfo2Restart:
    mSettings.lfo2Restart = y > 0.5f;
    break;
  case kLfo2TempoSync:
    SetParameter(kLfo2Freq, Raw(kLfo2Freq));
    SetParameter(kLfo2FreqSynced, Raw(kLfo2FreqSynced));
    break;
  case kLfo2Type:
    mSettings.lfo2Type = n;
    Instant(index, static_cast<float>(n));
    mVoices.SelectLfo2(n);
    break;
  case kLfo2Delay:
    Smoothed(index, y);
    mVoices.SetLfo2Delay(Target(index));
    break;
  case kLfo2Freq:
    if (Raw(kLfo2TempoSync) < 0.5f) SetParameter(kSlotLfo2Rate, y);
    break;
  case kDelayType:
    mDelay.Reset();
    mSettings.delayType = n;
    break;
  case kFxTempoSync:
    SetParameter(kFxTime, Raw(kFxTime));
    SetParameter(kFxTimeSynced, Raw(kFxTimeSynced));
    break;
  case kFxTime:
    if (Raw(kFxTempoSync) < 0.5f) Smoothed(kSlotDelayTime, std::max(y, 5.0f));
    break;
  case kFxParam2:
    Smoothed(index, y * 0.95f);
    break;
  case kFxMix:
  {
    const float m = y / 100.0f;
    Smoothed(index, m);
    // Equal-power cross-fade between the dry and the delayed signal.
    Smoothed(kSlotDelayDry, std::sin((1.0f - m) * kHalfPi));
    Smoothed(kSlotDelayWet, std::sin(m * kHalfPi));
    break;
  }
  case kTranspose:
    // Entry 0 is "+3" octaves, entry 6 is "-3".
    Instant(index, static_cast<float>(3 - n) * 12.0f * kSemitone);
    break;
  case kDrift:
    Instant(index, y / 99.0f);
    break;
  case kPolyphony:
    mSettings.polyphony = static_cast<int>(y + 1.0f);
    AllNotesOff();
    break;
  case kGlideMode:
    mSettings.glideMode = n;
    break;
  case kArpPitchTo:
    mSettings.arpPitchTo = n;
    break;
  case kArpTempoSync:
    SetParameter(kArpTempo, Raw(kArpTempo));
    SetParameter(kArpTempoSynced, Raw(kArpTempoSynced));
    break;
  case kArpRange:
    mSettings.arpRange = n;
    mVoices.SetArpOctaves(n + 1);
    break;
  case kArpMode:
    mSettings.arpMode = n;
    mSettings.arpOn = n > 0;
    AllNotesOff();
    mVoices.SetArpMode(n);
    break;
  case kArpTempo:
    if (Raw(kArpTempoSync) < 0.5f) Smoothed(kSlotArpRate, y);
    break;
  case kModWheelDestination:
    mSettings.modWheelDestination = n;
    break;
  case kAftertouchDestination:
    mSettings.aftertouchDestination = n;
    break;
  case kQuality:
    mSettings.highQuality = y > 0.5f;
    break;
  case kUnisonVoices:
    mSettings.unisonMode = n;
    mSettings.unisonCount = UnisonCount(n);
    break;
  case kUnisonDetune:
    Smoothed(index, 1.5f * y + 0.1f);
    break;
  case kUnisonStereo:
  {
    Smoothed(index, y);
    const float x = (1.0f - y) * 0.5f;
    Smoothed(kSlotWidthSame, std::sin(x * kHalfPi));
    Smoothed(kSlotWidthCross, std::sin((1.0f - x) * kHalfPi));
    break;
  }
  case kFilterDriveActive:
    mSettings.filterDriveActive = n != 0;
    RefreshMixerTargets();
    break;
  case kHighPassFilterActive:
    for (VX_CutoffTable& highPass : mHighPass)
      highPass.ClearState();
    RefreshMixerTargets();
    break;
  case kLfo1FreqSynced:
    SelectSyncedRate(kLfo1TempoSync, kSyncLfo1, y, kSlotLfo1Rate);
    break;
  case kLfo2FreqSynced:
    SelectSyncedRate(kLfo2TempoSync, kSyncLfo2, y, kSlotLfo2Rate);
    break;
  case kArpTempoSynced:
    if (Raw(kArpTempoSync) > 0.5f) Smoothed(kSlotArpRate, mTempoSyncs[kSyncArp].Select(n));
    break;
  case kFxTimeSynced:
    if (Raw(kFxTempoSync) > 0.5f)
    {
      // This list runs from the shortest value up, the division table from the longest down.
      mTempoSyncs[kSyncFx].Select(VX_TempoSync::kNumDivisions - 1 - n);
      Smoothed(kSlotDelayTime, mTempoSyncs[kSyncFx].DurationMs());
    }
    break;
  // Plain smoothed values in their own units.
  case kOsc1Param:
  case kOsc2Param:
  case kOsc1ParamMod:
  case kOsc2ParamMod:
  case kFilterCutoff:
  case kFilterMod:
  case kFilterResonance:
  case kFilterEnvelope:
  case kFilterKeyTracking:
  case kVolume:
  case kAmpEnvSustain:
  case kFilterEnvSustain:
  case kAmpEnvVelocity:
  case kFilterEnvVelocity:
  case kLfo1Delay:
  case kOsc1PhaseOffset:
  case kOsc2PhaseOffset:
  case kFxParam4:
    Smoothed(index, y);
    mDelay.SetTone(y);
    break;
  case kFxParam1:
  case kFxParam3:
  case kA440:
  case kPanMode:
  case kGlide:
  case kPitchBendRange:
  case kAftertouch:
  case kModWheel:
  case kHighPassFilter:
  case kVoiceAssign:
  case kReserved15:
  case kSlotLfo1Rate:
  case kSlotLfo2Rate:
    Smoothed(index, y);
    break;
  default:
    break;
  }
}

// --- Setup ----------------------------------------------------------------------------------

void VX_Engine::SetSampleRate(float rate)
{
  if (rate == mSampleRate) return;
  mSampleRate = rate;
  mSettings.sampleRate = rate;
  mSettings.sampleRateRatio = 44100.0f / rate;
  mLastTempo = 1.0f; // the next block re-pushes the host tempo
  mSmoothingCoefficient = OnePoleCoefficient(kSmoothingTimeMs, rate);
  mVoices.SetSampleRate(rate);
  for (VX_CutoffTable& highPass : mHighPass)
    highPass.SetRange(rate, kHighPassLowHz, kHighPassHighHz);
  mReferenceTone.SetSampleRate(rate);
  mReferenceTone.SetFrequency(kReferenceToneHz);
  mDelay.SetSampleRate(rate);
  mEnsemble.SetSampleRate(rate);
}

void VX_Engine::SetHostTempo(float bpm)
{
  if (bpm == mLastTempo) // a NaN always differs
    return;
  mLastTempo = bpm;
  mSettings.lastTempo = bpm;
  for (VX_TempoSync& sync : mTempoSyncs)
    if (sync.Tempo() != bpm)
    {
      sync.SetTempo(bpm);
      sync.Recompute();
    }
  SetParameter(kLfo1FreqSynced, Raw(kLfo1FreqSynced));
  SetParameter(kLfo2FreqSynced, Raw(kLfo2FreqSynced));
  SetParameter(kFxTimeSynced, Raw(kFxTimeSynced));
  SetParameter(kArpTempoSynced, Raw(kArpTempoSynced));
}

// --- MIDI -----------------------------------------------------------------------------------

void VX_Engine::QueueMidi(int offset, uint8_t status, uint8_t data1, uint8_t data2)
{
  if (offset >= mMaxBlockSize) offset = mMaxBlockSize - 1;

  VX_EngineEvent event{offset, 0, 0.0f, -1};
  switch (status >> 4)
  {
  case VX_EngineEvent::kNoteOff:
  case VX_EngineEvent::kNoteOn:
    event.kind = status >> 4;
    event.data = data1;
    event.value = static_cast<float>(data2);
    break;
  case 11: // control change
    if (data1 == 1)
      event.kind = VX_EngineEvent::kModWheel;
    else if (data1 == 64)
      event.kind = VX_EngineEvent::kSustain;
    else
      return;
    event.value = data2 / 127.0f;
    break;
  case VX_EngineEvent::kChannelPressure:
    event.kind = VX_EngineEvent::kChannelPressure;
    event.value = data1 / 127.0f;
    break;
  case VX_EngineEvent::kPitchBend:
    // 14-bit wheel to 0 .. just below 1, centre 0.5.
    event.kind = VX_EngineEvent::kPitchBend;
    event.value = ((((data2 - 64) * 128 + data1) / 8192.0f) + 1.0f) * 0.5f;
    break;
  default: // polyphonic pressure, program change, system messages
    return;
  }
  mEvents.Push(event);
}

void VX_Engine::NoteOn(int note, int velocity)
{
  mVoices.NoteOn(note, velocity);
}

void VX_Engine::NoteOff(int note)
{
  mVoices.NoteOff(note);
}

void VX_Engine::AllNotesOff()
{
  mVoices.AllNotesOff();
}

void VX_Engine::ApplyEvent(const VX_EngineEvent& event)
{
  switch (event.kind)
  {
  case VX_EngineEvent::kNoteOn:
    if (event.value == 0.0f)
      NoteOff(event.data);
    else
      NoteOn(event.data, static_cast<int>(event.value));
    break;
  case VX_EngineEvent::kNoteOff:
    NoteOff(event.data);
    break;
  case VX_EngineEvent::kPitchBend:
    // Pitch units: the wheel's full travel is +-(range entry + 1) semitones.
    Smoothed(kSlotPitchBend,
             (Target(kPitchBendRange) + 1.0f) * (1.0f / 64.0f) * (event.value - 0.5f));
    break;
  case VX_EngineEvent::kChannelPressure:
    Smoothed(kSlotAftertouchAmount, event.value * Target(kAftertouch));
    break;
  case VX_EngineEvent::kModWheel:
    Smoothed(kModWheel, event.value);
    break;
  case VX_EngineEvent::kSustain:
  {
    const bool wasDown = mSettings.sustainDown;
    mSettings.sustainDown = event.value > 0.5f;
    if (wasDown && !mSettings.sustainDown) mVoices.ReleaseSustainedNotes();
    break;
  }
  default:
    break;
  }
}

// --- Block loop -----------------------------------------------------------------------------

void VX_Engine::DispatchChangedSlots()
{
  mNumSmoothing = 0;
  for (int index = 0; index < kNumEngineSlots; ++index)
  {
    VX_ParamSlot& slot = mSlots[index];
    if (slot.changed.exchange(0, std::memory_order_acquire)) SetParameter(index, slot.Raw());
    if (slot.smoothing) mSmoothingList[mNumSmoothing++] = static_cast<uint8_t>(index);
  }
}

void VX_Engine::ApplyReset()
{
  mDeclickSource[0] = mLastOutput[0];
  mDeclickSource[1] = mLastOutput[1];
  mDeclickGain = 1.0f;
  // Changed flags stay: a value delivered after this block's dispatch is applied next block.
  for (VX_ParamSlot& slot : mSlots)
  {
    slot.current = slot.target;
    slot.smoothing = 0;
  }
  mNumSmoothing = 0;
  mDelay.Reset();
  mEnsemble.Reset();
  mVoices.Reset();
}

void VX_Engine::AdvanceSmoothing()
{
  const float coefficient = mSmoothingCoefficient;
  for (int k = 0; k < mNumSmoothing; ++k)
  {
    VX_ParamSlot& slot = mSlots[mSmoothingList[k]];
    slot.current += (slot.target - slot.current) * coefficient;
  }
}

float VX_Engine::OutputGain()
{
  // Resonance raises the level, so it is compensated: 1 without resonance, 0.375 from 0.8 up.
  float g = (1.6f - std::min(1.25f * Current(kFilterResonance), 1.0f)) * 0.625f;
  switch (mSettings.filterType)
  {
  case 1: // "FILTER LP2"
    if (Raw(kFilterDriveActive) > 0.5f) g *= 1.5f / (2.0f * Current(kFilterDrive) + 1.0f);
    break;
  case 2: // "FILTER BP"
    g *= 2.1f;
    break;
  default:
    break;
  }
  return g;
}

void VX_Engine::HighPass(float& left, float& right)
{
  float* channels[2] = {&left, &right};
  for (int c = 0; c < 2; ++c)
  {
    VX_CutoffTable& table = mHighPass[c];
    table.SetCutoffHz(Current(kHighPassFilter));
    float& s = table.FilterState().lp;
    float& x = *channels[c];
    s += (x - s) * table.Coefficient() + 1e-18f;
    x -= s;
  }
}

void VX_Engine::RenderFrame(float& left, float& right)
{
  mVoices.RenderSample(left, right);

  const float g = OutputGain();
  // The high-pass filter only exists beside "FILTER LP1".
  if (mSettings.filterType == 0 && Raw(kHighPassFilterActive) > 0.5f) HighPass(left, right);
  left *= g;
  right *= g;

  const float emulationGain = EmulateVoices(left, right);

  const float same = Current(kSlotWidthSame), cross = Current(kSlotWidthCross);
  float l = same * left + cross * right;
  float r = cross * left + same * right;

  if (Current(kFxMix) > 0.0f) ApplyDelay(l, r);

  const float volume = Current(kVolume) * emulationGain;
  left = volume * l;
  right = volume * r;
}

float VX_Engine::EmulateVoices(float& left, float& right)
{
  const int mode = mSettings.unisonMode;
  if (mode < 4) return 1.0f;
  mEnsemble.SetRate(Current(kUnisonDetune));
  if (mode == 4) // "4 Voice Emulation (Low CPU)"
    mEnsemble.ProcessFour(left, right);
  else
    mEnsemble.ProcessEight(left, right);
  left = mEnsemble.LeftOutput();
  right = mEnsemble.RightOutput();
  // The eight taps sum louder; with six real lanes on top even more so.
  return mode == 4 ? 1.0f : mode == 5 ? 0.75f : 0.5f;
}

void VX_Engine::ApplyDelay(float& left, float& right)
{
  VX_DelayControls controls;
  controls.type = mSettings.delayType;
  controls.timeMs = Current(kSlotDelayTime);
  controls.feedback = Current(kFxParam2);
  controls.depth = Current(kFxParam3);
  controls.rate = Current(kFxParam4);
  controls.mix = Current(kFxMix);
  controls.dryGain = Current(kSlotDelayDry);
  controls.wetGain = Current(kSlotDelayWet);
  mDelay.Process(left, right, controls);
}

void VX_Engine::ApplyDeclickFade(double* const* outputs, int frames)
{
  if (mDeclickGain <= 0.0f) return;
  const float step = 0.01f * mSettings.sampleRateRatio; // 100 frames at 44.1 kHz
  float gain = mDeclickGain;
  for (int i = 0; i < frames; ++i)
  {
    gain = std::max(gain - step, 0.0f);
    outputs[0][i] += gain * mDeclickSource[0];
    outputs[1][i] += gain * mDeclickSource[1];
  }
  mDeclickGain = gain;
}

void VX_Engine::AddReferenceTone(double* const* outputs, int frames)
{
  const float a = Current(kA440);
  if (!(a > 0.5f || mToneGain > 0.0f)) return;
  // The tone keeps its level while the switch's smoothed value falls, then fades over 2000
  // frames at 44.1 kHz; switching on fades in the same way.
  const float step = 0.0005f * mSettings.sampleRateRatio;
  float gain = mToneGain;
  for (int i = 0; i < frames; ++i)
  {
    gain = (a == 0.0f) ? std::max(gain - step, 0.0f) : std::min(gain + step, 1.0f);
    const double sample = mReferenceTone.TickPoly() * gain * 0.25f;
    outputs[0][i] += sample;
    outputs[1][i] += sample;
  }
  mToneGain = gain;
}

void VX_Engine::SnapSmoothedSlots()
{
  for (int k = 0; k < mNumSmoothing; ++k)
  {
    VX_ParamSlot& slot = mSlots[mSmoothingList[k]];
    if (std::abs(slot.target - slot.current) < slot.snapThreshold)
    {
      slot.current = slot.target;
      slot.smoothing = 0;
    }
  }
}

void VX_Engine::RenderBlock(double* const* outputs, int frames)
{
  DispatchChangedSlots();
  if (mResetRequested.exchange(false, std::memory_order_acq_rel)) ApplyReset();

  for (int i = 0; i < frames; ++i)
  {
    AdvanceSmoothing();
    while (!mEvents.Empty() && mEvents.Front().offset <= i)
    {
      const VX_EngineEvent event = mEvents.Front();
      mEvents.Pop();
      ApplyEvent(event);
    }
    float left, right;
    RenderFrame(left, right);
    outputs[0][i] = left;
    outputs[1][i] = right;
    mLastOutput[0] = left;
    mLastOutput[1] = right;
  }

  ApplyDeclickFade(outputs, frames);
  AddReferenceTone(outputs, frames);
  SnapSmoothedSlots();
}
