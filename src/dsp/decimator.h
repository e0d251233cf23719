#pragma once
// 2:1 half-band decimator: a symmetric 119-tap FIR at the input rate (centre tap 1, taps at even
// distance from the centre 0, the 60 taps at odd distance c0 ... c29, c29 ... c0 with c0
// outermost) followed by keeping every second output, in transposed form. Its DC gain is 2, so
// two cascaded stages (4x down to 1x) have gain 4, which the caller removes with a factor 0.25.
// Latency: 59 input samples.
//
// Thread contract: audio thread.

class VX_Decimator
{
public:
  static constexpr int kNumSideTaps = 60;

  /** Consumes two consecutive input samples and returns one output sample. */
  float Process(float first, float second);
  /** Forgets all past input. */
  void Clear();

private:
  // Transposed form: mState[i] holds the part of the output due i + 1 calls from now that the
  // inputs so far contribute. The first sample of a pair meets the side taps; the second meets
  // the centre tap 30 calls later (59 input samples).
  float mState[kNumSideTaps - 1] = {};
};
