#pragma once
// VX_DelayLine: a modulated delay line with linear interpolation, used by the delay effect and the
// voice-emulation ensemble. Each push writes one sample and reads one sample back at the current
// delay; a comb push leaves the feedback term to the caller, an all-pass push closes a Schroeder
// all-pass around the line.
//
// The ring holds capacity + 2 samples: a push writes before it reads, so a delay of exactly
// `capacity` samples, and the older neighbour its interpolation needs, are both still in the ring
// and the read never returns the sample just written.
//
// Thread contract: audio thread. Setup allocates: call it at construction or on a sample-rate
// change only, never while processing. Call Setup once before the first push.

#include <vector>

class VX_DelayLine
{
public:
  static constexpr float kDefaultDelayMs = 50.0f;

  /** Stores the rate, allocates a zeroed ring for capacityMs (at least one sample), clears the
   *  write index and outputs, and recomputes the delay in samples for the stored delay. */
  void Setup(float sampleRate, float capacityMs);
  /** Delay in milliseconds, held in [1 sample, capacity]; NaN counts as 1 sample. Cached. */
  void SetDelayMs(float ms);
  /** Delay in samples, held like SetDelayMs. */
  void SetDelaySamples(float samples);
  /** Feedback gain g: Output() after a comb push is -g times the sample read. */
  void SetGain(float gain) { mGain = gain; }
  /** Zeroes the ring, the write index and both outputs. */
  void Clear();

  /** Writes x and reads the sample `delay` ago; returns the read (also LastRead()). */
  float PushComb(float x);
  /** Schroeder all-pass (g + z^-D) / (1 + g z^-D), D = delay + 1: writes x - g * (last read)
   *  and returns g * (that) + (last read) (also Output()), then reads the new delayed sample. */
  float PushAllpass(float x, float g);

  /** The delayed sample of the last push. */
  float LastRead() const { return mLastRead; }
  /** -gain * LastRead() after a comb push; the all-pass output after an all-pass push. */
  float Output() const { return mOutput; }
  float Gain() const { return mGain; }
  int Capacity() const { return mCapacity; }
  float DelaySamples() const { return mDelaySamples; }
  float SampleRate() const { return mSampleRate; }

private:
  /** A delay in samples held in [1, capacity], NaN at 1. */
  float HeldDelay(float samples) const;
  /** Writes x at the write index, advances it, and returns the interpolated read. */
  float WriteAndRead(float x);

  float mOutput = 0.0f;
  float mLastRead = 0.0f;
  float mGain = 0.0f;
  float mSampleRate = 0.0f;
  float mSamplesPerMs = 0.0f;
  int mCapacity = 0; // longest delay in samples
  float mDelayMs = kDefaultDelayMs;
  float mDelaySamples = 1.0f;
  int mWriteIndex = 0;
  std::vector<float> mRing; // capacity + 2 samples
};

inline float VX_DelayLine::WriteAndRead(float x)
{
  float* __restrict ring = mRing.data();
  const int length = mCapacity + 2;
  int w = mWriteIndex;
  ring[w] = x;
  // The delay splits into whole samples and a fraction toward the next older sample.
  const int whole = static_cast<int>(mDelaySamples);
  const float frac = mDelaySamples - static_cast<float>(whole);
  int newer = w - whole;
  if (newer < 0) newer += length;
  const int older = newer > 0 ? newer - 1 : length - 1;
  if (++w == length) w = 0;
  mWriteIndex = w;
  return ring[newer] + (ring[older] - ring[newer]) * frac;
}

inline float VX_DelayLine::PushComb(float x)
{
  mLastRead = WriteAndRead(x);
  mOutput = -mGain * mLastRead;
  return mLastRead;
}

inline float VX_DelayLine::PushAllpass(float x, float g)
{
  const float previous = mLastRead;
  const float w = x - g * previous + 1e-18f;
  mLastRead = WriteAndRead(w);
  mOutput = g * w + previous;
  return mOutput;
}
