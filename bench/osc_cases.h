#pragma once
// The audio waveforms by name, for the alias report and the benchmarks.

#include "dsp/audio_oscillators.h"

#include <memory>

namespace osc_measure
{

/** The unlimited oscillator a case is compared with, where there is one. */
enum class Naive
{
  kNone,
  kSaw,
  kSquare
};

struct AudioCase
{
  const char* name;
  std::unique_ptr<VX_BlepOsc> (*make)();
  float param;
  double cyclesPerIncrement; // fundamental = increment * this * sample rate
  Naive naive;
};

template <class T>
std::unique_ptr<VX_BlepOsc> MakeOsc()
{
  return std::make_unique<T>();
}

// The sync pulse's master wraps at 1, the sync saw's at 2 from a table one octave lower.
inline const AudioCase kAudioCases[] = {
    {"triangle", MakeOsc<VX_BlepOscTri>, 0.5f, 0.5, Naive::kNone},
    {"saw", MakeOsc<VX_BlepOscSaw>, 0.5f, 0.5, Naive::kSaw},
    {"square", MakeOsc<VX_BlepOscPWM>, 0.0f, 0.5, Naive::kSquare},
    {"pulse-0.7", MakeOsc<VX_BlepOscPWM>, 0.7f, 0.5, Naive::kNone},
    {"sync-pulse-0.3", MakeOsc<VX_BlepOscPulseSync>, 0.3f, 1.0, Naive::kNone},
    {"sync-saw-0.3", MakeOsc<VX_BlepOscSawSync>, 0.3f, 0.5, Naive::kNone},
    {"saw-to-pulse-0.5", MakeOsc<VX_BlepOscVariable>, 0.5f, 0.5, Naive::kNone},
};

} // namespace osc_measure
