#pragma once
// VX_VoiceEnsemble: the voice-emulation modes' wide sound without extra oscillator lanes. The
// stereo voice mix feeds pairs of short delay taps whose delays a slow triangle sweeps in
// opposite directions around a centre; the taps are summed per side. Each side has its own
// triangles and centres, so even a mono input comes out wide.
//
//   ProcessFour:  left taps A, B at 6.5 ms +- 6.5 ms (triangle 1), right C, D at 8.5 ms (2).
//   ProcessEight: left A, B at 3.5 ms (1) and E, F at 6.5 ms (3); right C, D at 5.5 ms (2)
//                 and G, H at 8.5 ms (4).
//
// The triangles are tuned to 0.22, 0.26, 0.425 and 0.475 Hz times the rate multiplier, and the
// taps sweep at twice that: a full back-and-forth of triangle 1 takes 1 / (0.44 x) seconds.
//
// Thread contract: audio thread. Construction and SetSampleRate allocate the delay lines and
// must run outside processing; SetRate, the Process calls and Reset never allocate.

#include "dsp/audio_oscillators.h"
#include "dsp/delay_line.h"

class VX_VoiceEnsemble
{
public:
  static constexpr int kNumModulators = 4;
  static constexpr int kNumLines = 8;
  static constexpr float kCapacityMs = 100.0f; // the widest tap reaches 17 ms
  static constexpr float kModulatorHz[kNumModulators] = {0.22f, 0.26f, 0.425f, 0.475f};

  /** Lines set up at 44100 Hz, modulators at rate multiplier 1. */
  VX_VoiceEnsemble();

  /** Allocates the lines again for the rate (cleared), retunes the modulators to multiplier 1,
   *  restarts modulators 2 to 4 and invalidates the rate cache. */
  void SetSampleRate(float sampleRate);
  /** Rate multiplier x (the smoothed 0.1 + 1.5 * "Unison Detune"), every sample; cached. */
  void SetRate(float x);
  /** One stereo sample through four taps (modulators 1, 2); the result is in the outputs. */
  void ProcessFour(float left, float right);
  /** One stereo sample through eight taps (modulators 1 to 4). */
  void ProcessEight(float left, float right);
  /** Silences the taps; the modulators run on. */
  void Reset();

  float LeftOutput() const { return mLeft; }
  float RightOutput() const { return mRight; }

private:
  void TuneModulators(float x);
  /** The sum of a tap pair: `plus` at centre (1 + tri) ms, `minus` at centre (1 - tri) ms. */
  static float SweptPair(VX_DelayLine& plus, VX_DelayLine& minus, float centreMs, float tri,
                         float x);

  float mLeft = 0.0f;
  float mRight = 0.0f;
  float mRate = -1.0f; // cached multiplier; -1: none yet
  VX_BlepOscTri mLfo[kNumModulators];
  VX_DelayLine mLines[kNumLines]; // A ... H
};
