#pragma once
// One synthesizer voice: its note, gate and pitch, glides, envelopes and (later) signal path.
//
// Audio thread only.

#include "engine/envelope.h"
#include "engine/glide.h"

struct VX_EngineSettings;
struct VX_ParamSlot;

class VX_Voice
{
public:
  void Init(const VX_ParamSlot* slots, const VX_EngineSettings* settings);
  void SetSampleRate(float rate);

  /** Starts note (pitchTo: the note for oscillators not following the arpeggiator, -1 = note). */
  void NoteOn(int note, int velocity, int pitchTo);
  /** Restarts the envelopes toward their velocity peaks, from 0 when resetLevels. */
  void Trigger(bool resetLevels);
  /** A sequencer step retransposes the held chord: envelopes restart unless the glide mode keeps
   *  them, and without glide the pitch jumps to the new transposition. */
  void RetriggerForStep(float transposition);
  /** Key up: gate off and both envelopes into release. */
  void Release();
  /** Applies parameter or internal slot index; raw is the real value, target the slot target. */
  void SetVoiceParameter(int index, float raw, float target);

  bool IsActive() const { return mActive; }
  bool Gate() const { return mGate; }
  int Note() const { return mNote; }
  int PitchToNote() const { return mPitchToNote; }
  float Pitch() const { return mPitch; }
  float SecondPitch() const { return mSecondPitch; }
  float Velocity() const { return mVelocity; }
  float LastAmplitude() const { return mLastAmplitude; }
  const VX_Envelope& AmpEnvelope() const { return mAmpEnv; }
  const VX_Envelope& FilterEnvelope() const { return mFilterEnv; }
  const VX_Glide& GlideA() const { return mGlideA; }
  const VX_Glide& GlideB() const { return mGlideB; }

private:
  float Target(int index) const;
  float Raw(int index) const;

  const VX_ParamSlot* mSlots = nullptr;
  const VX_EngineSettings* mSettings = nullptr;

  bool mActive = false;
  bool mGate = false;
  int mNote = -1;
  int mPitchToNote = -1;
  float mLastAmplitude = 0.0f;
  float mPitch = 0.0f;       // pitch units, 0..1
  float mSecondPitch = 0.0f; // pitch units, -1..1
  float mVelocity = 0.0f;    // MIDI velocity / 128
  VX_Glide mGlideA;
  VX_Glide mGlideB;
  VX_Envelope mAmpEnv;
  VX_Envelope mFilterEnv;
  VX_Envelope mLfo1Ramp;
};
