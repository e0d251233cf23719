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

void VX_Voice::Init(const VX_ParamSlot* slots, const VX_EngineSettings* settings)
{
  mSlots = slots;
  mSettings = settings;
}

float VX_Voice::Target(int index) const
{
  return mSlots[index].target;
}

float VX_Voice::Raw(int index) const
{
  return mSlots[index].Raw();
}

void VX_Voice::SetSampleRate(float rate)
{
  mGlideA.SetSampleRate(rate);
  mGlideB.SetSampleRate(rate);
  mAmpEnv.SetSampleRate(rate);
  mFilterEnv.SetSampleRate(rate);
  mLfo1Ramp.SetSampleRate(rate);
}

void VX_Voice::NoteOn(int note, int velocity, int pitchTo)
{
  const VX_EngineSettings& s = *mSettings;
  mNote = note;
  mPitchToNote = pitchTo == -1 ? note : pitchTo;
  mVelocity = velocity / 128.0f;
  const float transpose = Target(kTranspose);
  mPitch = std::clamp(note / 128.0f + transpose, 0.0f, 1.0f);
  mSecondPitch = std::clamp(mPitchToNote / 128.0f + transpose, -1.0f, 1.0f);

  bool glide = false;
  if (s.arpMode == VX_Arpeggiator::kSeqRecord || (s.arpMode == VX_Arpeggiator::kSeqPlayPoly && s.polyphony > 1))
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
      if (!(keepsEnvelopes && mGate))
        Trigger(false);
    }
    else
    {
      Trigger(!mActive);
    }
    if (s.polyphony == 1)
      glide = mGate ? s.glideMode != kGlideOff : s.glideMode == kGlideOn;
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
}

void VX_Voice::RetriggerForStep(float transposition)
{
  const int mode = mSettings->glideMode;
  if (mode != kGlideAuto && mode != kGlideOn)
    Trigger(false);
  if (mode == kGlideOff)
    mGlideA.followers[0] = transposition + mPitch;
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
  default:
    break;
  }
}
