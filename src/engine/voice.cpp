#include "engine/voice.h"

#include "engine/arpeggiator.h"
#include "engine/engine_settings.h"
#include "engine/param_ids.h"
#include "engine/param_slot.h"

#include <algorithm>

namespace
{
enum EGlideMode
{
  kGlideOff = 0,
  kGlideAuto,
  kGlideAutoRetrigger,
  kGlideOn,
};
} // namespace

void VX_Voice::Init(const VX_ParamSlot* slots, const VX_EngineSettings* settings,
                    VX_FilterDrive& drive)
{
  mSlots = slots;
  mSettings = settings;
  mFilterLP2.SetDriveRecord(drive);
}

float VX_Voice::Target(int index) const
{
  return mSlots[index].target;
}

float VX_Voice::Raw(int index) const
{
  return mSlots[index].Raw();
}

float VX_Voice::Current(int index) const
{
  return mSlots[index].current;
}

VX_OscSlot& VX_Voice::Slot(EOscillator which)
{
  return which == kOsc1   ? static_cast<VX_OscSlot&>(mOsc1)
         : which == kOsc2 ? static_cast<VX_OscSlot&>(mOsc2)
                          : static_cast<VX_OscSlot&>(mSub);
}

void VX_Voice::SetSampleRate(float rate)
{
  mGlideA.SetSampleRate(rate);
  mGlideB.SetSampleRate(rate);
  mAmpEnv.SetSampleRate(rate);
  mFilterEnv.SetSampleRate(rate);
  mLfo1Ramp.SetSampleRate(rate);
  mLfo1.SetSampleRate(rate);
  for (VX_Drift& drift : mDrift)
    drift.SetSampleRate(rate);
  // Oscillators and filters run at four times the host rate.
  const float oversampledRate = rate * kBlock;
  for (int k = 0; k < kNumOscillators; ++k)
    Slot(static_cast<EOscillator>(k))
        .ForEach([&](VX_BlepOsc& osc) { osc.SetSampleRate(oversampledRate); });
  for (VX_FilterBase* filter : mFilters)
    filter->SetSampleRate(oversampledRate);
  // 100 host samples at 44.1 kHz, in oversampled samples.
  const int hostSamples = static_cast<int>(rate / 44100.0f * 100.0f);
  mFadeLength = hostSamples == 0 ? 50 : std::min(kBlock * hostSamples, kTailSize);
  mFadeCounter = mFadeLength + 1;
}

void VX_Voice::NoteOn(int note, int velocity, int pitchTo)
{
  const VX_EngineSettings& s = *mSettings;
  mNote = note;
  if (pitchTo == -1) pitchTo = note;
  mVelocity = velocity / 128.0f;
  const float transpose = Target(kTranspose);
  mPitch = std::clamp(note / 128.0f + transpose, 0.0f, 1.0f);
  mSecondPitch = std::clamp(pitchTo / 128.0f + transpose, -1.0f, 1.0f);

  bool glide = false;
  if (s.arpMode == VX_Arpeggiator::kSeqRecord ||
      (s.arpMode == VX_Arpeggiator::kSeqPlayPoly && s.polyphony > 1))
  {
    Trigger(false);
  }
  else
  {
    if (!mActive)
    {
      mAmpEnv.SetIdle();
      mFilterEnv.SetIdle();
    }
    const bool keepsEnvelopes = s.glideMode == kGlideAuto || s.glideMode == kGlideOn;
    if (s.polyphony == 1 || s.arpMode == VX_Arpeggiator::kSeqPlayPoly)
    {
      // Legato: a new key while another is held keeps the envelopes running.
      if (!(keepsEnvelopes && mGate)) Trigger(false);
    }
    else
    {
      Trigger(!mActive);
    }
    if (s.polyphony == 1) glide = mGate ? s.glideMode != kGlideOff : s.glideMode == kGlideOn;
  }

  if (!glide)
  {
    mGlideA.followers[0] = s.arpTransposition + mPitch;
    mGlideB.followers[0] = mSecondPitch;
  }
  mActive = true;
  mGate = true;
}

