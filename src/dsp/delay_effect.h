#pragma once
// VX_DelayEffect: the stereo delay at the end of the signal chain, one stereo sample per call at
// the host rate, with six delay types:
//   "DELAY"          two modulated lines, negative feedback through a low-pass;
//   "PING PONG"      a mono sum bouncing from the left line into the right and back;
//   "DIFF DELAY"     four all-pass branches per side, cross-coupled, the left 30 ms later;
//   "TAPE DELAY"     band-passed, softly saturating loops around the TONE frequency;
//   "PHASE DELAY 1"  a four-stage phaser, then a feedback comb;
//   "PHASE DELAY 2"  as 1, with the left and right phasers swept in opposite directions.
// The delay time glides with a 2/3 Hz one-pole of its own, so time changes bend the pitch of the
// repeats instead of jumping.
//
// Thread contract: audio thread. Construction and SetSampleRate allocate the delay lines and
// must run outside processing; Process, SetTone and Reset never allocate.

#include "dsp/audio_oscillators.h"
#include "dsp/cutoff_table.h"
#include "dsp/delay_line.h"
#include "dsp/filters.h"
#include "dsp/lfo_waveforms.h"

/** The "Delay Type" list, in parameter order. */
enum class EDelayType : int
{
  kDelay = 0,
  kPingPong = 1,
  kDiffDelay = 2,
  kTapeDelay = 3,
  kPhaseDelay1 = 4,
  kPhaseDelay2 = 5
};

/** What the effect reads each sample: the smoothed current values of the engine's slots. */
struct VX_DelayControls
{
  int type = 1;          // "Delay Type" index 0 ... 5; a change clears the effect
  float timeMs = 300.0f; // delay time T (slot 106), before the effect's own glide
  float feedback = 0.0f; // feedback g: "FX Param 2" x 0.95, held in [0, 0.95]
  float depth = 0.0f;    // modulation depth: "FX Param 3", 0 ... 1
  float rate = 0.0f;     // "FX Param 4": the phase delays' sweep rate, 0 ... 1 (x 7 Hz)
  float mix = 0.0f;      // "FX Mix" / 100; at 0 the effect is bypassed
  float dryGain = 1.0f;  // slot 98, sin((1 - mix) pi/2)
  float wetGain = 0.0f;  // slot 99, sin(mix pi/2)
};

class VX_DelayEffect
{
public:
  static constexpr int kNumTypes = 6;
  // Longest line: a synced "1/1" (4 beats) down to 60 beats per minute, and "FX Time" at its
  // 2000 ms with the widest "DIFF DELAY" branch (1.285 T + 2 ms). Longer times are held at that
  // reach.
  static constexpr float kMaxDelayMs = 4000.0f;
  static constexpr float kMaxFeedback = 0.95f;
  static constexpr float kLeftOffsetMs = 30.0f; // "DIFF DELAY" left channel

  /** Builds every member at 44100 Hz, cleared. */
  VX_DelayEffect();

  /** Allocates the lines for the rate, retunes filters and modulators, then Reset. */
  void SetSampleRate(float sampleRate);
  /** Silences the effect: outputs, branch outputs, filter states, lines. */
  void Reset();
  /** "FX Param 4" as it changes (raw, not smoothed): cutoff of the loop low-passes ("LP") and
   *  tape band-passes ("TONE"), 0 ... 1 linear in hertz across each filter's range. */
  void SetTone(float value);

  /**
   * One stereo sample in place. With c.mix at 0 (or NaN) the pair passes bit for bit and no
   * state moves; otherwise pair = dryGain * pair + wetGain * delayed pair. A type other than
   * the previous call's clears the effect first.
   */
  void Process(float& left, float& right, const VX_DelayControls& c);

  /** The delay time after the glide, in milliseconds. */
  double SmoothedTimeMs() const { return mSmoothedTime; }

private:
  static constexpr int kBranches = 4;

  /** Target time and feedback for this sample; every line's gain becomes g. */
  void SetFeedbackAndTime(float timeMs, float g);
  // One sample of each type into the wet outputs; t is the glided delay time in ms.
  void ProcessDelay(float left, float right, float t, float depth);
  void ProcessPingPong(float left, float right, float t, float depth);
  void ProcessDiffDelay(float left, float right, float t, float depth);
  void ProcessTapeDelay(float left, float right, float t, float depth);
  void ProcessPhaseDelay(float left, float right, float t, float depth, float rate, bool opposite);

  float mWetLeft = 0.0f;
  float mWetRight = 0.0f;
  float mTimeCoefficient = 0.0f; // one-pole glide of the delay time
  float mDiffusion = 0.0f;       // all-pass gain of the diffusion branches
  float mFeedback = 0.0f;
  float mTargetTime = 0.0f;
  // In double: a float glide this slow stalls up to several samples short of its target.
  double mSmoothedTime = 0.0;
  float mBranchLeft[kBranches] = {};
  float mBranchRight[kBranches] = {};
  float mTapeStage2[2] = {}; // second low-pass of each tape loop
  EDelayType mType = EDelayType::kPingPong;

  VX_BlepOscSine mSine1; // 0.7 Hz
  VX_BlepOscSine mSine2; // 0.5 Hz
  VX_BlepOscTri mTriangle;
  VX_DelayLine mLeft[kBranches];
  VX_DelayLine mRight[kBranches];
  VX_CutoffTable mLoopLeft; // C1, C2: "LP" loop filters, 150 ... 10000 Hz
  VX_CutoffTable mLoopRight;
  VX_CutoffTable mTapeLeft; // C3, C4: "TONE" band-passes, 150 ... 1500 Hz
  VX_CutoffTable mTapeRight;
  VX_CutoffTable mLowCutLeft; // C5, C6: 125 Hz, the "DIFF DELAY" input high-pass
  VX_CutoffTable mLowCutRight;
  VX_DelayLine mLeftOffset; // the 30 ms "DIFF DELAY" offset
  VX_FilterAllPass mPhaser[4];
};
