#pragma once
// Drives the instrument through its processing entry the way a host does, without a host:
// processing set-up, the parameter deliveries of initialisation, then block after block with
// transport information and sample-accurate MIDI.
//
// Thread contract: single-threaded; the thread that owns it makes every call, so the instrument
// sees its audio-thread and set-up calls in a host's order and never concurrently.

#include "plugin/vantrix.h"
#include "render/score.h"

#include <functional>
#include <memory>

class OfflineHost
{
public:
  /** Receives each rendered block as frames interleaved stereo pairs. */
  using BlockSink = std::function<void(const float* interleaved, int frames)>;

  /** Creates the instrument with the processing set-up and both outputs connected. */
  OfflineHost(int sampleRate, int blockSize);

  /** The instrument, for setting parameters before Render. */
  Vantrix& Plug() { return *mPlug; }

  /** Resets the instrument, delivers every parameter value, then renders frames of score. */
  void Render(const Score& score, long long frames, const BlockSink& sink);

private:
  void DeliverAllParams();

  // Several megabytes: too large for the stack.
  std::unique_ptr<Vantrix> mPlug;
  int mSampleRate;
  int mBlockSize;
};