void VX_Voice::Trigger(bool resetLevels)
{
  const float a = Target(kAmpEnvVelocity);
  const float b = Raw(kFilterEnvVelocity);
  mAmpEnv.Trigger(1.0f - a + a * mVelocity, resetLevels);
  mFilterEnv.Trigger(1.0f - b + b * mVelocity, resetLevels);
  mLfo1Ramp.RestartRamp();
  RestartOscillators(!mSettings->oscRestart);
  if (mSettings->lfo1Restart) mLfo1.Selected().Restart();
}

void VX_Voice::RetriggerForStep(float transposition)
{
  const int mode = mSettings->glideMode;
  if (mode != kGlideAuto && mode != kGlideOn) Trigger(false);
  if (mode == kGlideOff) mGlideA.followers[0] = transposition + mPitch;
}

void VX_Voice::Release()
{
  mGate = false;
  mAmpEnv.Release();
  mFilterEnv.Release();
}

void VX_Voice::SetVoiceParameter(int index, float raw, float target)
{
  switch (index)
  {
  case kAmpEnvAttack:
    mAmpEnv.SetAttack(target);
    break;
  case kAmpEnvDecay:
    mAmpEnv.SetDecay(target);
    break;
  case kAmpEnvSustain:
    mAmpEnv.SetSustain(raw);
    break;
  case kAmpEnvRelease:
    mAmpEnv.SetRelease(target);
    break;
  case kFilterEnvAttack:
    mFilterEnv.SetAttack(target);
    break;
  case kFilterEnvDecay:
    mFilterEnv.SetDecay(target);
    break;
  case kFilterEnvSustain:
    mFilterEnv.SetSustain(raw);
    break;
  case kFilterEnvRelease:
    mFilterEnv.SetRelease(target);
    break;
  case kLfo1Delay:
    mLfo1Ramp.SetAttack(target);
    break;
  case kGlide:
    mGlideA.SetTime(target);
    mGlideB.SetTime(target);
    break;
  case kOsc1Type:
    mOsc1.SelectType(static_cast<int>(raw));
    break;
  case kOsc2Type:
    mOsc2.SelectType(static_cast<int>(raw));
    break;
  case kSubType:
    mSub.SelectType(static_cast<int>(raw));
    mSub.Active().SetParam(VX_SubOscSlot::kSquareWidth);
    break;
  case kOscRestart:
    if (raw > 0.0f) RestartOscillators(false);
    break;
  case kUnisonVoices:
    RestartOscillators(false);
    break;
  case kFilterType:
    mFilterType = std::clamp(static_cast<int>(raw), 0, static_cast<int>(mFilters.size()) - 1);
    ActiveFilter().ClearState();
    break;
  case kFilterDriveActive:
    ActiveFilter().ClearState();
    break;
  case kLfo1Type:
    mLfo1.Select(static_cast<int>(raw));
    break;
  case kDrift:
    if (target == 0.0f)
      for (VX_Drift& drift : mDrift)
        drift.Reset();
    break;
  default:
    break;
  }
}

void VX_Voice::SetOscillatorEnabled(EOscillator which, bool enabled)
{
  Slot(which).SetEnabled(enabled);
}

void VX_Voice::Reset()
{
  mActive = false;
  mGate = false;
  mAmpEnv.SetIdle();
  mFilterEnv.SetIdle();
  mLfo1Ramp.RestartRamp();
  mLfo1.RestartAll();
  mFadeCounter = mFadeLength + 1;
  for (auto& tail : mTail)
    std::fill(std::begin(tail), std::end(tail), 0.0f);
  for (int k = 0; k < kNumOscillators; ++k)
    Slot(static_cast<EOscillator>(k))
        .ForEach(
            [](VX_BlepOsc& osc)
            {
              osc.Restart();
              osc.ClearBlepState();
            });
}

void VX_Voice::UpdateDrift(float amount)
{
  for (VX_Drift& drift : mDrift)
    drift.Update(amount);
}

