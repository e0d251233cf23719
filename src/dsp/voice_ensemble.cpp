#include "dsp/voice_ensemble.h"

namespace
{
enum ELine
{
  kA,
  kB,
  kC,
  kD,
  kE,
  kF,
  kG,
  kH
};
} // namespace

VX_VoiceEnsemble::VX_VoiceEnsemble()
{
  SetSampleRate(44100.0f);
}

void VX_VoiceEnsemble::SetSampleRate(float sampleRate)
{
  for (VX_BlepOscTri& lfo : mLfo)
    lfo.SetSampleRate(sampleRate);
  TuneModulators(1.0f);
  for (int i = 1; i < kNumModulators; ++i)
    mLfo[i].Restart();
  for (VX_DelayLine& line : mLines)
    line.Setup(sampleRate, kCapacityMs);
  mRate = -1.0f;
}

void VX_VoiceEnsemble::SetRate(float x)
{
  if (x == mRate) return;
  mRate = x;
  TuneModulators(x);
}

void VX_VoiceEnsemble::TuneModulators(float x)
{
  // Twice the frequency: the taps sweep once per triangle period of the phase source, whose
  // phase advances two increments per sample.
  for (int i = 0; i < kNumModulators; ++i)
    mLfo[i].SetFrequency(2.0f * kModulatorHz[i] * x);
}

float VX_VoiceEnsemble::SweptPair(VX_DelayLine& plus, VX_DelayLine& minus, float centreMs,
                                  float tri, float x)
{
  const float swing = centreMs * tri;
  plus.SetDelayMs(centreMs + swing); // a tap reaching 0 ms is held at one sample
  minus.SetDelayMs(centreMs - swing);
  return plus.PushComb(x) + minus.PushComb(x);
}

void VX_VoiceEnsemble::ProcessFour(float left, float right)
{
  const float tri1 = mLfo[0].TickPoly();
  const float tri2 = mLfo[1].TickPoly();
  mLeft = SweptPair(mLines[kA], mLines[kB], 6.5f, tri1, left);
  mRight = SweptPair(mLines[kD], mLines[kC], 8.5f, tri2, right);
}

void VX_VoiceEnsemble::ProcessEight(float left, float right)
{
  const float tri1 = mLfo[0].TickPoly();
  const float tri2 = mLfo[1].TickPoly();
  const float tri3 = mLfo[2].TickPoly();
  const float tri4 = mLfo[3].TickPoly();
  mLeft = SweptPair(mLines[kA], mLines[kB], 3.5f, tri1, left) +
          SweptPair(mLines[kE], mLines[kF], 6.5f, tri3, left);
  mRight = SweptPair(mLines[kD], mLines[kC], 5.5f, tri2, right) +
           SweptPair(mLines[kH], mLines[kG], 8.5f, tri4, right);
}

void VX_VoiceEnsemble::Reset()
{
  for (VX_DelayLine& line : mLines)
    line.Clear();
  mLeft = 0.0f;
  mRight = 0.0f;
}
