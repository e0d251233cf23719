#pragma once
// The voice filters: three-pole (18 dB per octave) resonant low-passes and a band-pass built from
// one-pole stages s += g·(input - s), and the first-order all-pass of the phase delays.
//
// A voice owns one filter of each type and processes the active one through a VX_FilterBase
// pointer, one virtual call per block of four oversampled samples (mono, or two channels for
// stereo unison). The resonance loop feeds back the high-pass part of the third stage (s3 - s4)
// positively, so resonance leaves the pass band at unity gain; the loop's self-oscillation point
// is r = 1 at every cutoff because the feedback gain is k = r·(2 - g)/(1 - g).
//
// Cutoffs are normalized pitches x = note / 128, looked up in 2048-point tables over notes
// -1024 ... 1023; a one-pole coefficient g = 2·sin(2·pi·f(note) / rate) puts the resonant peak at
// twice the note's frequency.
//
// Thread contract: audio thread. SetSampleRate evaluates a few thousand transcendental
// functions: call it on a rate change only.

#include "dsp/cutoff_table.h"

/** Resonance limit shape of one filter type (see BuildTables). */
struct VX_ResonanceShape
{
  float base;  // limit at and above note 122
  float span;  // the limit grows by up to span toward note 0
  float scale; // resonance 0 ... 1 maps to r = resonance · scale before the limit
};

/** State of one channel: the four poles and LP1's saturated third stage z. */
struct VX_LadderState
{
  float s1 = 0.0f;
  float s2 = 0.0f;
  float s3 = 0.0f;
  float s4 = 0.0f;
  float z = 0.0f;
};

/**
 * Drive settings shared by all voices' LP2 filters of one engine. The engine brings it up to date
 * through any LP2 filter's UpdateDrive before the voices render.
 */
struct VX_FilterDrive
{
  static constexpr float kAmountUnset = 1.0001f;      // at construction
  static constexpr float kAmountRateChanged = 1.001f; // after a filter's sample rate changed

  float amount = kAmountUnset; // drive amount d (0 ... 1) the gains below were made for
  float inputGain = 1.0f;
  float outputGain = 1.0f;
  float postCoefficient = 0.0f; // post-filter coefficient; 0 (silence) until the first update
};

class VX_FilterBase
{
public:
  static constexpr int kBlockSize = 4;
  static constexpr int kTableSize = 2048; // plus one guard entry

  virtual ~VX_FilterBase() = default;
  VX_FilterBase(const VX_FilterBase&) = delete;
  VX_FilterBase& operator=(const VX_FilterBase&) = delete;

  /** Rebuilds the tables for the (oversampled) rate and clears the state; the coefficients keep
   * their old values until the next SetParams. */
  void SetSampleRate(float sampleRate);
  /** Cutoff as a normalized pitch (held inside -8 ... 8), resonance 0 ... 1; cached. */
  void SetParams(float cutoff, float resonance);
  /** Silences the filter: every state to 0. */
  void ClearState();

  /** One voice's four-sample block(s), filtered in place; mono voices use left only. */
  struct VoiceBlock
  {
    VX_FilterBase* filter;
    float* left;
    float* right;
  };
  static constexpr int kMaxVoices = 8;

  /**
   * Filters the blocks of up to kMaxVoices voices whose filters all have this object's type, in
   * one pass. The recursions of different voices are independent, so running them side by side
   * lets the processor overlap their latencies; each voice's result is exactly what filtering it
   * alone gives. With driven, LP2 runs its drive path and the other types their plain one.
   */
  virtual void ProcessVoices(const VoiceBlock* voices, int count, bool stereo, bool driven) = 0;

  // One voice's block(s); an output may be the same buffer as its input.
  void ProcessBlock(const float* in, float* out);
  void ProcessStereoBlock(const float* inA, const float* inB, float* outA, float* outB);
  /** With "Filter Drive Active": LP2 runs its drive path, the other types as ProcessBlock. */
  void ProcessBlockDriven(const float* in, float* out);
  void ProcessStereoBlockDriven(const float* inA, const float* inB, float* outA, float* outB);

  float SampleRate() const { return mSampleRate; }

protected:
  explicit VX_FilterBase(VX_ResonanceShape shape);

  /** Runs tick(withFeedback, coefficients, state, x) over the ladder recursions of voices, in
   *  place; withFeedback is std::false_type when no voice has resonance. */
  template <class Tick>
  static void RunLadders(const VoiceBlock* voices, int count, bool stereo, Tick tick);