// --- Per sample -----------------------------------------------------------------------------

void VX_Voice::UpdateSources()
{
  const VX_EngineSettings& s = *mSettings;
  VX_BlepOsc& lfo = mLfo1.Selected();
  lfo.SetFrequency(Target(kSlotLfo1Rate));
  const float ramp = mLfo1Ramp.AdvanceRamp(); // 0 .. 0.5
  const float lfo1 = ramp * lfo.TickPoly();
  const float lfo2 = Target(kSlotLfo2Output);
  float* src = mSources.data();
  src[kSourceNone] = 0.0f;
  src[kSourceLfo1] = lfo1;
  src[kSourceLfo2] = lfo2;
  src[kSourceLfo1PlusLfo2] = (lfo2 + lfo1) * 0.5f;
  src[kSourceAmpEnvelope] = mAmpEnv.Process();
  src[kSourceFilterEnvelope] = mFilterEnv.Process();
  src[kSourceLfo1Delay] = 2.0f * ramp;
  src[kSourceLfo2Delay] = s.lfo2DelayLevel;
  src[kSourceCutoff] = Current(kFilterCutoff);

  // The wheel, then aftertouch, scale an LFO source or open the cutoff.
  const auto applyDestination = [src](int destination, float amount)
  {
    if (destination == 1)
      src[kSourceLfo1] *= amount;
    else if (destination == 3)
      src[kSourceLfo1PlusLfo2] *= amount;
    else if (destination == 4)
      src[kSourceCutoff] += amount;
  };
  applyDestination(s.modWheelDestination, Current(kModWheel));
  applyDestination(s.aftertouchDestination, Current(kSlotAftertouchAmount));

  mOsc1PitchMod = src[s.osc1PitchModSource] * Current(kOsc1FreqMod);
  mOsc1ParamMod = src[s.osc1ParamModSource] * Current(kOsc1ParamMod);
  mOsc2PitchMod = src[s.osc2PitchModSource] * Current(kOsc2FreqMod);
  mOsc2ParamMod = src[s.osc2ParamModSource] * Current(kOsc2ParamMod);
  // The filter envelope always acts through "Filter Envelope", whatever the source.
  mFilterMod = src[s.filterModSource] * Current(kFilterMod) +
               Current(kFilterEnvelope) * src[kSourceFilterEnvelope];
}

void VX_Voice::UpdateControls()
{
  const VX_EngineSettings& s = *mSettings;
  const float offset = Target(kSlotPitchOffset);
  float base1, base2, baseSub;
  if (s.polyphony == 1 || s.arpOn)
  {
    const float a =
        VX_Glide::Step(mGlideA.followers[0], mPitch + s.arpTransposition, mGlideA.coefficient) +
        offset;
    const auto b = [&]
    { return VX_Glide::Step(mGlideB.followers[0], mSecondPitch, mGlideB.coefficient) + offset; };
    switch (s.arpPitchTo)
    {
    case 1: // "Osc1 & Sub"
      base1 = baseSub = a;
      base2 = b();
      break;
    case 2: // "Osc1 & Osc2"
      base1 = base2 = a;
      baseSub = b();
      break;
    case 3: // "Osc2"
      base2 = a;
      base1 = baseSub = b();
      break;
    default: // "All Oscillators"
      base1 = base2 = baseSub = a;
      break;
    }
  }
  else
  {
    base1 = base2 = baseSub = offset + mPitch;
  }

  // Key tracking pivots on note 48.
  mKeyTracking = (base1 - 0.375f) * Raw(kFilterKeyTracking);
  const float scale1 = Target(kOsc1Scale);
  mPitches[kOsc1] = mDrift[0].Output() + base1 + mOsc1PitchMod + Current(kOsc1Freq) + scale1;
  mPitches[kSub] = mDrift[0].Output() + baseSub + mOsc1PitchMod + scale1 + Target(kSubOctave);
  mPitches[kOsc2] =
      base2 + mDrift[1].Output() + mOsc2PitchMod + Current(kOsc2Freq) + Target(kOsc2Scale);
  mOsc1Param = Current(kOsc1Param) + mOsc1ParamMod;
  mOsc2Param = Current(kOsc2Param) + mOsc2ParamMod;
  mLevelOsc1 = Current(kOsc1Volume);
  mLevelOsc2 = Current(kOsc2Volume);
  mLevelSub = Current(kSubVolume);
  mLevelNoise = Current(kNoiseVolume);
  mLevelRing = Current(kRingModVolume);
  mDetune = Current(kUnisonDetune);

  ActiveFilter().SetParams(mDrift[2].Output() + mSources[kSourceCutoff] + mKeyTracking + mFilterMod,
                           Current(kFilterResonance));
}

