#pragma once
// One synthesizer voice: note, gate and pitch; glides, envelopes, LFO1 and drift; and the signal
// path of oscillators, mixer, de-click cross-fade and filter at four times the host rate.
//
// Audio thread only.

#include "dsp/add_xor_random.h"
#include "dsp/filters.h"
#include "engine/drift.h"
#include "engine/envelope.h"
#include "engine/glide.h"
#include "engine/lfo_set.h"
#include "engine/osc_slot.h"

#include <array>

struct VX_EngineSettings;
struct VX_ParamSlot;

class VX_Voice
{
public:
  static constexpr int kBlock = VX_BlepOsc::kBlockSize; // oversampled samples per host sample
  static constexpr int kTailSize = 1024;
  static constexpr int kMaxLanes = VX_BlepOsc::kMaxLanes;

  enum EOscillator
  {
    kOsc1 = 0,
    kOsc2,
    kSub,
    kNumOscillators
  };

  /** Modulation sources in the numbering of the source parameters, plus the cutoff value. */
  enum ESource
  {
    kSourceNone = 0,
    kSourceLfo1,
    kSourceLfo2,
    kSourceLfo1PlusLfo2,
    kSourceAmpEnvelope,
    kSourceFilterEnvelope,
    kSourceLfo1Delay,
    kSourceLfo2Delay,
    kSourceCutoff,
    kNumSources
  };

  VX_Voice() = default;
  VX_Voice(const VX_Voice&) = delete;
  VX_Voice& operator=(const VX_Voice&) = delete;

  void Init(const VX_ParamSlot* slots, const VX_EngineSettings* settings, VX_FilterDrive& drive);
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
  /** Swaps an oscillator for the silent one (or back) when its level becomes 0 (or positive). */
  void SetOscillatorEnabled(EOscillator which, bool enabled);
  /** Silences at once and forgets every running state (a state load). */
  void Reset();

  // One host sample, in three steps so that the voice manager can filter all voices in one pass:
  /** Modulation, oscillators, mixer and de-click fade; returns the block(s) for the filter. */
  VX_FilterBase::VoiceBlock RenderUnfiltered();
  /** Adds the filtered block(s) times the amplitude envelope into the four-sample mix buffers
   *  (both buffers when unison is off). */
  void AddFiltered(float* __restrict mixLeft, float* __restrict mixRight);
  /** Brings the drive record shared by every voice's LP2 filter to drive amount d. */
  void UpdateDrive(float d) { mFilterLP2.UpdateDrive(d); }
  /** Control-rate step of the drift generators. */
  void UpdateDrift(float amount);

  bool IsActive() const { return mActive; }
  bool Gate() const { return mGate; }
  int Note() const { return mNote; }
  float Pitch() const { return mPitch; }
  float LastAmplitude() const { return mLastAmplitude; }
  const VX_Envelope& AmpEnvelope() const { return mAmpEnv; }
  const VX_Envelope& FilterEnvelope() const { return mFilterEnv; }
  const VX_Glide& GlideA() const { return mGlideA; }

private:
  float Target(int index) const;
  float Raw(int index) const;
  float Current(int index) const;
  VX_OscSlot& Slot(EOscillator which);
  VX_FilterBase& ActiveFilter() { return *mFilters[mFilterType]; }

  void UpdateSources();
  void UpdateControls();
  void SetOscillatorPitches();
  void SetLanePitches(int laneCount);
  void RenderOscillators(int laneCount);
  void MixMono(float noise, float* __restrict out);
  void MixLanes(int laneCount, float noiseLeft, float noiseRight, float* __restrict left,
                float* __restrict right);
  void CrossFade(float* __restrict block, float* __restrict tail, int& index);
  void RenderMono();
  void RenderUnison();

  // Restarts: a fresh note cross-fades from a short tail of the old sound.
  void RestartOscillators(bool keepPhase);
  void CaptureTail();
  void TakeSnapshots(EOscillator which);
  void RestartFresh(EOscillator which, float offset, int laneCount);
  void RestartAgainst(EOscillator which, EOscillator reference, float offset);

  const VX_ParamSlot* mSlots = nullptr;
  const VX_EngineSettings* mSettings = nullptr;

  // Note and allocation state.
  bool mActive = false;
  bool mGate = false;
  int mNote = -1;
  float mLastAmplitude = 0.0f;
  float mPitch = 0.0f;       // pitch units, 0..1
  float mSecondPitch = 0.0f; // pitch units, -1..1
  float mVelocity = 0.0f;    // MIDI velocity / 128
  VX_Glide mGlideA;
  VX_Glide mGlideB;
  VX_Envelope mAmpEnv;
  VX_Envelope mFilterEnv;
  VX_Envelope mLfo1Ramp;

  // Modulation.
  std::array<float, kNumSources> mSources{};
  float mOsc1PitchMod = 0.0f, mOsc1ParamMod = 0.0f;
  float mOsc2PitchMod = 0.0f, mOsc2ParamMod = 0.0f;
  float mFilterMod = 0.0f;
  VX_LfoSet mLfo1;
  VX_Drift mDrift[3]; // osc1 and sub pitch, osc2 pitch, cutoff

  // Oscillator inputs, refreshed every sample.
  float mPitches[kNumOscillators] = {};
  float mOsc1Param = 0.0f, mOsc2Param = 0.0f;
  float mLevelOsc1 = 0.0f, mLevelOsc2 = 0.0f, mLevelSub = 0.0f, mLevelNoise = 0.0f,
        mLevelRing = 0.0f;
  float mDetune = 0.0f;
  float mKeyTracking = 0.0f;

  VX_MainOscSlot mOsc1;
  VX_MainOscSlot mOsc2;
  VX_SubOscSlot mSub;
  // Per oscillator: the main state and the six lanes as cycle positions, the references of
  // phase-locked restarts; and the whole state kept across a tail capture.
  VX_OscState mSnapshots[kNumOscillators][kMaxLanes + 1];
  VX_OscState mCaptureStates[kNumOscillators];

  VX_Filter18dBLP_Smooth mFilterLP1;
  VX_Filter18dBLP_Raw mFilterLP2;
  VX_Filter18dBBP_Smooth mFilterBP;
  std::array<VX_FilterBase*, 3> mFilters{&mFilterLP1, &mFilterLP2, &mFilterBP};
  int mFilterType = 0;

  VX_AddXorRandom mNoise;

  // De-click cross-fade: the old sound's faded tail, added while the new sound fades in.
  alignas(16) float mTail[2][kTailSize] = {};
  int mTailIndex = 0;
  int mFadeCounter = 21;
  int mFadeLength = 20;

  alignas(16) float mMixLeft[kBlock] = {};
  alignas(16) float mMixRight[kBlock] = {};
};
