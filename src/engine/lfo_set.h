#pragma once
// One object of every LFO waveform and the one in use. Objects that are not selected stand
// still, so switching back to a type resumes it from where it was.

#include "dsp/audio_oscillators.h"
#include "dsp/lfo_waveforms.h"

#include <array>

class VX_LfoSet
{
public:
  enum EType
  {
    kSine = 0,
    kTriangle,
    kSaw,
    kSawUnipolar,
    kPulse,
    kPulseUnipolar,
    kRandom,
    kNoise,
  };

  VX_LfoSet() = default;
  VX_LfoSet(const VX_LfoSet&) = delete;
  VX_LfoSet& operator=(const VX_LfoSet&) = delete;

  /** Selects the waveform of an "LFO Type" entry; unknown entries select the sine. */
  void Select(int type)
  {
    switch (type)
    {
    case kTriangle:
      mSelected = &mTriangle;
      break;
    case kSaw:
      mSelected = &mSaw;
      break;
    case kSawUnipolar:
      mSelected = &mSawUnipolar;
      break;
    case kPulse:
      mPulse.SetParam(0.0f); // a plain square
      mSelected = &mPulse;
      break;
    case kPulseUnipolar:
      mSelected = &mPulseUnipolar;
      break;
    case kRandom:
      mSelected = &mRandom;
      break;
    case kNoise:
      mSelected = &mNoise;
      break;
    default:
      mSelected = &mSine;
      break;
    }
  }

  void SetSampleRate(float rate)
  {
    for (VX_BlepOsc* lfo : All())
      lfo->SetSampleRate(rate);
  }

  /** Every waveform back to the start of its cycle (a state load). */
  void RestartAll()
  {
    for (VX_BlepOsc* lfo : All())
      lfo->Restart();
  }

  VX_BlepOsc& Selected() { return *mSelected; }

private:
  std::array<VX_BlepOsc*, 8> All()
  {
    return {&mSine, &mTriangle, &mSaw, &mSawUnipolar, &mPulse, &mPulseUnipolar, &mRandom, &mNoise};
  }

  VX_BlepOscSine mSine;
  VX_BlepOscTri mTriangle;
  VX_BlepOscSaw mSaw;
  VX_BlepOscSawUnipolar mSawUnipolar;
  VX_BlepOscPWM mPulse;
  VX_BlepOscPulseUnipolar mPulseUnipolar;
  VX_BlepOscRND mRandom;
  VX_BlepOscNoiseLFO mNoise;
  VX_BlepOsc* mSelected = &mSine;
};
