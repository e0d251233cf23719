#pragma once
// Portamento follower settings; the voice steps the followers itself every sample.

#include "dsp/smoothing.h"

struct VX_Glide
{
  float coefficient = 1.0f;
  float timeMs = 1000.0f;
  float followers[3] = {};
  float sampleRate = 44100.0f;

  VX_Glide() { SetTime(timeMs); }

  void SetTime(float ms)
  {
    timeMs = ms;
    coefficient = OnePoleCoefficient(ms, sampleRate);
  }

  void SetSampleRate(float rate)
  {
    sampleRate = rate;
    SetTime(timeMs);
    followers[0] = followers[1] = followers[2] = 0.0f;
  }

  /** One follower step toward target; the tiny offset keeps the follower out of denormals. */
  static float Step(float& follower, float target, float coefficient)
  {
    follower += (target - follower) * coefficient + 1e-18f;
    return follower;
  }
};