  /** Clears state a subclass adds (LP2's post-filters). */
  virtual void ResetExtra() {}
  /** Rebuilds what a subclass derives from the sample rate (LP2's post-filter tables). */
  virtual void OnSampleRateChanged() {}

  // Coefficients from SetParams, shared by both channels.
  float mG = 0.0f;     // one-pole coefficient
  float mK = 0.0f;     // feedback gain
  float mCurve = 1.5f; // LP1's saturation curve c, which follows the resonance
  // Channel state; the mono path runs on channel B, so a change between mono and stereo
  // processing continues channel B without a step.
  VX_LadderState mState[2];

private:
  void BuildTables();

  VX_ResonanceShape mShape;
  float mCachedCutoff = -1.0f;
  float mCachedResonance = -1.0f;
  float mSampleRate = 0.0f;
  float mCoefficientTable[kTableSize + 1]; // G: one-pole coefficient per note
  float mLimitTable[kTableSize + 1];       // R: largest r per note
};

/** "FILTER LP1": soft saturation whose curve hardens with the resonance. */
class VX_Filter18dBLP_Smooth final : public VX_FilterBase
{
public:
  VX_Filter18dBLP_Smooth();

  void ProcessVoices(const VoiceBlock* voices, int count, bool stereo, bool driven) override;
};

/** "FILTER LP2": stronger resonance with a fixed saturation curve, and the drive path. */
class VX_Filter18dBLP_Raw final : public VX_FilterBase
{
public:
  static constexpr float kPostLowHz = 4000.0f;
  static constexpr float kPostHighHz = 21000.0f;

  VX_Filter18dBLP_Raw();

  /** Shares the engine's drive record (by default each filter has a record of its own). */
  void SetDriveRecord(VX_FilterDrive& drive) { mDrive = &drive; }
  const VX_FilterDrive& DriveRecord() const { return *mDrive; }
  /**
   * Brings the drive record to drive amount d (0 ... 1): input gain 1 + d, output gain
   * 1 + 4.25·d, post-filter at (1 - d)²·17000 + 4000 Hz. Returns at once when the record already
   * holds d.
   */
  void UpdateDrive(float drive);

  void ProcessVoices(const VoiceBlock* voices, int count, bool stereo, bool driven) override;

private:
  void ResetExtra() override;
  void OnSampleRateChanged() override;

  VX_CutoffTable mPost[2]; // state-variable post-filters of the drive path, one per channel
  VX_FilterDrive mOwnDrive;
  VX_FilterDrive* mDrive = &mOwnDrive;
};

/** "FILTER BP": the third stage is fed with the high-pass part of the first two. */
class VX_Filter18dBBP_Smooth final : public VX_FilterBase
{
public:
  VX_Filter18dBBP_Smooth();

  void ProcessVoices(const VoiceBlock* voices, int count, bool stereo, bool driven) override;
};

/**
 * First-order all-pass sections for the phase delays, one sample at a time at the host rate.
 * The coefficient a comes from a note table (SetParams) or from another all-pass
 * (GetCoefficient / SetCoefficient).
 */
class VX_FilterAllPass
{
public:
  static constexpr int kTableSize = VX_FilterBase::kTableSize;
  static constexpr float kMaxCoefficient = 1.4f;

  VX_FilterAllPass();

  /** Rebuilds the table, invalidates the cache and clears the state. */
  void SetSampleRate(float sampleRate);
  /** a = 2·sin(2·pi·f(note) / rate), clamped to 0 ... 1.4; cutoff is a normalized pitch. */
  void SetParams(float cutoff);
  float GetCoefficient() const { return mA; }
  void SetCoefficient(float a) { mA = a; }
  void ClearState();

  /** (a + z^-1) / (1 + a·z^-1), with a held inside the stable range. */
  float ProcessSample(float x);
  /** Two such sections in series with coefficient b. */
  float ProcessTwoStage(float x, float b);
  /** Two sections (z^-1 - d) / (1 - d·z^-1), d = 1 - a, around which the output is fed back
   * negatively (feedback fb, one sample late). */
  float ProcessTwoStageFeedback(float x, float fb);
  /** Two feedback pairs as above in series, each with feedback fb. */
  float ProcessFourStageFeedback(float x, float fb);

private:
  float mA = 0.0f;
  float mCachedCutoff = -1.0f;
  float mS[4] = {}; // section states
  float mY2 = 0.0f; // output of the first pair, previous sample
  float mY4 = 0.0f; // output of the second pair, previous sample
  float mTable[kTableSize + 1];
};