void VX_Voice::SetOscillatorPitches()
{
  VX_BlepOsc& osc1 = mOsc1.Active();
  VX_BlepOsc& osc2 = mOsc2.Active();
  // The sync types read the pitch just set, so each parameter follows its pitch.
  osc1.SetPitch(mPitches[kOsc1]);
  osc1.SetParam(mOsc1Param);
  osc2.SetPitch(mPitches[kOsc2]);
  osc2.SetParam(mOsc2Param);
  mSub.Active().SetPitch(mPitches[kSub]);
}

void VX_Voice::SetLanePitches(int laneCount)
{
  VX_BlepOsc& osc1 = mOsc1.Active();
  VX_BlepOsc& osc2 = mOsc2.Active();
  osc1.SetPitchLanes(mPitches[kOsc1], laneCount, mDetune);
  osc1.SetParam(mOsc1Param);
  osc2.SetPitchLanes(mPitches[kOsc2], laneCount, mDetune);
  osc2.SetParam(mOsc2Param);
  mSub.Active().SetPitchLanes(mPitches[kSub], laneCount, mDetune);
}

void VX_Voice::RenderOscillators(int laneCount)
{
  const bool table = mSettings->highQuality;
  for (VX_OscSlot* slot : {static_cast<VX_OscSlot*>(&mOsc2), static_cast<VX_OscSlot*>(&mOsc1),
                           static_cast<VX_OscSlot*>(&mSub)})
  {
    VX_BlepOsc& osc = slot->Active();
    if (laneCount == 1)
      table ? osc.RenderBlockTable() : osc.RenderBlockPoly();
    else
      table ? osc.RenderLanesTable(laneCount) : osc.RenderLanesPoly(laneCount);
  }
}

void VX_Voice::MixMono(float noise, float* __restrict out)
{
  const float* __restrict o1 = mOsc1.Active().Output();
  const float* __restrict o2 = mOsc2.Active().Output();
  const float* __restrict sub = mSub.Active().Output();
  // The ring product takes osc2 without its parameter offset (the pulse's zero-mean shift).
  const float p2 = mOsc2.Active().Param();
  for (int j = 0; j < kBlock; ++j)
    out[j] = mLevelOsc1 * o1[j] + mLevelOsc2 * o2[j] + mLevelSub * sub[j] -
             mLevelRing * (o2[j] - p2) * o1[j] + noise;
}

void VX_Voice::MixLanes(int laneCount, float noiseLeft, float noiseRight, float* __restrict left,
                        float* __restrict right)
{
  const float* __restrict o1 = mOsc1.Active().Output();
  const float* __restrict o2 = mOsc2.Active().Output();
  const float* __restrict sub = mSub.Active().Output();
  const float p2 = mOsc2.Active().Param();
  // Even lanes go right, odd lanes left.
  float sum1[2][kBlock] = {}, sum2[2][kBlock] = {}, sumSub[2][kBlock] = {}, ring[2][kBlock] = {};
  for (int lane = 0; lane < laneCount; ++lane)
  {
    const int side = lane & 1; // 0 right, 1 left
    const int base = lane * kBlock;
    for (int j = 0; j < kBlock; ++j)
    {
      sum1[side][j] += o1[base + j];
      sum2[side][j] += o2[base + j];
      sumSub[side][j] += sub[base + j];
      ring[side][j] += (o2[base + j] - p2) * o1[base + j];
    }
  }
  float* const outs[2] = {right, left};
  const float noise[2] = {noiseRight, noiseLeft};
  for (int side = 0; side < 2; ++side)
    for (int j = 0; j < kBlock; ++j)
      outs[side][j] = mLevelOsc1 * sum1[side][j] + mLevelOsc2 * sum2[side][j] +
                      mLevelSub * sumSub[side][j] - mLevelRing * ring[side][j] + noise[side];
}

