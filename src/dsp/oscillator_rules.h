#pragma once
// The per-sample rules of the BLEP waveforms, written once and shared by every render form
// through blep_render.h. Internal to src/dsp: included by the files that instantiate them.
//
// inc = increment, inc2 = second (slave) increment; f is the fraction of the sample elapsed
// since a discontinuity.

#include "dsp/blep_osc.h"

/** Triangle level at a half-cycle phase: falling after a peak, rising after a trough. */
inline float TriangleLevel(float phase, float direction)
{
  return direction < 0.0f ? 1.0f - 2.0f * phase : 2.0f * phase - 1.0f;
}

struct VX_TriRule
{
  explicit VX_TriRule(const VX_BlepOsc&) {}
  float Naive(const VX_OscPhase& s) const { return s.value; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.value += s.increment * s.direction;
    s.phase += s.increment;
    while (s.phase >= 1.0f)
    {
      s.phase -= 1.0f;
      s.direction = -s.direction;
      s.value = TriangleLevel(s.phase, s.direction);
      const float corner = s.direction < 0.0f ? -4.0f * s.increment : 4.0f * s.increment;
      c.Ramp(s.phase / s.increment, corner);
    }
  }
};

struct VX_SawRule
{
  explicit VX_SawRule(const VX_BlepOsc&) {}
  float Naive(const VX_OscPhase& s) const { return s.phase; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.phase += s.increment;
    while (s.phase >= 1.0f)
    {
      s.phase -= 2.0f;
      c.Step((s.phase + 1.0f) / s.increment, -2.0f);
    }
  }
};

struct VX_PulseRule
{
  float w;
  explicit VX_PulseRule(float width) : w(width) {}
  explicit VX_PulseRule(const VX_BlepOsc& osc) : w(osc.Param()) {}
  float Naive(const VX_OscPhase& s) const { return s.direction + w; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.phase += s.increment;
    while (s.phase >= 1.0f)
    {
      s.direction = -s.direction;
      s.phase -= 1.0f;
      const float f = s.phase / s.increment;
      if (s.direction < 0.0f)
      {
        c.Step(f, -2.0f);
        s.phase -= w;
      }
      else
      {
        c.Step(f, 2.0f);
        s.phase += w;
      }
    }
  }
};

// Sync pulse: phase = master [0, 1), value = slave [0, 1), direction = pulse state.
struct VX_PulseSyncRule
{
  explicit VX_PulseSyncRule(const VX_BlepOsc&) {}
  float Naive(const VX_OscPhase& s) const { return s.direction; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.value += s.secondIncrement;
    s.phase += s.increment;
    Wrap(s, c);
  }
  template <class C>
  static void Wrap(VX_OscPhase& s, C& c)
  {
    while (s.value >= 1.0f || s.phase >= 1.0f)
    {
      const float fs = (s.value - 1.0f) / s.secondIncrement;
      const float fm = (s.phase - 1.0f) / s.increment;
      if (fs >= fm) // the slave crossed first (ties included)
      {
        s.value -= 1.0f;
        s.direction = -s.direction;
        c.Step(fs, s.direction < 0.0f ? -2.0f : 2.0f);
      }
      else
      {
        s.phase -= 1.0f;
        s.value = s.secondIncrement * s.phase / s.increment; // slave restarts, time since
        if (s.direction > 0.0f)
        {
          s.direction = -1.0f;
          c.Step(fm, -2.0f);
        }
      }
    }
  }
};

// Sync saw: phase = master [0, 2), value = slave level [-1, 1).
struct VX_SawSyncRule
{
  explicit VX_SawSyncRule(const VX_BlepOsc&) {}
  float Naive(const VX_OscPhase& s) const { return s.value; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.value += s.secondIncrement;
    s.phase += s.increment;
    Wrap(s, c);
  }
  template <class C>
  static void Wrap(VX_OscPhase& s, C& c)
  {
    while (s.value >= 1.0f || s.phase >= 2.0f)
    {
      const float fs = (s.value - 1.0f) / s.secondIncrement;
      const float fm = (s.phase - 2.0f) / s.increment;
      if (fs >= fm)
      {
        s.value -= 2.0f;
        c.Step(fs, -2.0f);
      }
      else
      {
        s.phase -= 2.0f;
        const float restart = s.secondIncrement * s.phase / s.increment; // level 0 + time since
        c.Step(fm, restart - s.value);
        s.value = restart;
      }
    }
  }
};

// Saw to pulse: phase = half cycle [0, 1), value = ramp, direction -1 first half, +1 second.
struct VX_VariableRule
{
  float w;
  explicit VX_VariableRule(const VX_BlepOsc& osc) : w(osc.Param()) {}
  float Naive(const VX_OscPhase& s) const { return (1.0f - w) * s.value + w * s.direction; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.value += s.increment;
    s.phase += s.increment;
    while (s.phase >= 1.0f)
    {
      s.direction = -s.direction;
      s.phase -= 1.0f;
      const float f = s.phase / s.increment;
      if (s.direction < 0.0f)
      {
        c.Step(f, -2.0f); // ramp and square fall together
        s.value = s.phase - 1.0f;
      }
      else
      {
        c.Step(f, 2.0f * w); // only the square rises
        s.value = s.phase;
      }
    }
  }
};

// Unipolar saw: the phase is the level, [0, 2).
struct VX_SawUnipolarRule
{
  explicit VX_SawUnipolarRule(const VX_BlepOsc&) {}
  float Naive(const VX_OscPhase& s) const { return s.phase; }
  template <class C>
  void Advance(VX_OscPhase& s, C& c) const
  {
    s.phase += s.increment;
    while (s.phase >= 2.0f)
    {
      s.phase -= 2.0f;
      c.Step(s.phase / s.increment, -2.0f);
    }
  }
};

// Unipolar pulse: the square of the pulse at width 0 (the tick adds the offset).
struct VX_PulseUnipolarRule : VX_PulseRule
{
  explicit VX_PulseUnipolarRule(const VX_BlepOsc&) : VX_PulseRule(0.0f) {}
};
