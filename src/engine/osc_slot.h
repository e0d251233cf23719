#pragma once
// One oscillator place of a voice (osc1, osc2 or the sub): the object of every waveform it can
// play, held by value, and the one in use. Switching carries the phase over through the
// waveform-neutral cycle position, so a type change does not restart the cycle.

#include "dsp/audio_oscillators.h"

#include <array>

class VX_OscSlot
{
public:
  static constexpr int kMaxTypes = 6;

  VX_OscSlot() = default;
  VX_OscSlot(const VX_OscSlot&) = delete;
  VX_OscSlot& operator=(const VX_OscSlot&) = delete;

  /** Installs the object of waveform type (an index into the place's list). */
  void SelectType(int type);
  /** A disabled place runs the silent oscillator, which keeps the phase moving. */
  void SetEnabled(bool enabled);

  VX_BlepOsc& Active() { return *mActive; }
  const VX_BlepOsc& Active() const { return *mActive; }
  int Type() const { return mType; }
  /** Every object of the place, the silent one last. */
  template <class F>
  void ForEach(F f)
  {
    for (int i = 0; i < mNumTypes; ++i)
      f(*mTypes[i]);
    f(*mOff);
  }

protected:
  void Init(std::initializer_list<VX_BlepOsc*> types, VX_BlepOsc* off);

private:
  void Install(VX_BlepOsc& next);

  std::array<VX_BlepOsc*, kMaxTypes> mTypes{};
  int mNumTypes = 0;
  VX_BlepOsc* mOff = nullptr;
  VX_BlepOsc* mActive = nullptr;
  int mType = 0;
};

/** Osc1 or osc2: "Triangle", "Saw", "Pulse", "Sync Pulse", "Sync Saw", "Saw to Pulse". */
class VX_MainOscSlot : public VX_OscSlot
{
public:
  VX_MainOscSlot() { Init({&mTri, &mSaw, &mPulse, &mPulseSync, &mSawSync, &mVariable}, &mOff); }

private:
  VX_BlepOscTri mTri;
  VX_BlepOscSaw mSaw;
  VX_BlepOscPWM mPulse;
  VX_BlepOscPulseSync mPulseSync;
  VX_BlepOscSawSync mSawSync;
  VX_BlepOscVariable mVariable;
  VX_BlepOscOff mOff;
};

/** The sub oscillator: "Triangle", "Saw", "Square" (a pulse just off square). */
class VX_SubOscSlot : public VX_OscSlot
{
public:
  static constexpr float kSquareWidth = 0.05f; // 47.5 % high time

  VX_SubOscSlot() { Init({&mTri, &mSaw, &mSquare}, &mOff); }

private:
  VX_BlepOscTri mTri;
  VX_BlepOscSaw mSaw;
  VX_BlepOscPWM mSquare;
  VX_BlepOscOff mOff;
};