void VX_Voice::CrossFade(float* __restrict block, float* __restrict tail, int& index)
{
  const float f = static_cast<float>(mFadeCounter) / static_cast<float>(mFadeLength);
  for (int j = 0; j < kBlock; ++j)
  {
    block[j] = f * block[j] + tail[index];
    tail[index] = 0.0f;
    index = (index + 1) & (kTailSize - 1);
  }
}

void VX_Voice::RenderMono()
{
  UpdateControls();
  SetOscillatorPitches();
  RenderOscillators(1);
  MixMono(mNoise.Next() * mLevelNoise, mMixLeft);
  if (mFadeCounter < mFadeLength)
  {
    CrossFade(mMixLeft, mTail[0], mTailIndex);
    mFadeCounter += kBlock;
  }
}

void VX_Voice::RenderUnison()
{
  const int lanes = mSettings->unisonCount;
  UpdateControls();
  SetLanePitches(lanes);
  RenderOscillators(lanes);
  const float noiseLeft = mNoise.Next() * mLevelNoise;
  const float noiseRight = mNoise.Next() * mLevelNoise;
  MixLanes(lanes, noiseLeft, noiseRight, mMixLeft, mMixRight);
  if (mFadeCounter < mFadeLength)
  {
    int index = mTailIndex;
    CrossFade(mMixLeft, mTail[0], index);
    CrossFade(mMixRight, mTail[1], mTailIndex);
    mFadeCounter += kBlock;
  }
}

VX_FilterBase::VoiceBlock VX_Voice::RenderUnfiltered()
{
  UpdateSources();
  if (mSettings->unisonCount == 1)
    RenderMono();
  else
    RenderUnison();
  return {&ActiveFilter(), mMixLeft, mMixRight};
}

void VX_Voice::AddFiltered(float* __restrict mixLeft, float* __restrict mixRight)
{
  const float amp = mSources[kSourceAmpEnvelope];
  const float* right = mSettings->unisonCount == 1 ? mMixLeft : mMixRight;
  for (int j = 0; j < kBlock; ++j)
  {
    mixLeft[j] += mMixLeft[j] * amp;
    mixRight[j] += right[j] * amp;
  }
  mLastAmplitude = amp;
  mActive = !mAmpEnv.IsIdle();
}

// --- Restarts -------------------------------------------------------------------------------

void VX_Voice::TakeSnapshots(EOscillator which)
{
  const VX_BlepOsc& osc = Slot(which).Active();
  for (int lane = -1; lane < kMaxLanes; ++lane)
  {
    VX_OscState& record = mSnapshots[which][lane + 1];
    osc.LaneToRecord(lane, record);
    osc.ToCyclePosition(record);
  }
}

void VX_Voice::RestartFresh(EOscillator which, float offset, int laneCount)
{
  VX_BlepOsc& osc = Slot(which).Active();
  for (int lane = -1; lane < kMaxLanes; ++lane)
  {
    // A reference at the start of its cycle, moving like the lane itself, so that the lanes
    // start lane / laneCount apart and offset from the cycle start.
    VX_OscState reference;
    osc.LaneToRecord(lane, reference);
    reference.phase = 0.0f;
    osc.RestartLane(reference, offset, false, lane, laneCount);
  }
}

