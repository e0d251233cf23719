#pragma once
// Waveforms that only run one sample at a time at the host rate (LFOs and effect modulators):
// unipolar saw and pulse, sample-and-hold random, noise, and the fixed-point sine.

#include "dsp/add_xor_random.h"
#include "dsp/blep_osc.h"

#include <cstdint>

struct VX_SawUnipolarRule;
struct VX_PulseUnipolarRule;

extern template class VX_BlepOscRendered<VX_SawUnipolarRule, kRenderTicks>;
extern template class VX_BlepOscRendered<VX_PulseUnipolarRule, kRenderTicks>;

/** Saw rising through [0, 2), falling back to 0 once per phase advance of 2. */
class VX_BlepOscSawUnipolar final : public VX_BlepOscRendered<VX_SawUnipolarRule, kRenderTicks>
{
public:
  VX_BlepOscSawUnipolar();
};

/** Square between 0 and 2; LastOutput keeps the bipolar value (-1 or +1). */
class VX_BlepOscPulseUnipolar final : public VX_BlepOscRendered<VX_PulseUnipolarRule, kRenderTicks>
{
public:
  VX_BlepOscPulseUnipolar();
  float TickPoly() override;
  float TickTable() override;
};

/** Sample and hold: a new value in [-2, 2) each time the phase passes 2. */
class VX_BlepOscRND final : public VX_BlepOsc
{
public:
  VX_BlepOscRND();
  /** Draws and holds a new value and starts the phase at 0. */
  void Restart() override;
  float TickPoly() override { return Tick(); }
  float TickTable() override { return Tick(); }

private:
  float Tick();

  VX_AddXorRandom mRandom;
  float mHeld = 0.0f;
};

/** White noise, a new value every tick (means -0.4 polynomial, +0.5 table). */
class VX_BlepOscNoiseLFO final : public VX_BlepOsc
{
public:
  VX_BlepOscNoiseLFO();
  /** Starts a new sequence. */
  void Restart() override;
  float TickPoly() override;
  float TickTable() override;

private:
  VX_AddXorRandom mRandom;
};

/** Sine table read with a 32-bit fixed-point phase (11 bits index, 21 bits fraction). */
class VX_WaveTableSine
{
public:
  static constexpr int kTableSize = 2048;

  VX_WaveTableSine() { Build(44100.0f); }
  /** Rebuilds the pitch table for sampleRate and invalidates the pitch cache. */
  void Build(float sampleRate);
  /** Pitch x in normalised units; the sine sounds at 220 * 2^((128x - 69) / 12) Hz. */
  void SetPitch(float x);
  void SetFrequency(float hz);
  float Tick();
  void Restart() { mPhase = 0; }
  uint32_t Increment() const { return mIncrement; }

private:
  /** Cycles per sample for a normalised pitch. */
  float PitchToCycles(float x) const;

  float mInterpolationScale = 0.0f;
  float mSine[kTableSize + 1] = {};
  uint32_t mPitchIncrement[VX_BlepOsc::kPitchTableSize] = {};
  float mSampleRate = 0.0f;
  float mTableRate = 0.0f; // 2048 * 440 / sample rate
  float mCache = 0.0f;
  uint32_t mIncrement = 0;
  uint32_t mPhase = 0;
};

/** Sine LFO and effect modulator; its own wavetable phase, not the shared state. */
class VX_BlepOscSine final : public VX_BlepOsc
{
public:
  VX_BlepOscSine();
  void Restart() override { mTable.Restart(); }
  void SetPitch(float x) override { mTable.SetPitch(x); }
  void SetFrequency(float hz) override { mTable.SetFrequency(hz); }
  float TickPoly() override { return mLastOutput = mTable.Tick(); }
  float TickTable() override { return mLastOutput = mTable.Tick(); }
  const VX_WaveTableSine& Table() const { return mTable; }

protected:
  void OnSampleRateChanged(float sampleRate) override { mTable.Build(sampleRate); }

private:
  VX_WaveTableSine mTable;
};