void VX_Voice::RestartAgainst(EOscillator which, EOscillator reference, float offset)
{
  VX_BlepOsc& osc = Slot(which).Active();
  for (int lane = -1; lane < kMaxLanes; ++lane)
    osc.RestartLane(mSnapshots[reference][lane + 1], offset, true, lane, 0);
}

void VX_Voice::CaptureTail()
{
  for (int k = 0; k < kNumOscillators; ++k)
    Slot(static_cast<EOscillator>(k)).Active().StateToRecord(mCaptureStates[k]);

  const int lanes = mSettings->unisonCount;
  const float step = static_cast<float>(kBlock) / static_cast<float>(mFadeLength);
  float gain = 1.0f;
  int index = mTailIndex;
  for (int done = 0; done < mFadeLength; done += kBlock)
  {
    gain -= step;
    RenderOscillators(lanes);
    float left[kBlock], right[kBlock];
    if (lanes == 1)
      MixMono(0.0f, left);
    else
      MixLanes(lanes, 0.0f, 0.0f, left, right);
    for (int j = 0; j < kBlock; ++j)
    {
      // Added, not written: what remains of an unfinished fade keeps sounding out.
      mTail[0][index] += gain * left[j];
      if (lanes > 1) mTail[1][index] += gain * right[j];
      index = (index + 1) & (kTailSize - 1);
    }
  }

  // The oscillators continue from where they were, without the rendered look-ahead.
  for (int k = 0; k < kNumOscillators; ++k)
  {
    VX_BlepOsc& osc = Slot(static_cast<EOscillator>(k)).Active();
    osc.ClearBlepState();
    osc.RecordToState(mCaptureStates[k]);
  }
  mFadeCounter = 0;
}

void VX_Voice::RestartOscillators(bool keepPhase)
{
  const int lanes = mSettings->unisonCount;
  UpdateControls();
  SetOscillatorPitches();
  for (int k = 0; k < kNumOscillators; ++k)
    Slot(static_cast<EOscillator>(k)).Active().InvalidatePitchCaches();
  SetLanePitches(lanes);
  const bool sounding = mActive;

  VX_BlepOsc& sub = mSub.Active();
  if (!keepPhase)
  {
    if (sounding) CaptureTail();
    sub.SetParam(VX_SubOscSlot::kSquareWidth);
    RestartFresh(kSub, 0.0f, lanes);
    RestartFresh(kOsc1, 2.0f * Raw(kOsc1PhaseOffset), lanes);
    RestartFresh(kOsc2, 2.0f * Raw(kOsc2PhaseOffset), lanes);
    return;
  }

  // Free running, except that oscillators in whole-number frequency ratios restart in a fixed
  // phase relation, so harmonic intervals sound the same from note to note.
  const VX_BlepOsc& osc1 = mOsc1.Active();
  const VX_BlepOsc& osc2 = mOsc2.Active();
  const bool osc1Sub = osc1.IsIntegerRatio(sub.Increment());
  const bool osc2Sub = osc2.IsIntegerRatio(sub.Increment());
  const bool osc1Osc2 = osc1.IsIntegerRatio(osc2.Increment());
  if (sounding && (osc1Sub || osc2Sub || osc1Osc2)) CaptureTail();

  if (osc1Sub || osc2Sub)
  {
    sub.SetParam(VX_SubOscSlot::kSquareWidth);
    TakeSnapshots(kSub);
    RestartAgainst(kSub, kSub, 0.0f);
    TakeSnapshots(kSub);
    if (osc1Sub) RestartAgainst(kOsc1, kSub, 2.0f * Raw(kOsc1PhaseOffset));
    if (osc2Sub) RestartAgainst(kOsc2, kSub, 2.0f * Raw(kOsc2PhaseOffset));
  }
  else if (osc1Osc2)
  {
    TakeSnapshots(kOsc1);
    float w = Raw(kOsc2PhaseOffset) - Raw(kOsc1PhaseOffset);
    if (w < 0.0f) w += 1.0f;
    RestartAgainst(kOsc2, kOsc1, 2.0f * w);
  }
}
