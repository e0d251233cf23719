#pragma once
// The engine's per-parameter slots. Slots 0..93 mirror the parameters by index; 94..106 hold
// values the engine writes itself.
//
// Thread contract: raw, changed and hasValue are written by OnParamChange on any thread and read
// by the block loop at the start of a block; everything else belongs to the audio thread.

#include <atomic>
#include <cstdint>

enum EEngineSlots
{
  kSlotLfo2Output = 94, // global LFO2 after its delay ramp and wheel/aftertouch scaling
  kSlotUnused95 = 95,
  kSlotPitchBend = 96,   // pitch units
  kSlotPitchOffset = 97, // pitch bend + "Tune", pitch units
  kSlotDelayDry = 98,
  kSlotDelayWet = 99,
  kSlotWidthSame = 100,  // stereo width, same-side gain
  kSlotWidthCross = 101, // stereo width, cross gain
  kSlotAftertouchAmount = 102,
  kSlotLfo1Rate = 103,  // Hz
  kSlotLfo2Rate = 104,  // Hz
  kSlotArpRate = 105,   // Hz
  kSlotDelayTime = 106, // ms
  kNumEngineSlots = 107
};

struct VX_ParamSlot
{
  static constexpr float kMinSnapThreshold = 0.0001f;

  std::atomic<float> raw{0.0f}; // real parameter value as last delivered
  float target = 0.0f;          // engine units
  float current = 0.0f;         // smoothed value read by the audio code
  float snapThreshold = kMinSnapThreshold;
  std::atomic<uint8_t> changed{0};
  uint8_t smoothing = 0;
  std::atomic<uint8_t> hasValue{0};

  float Raw() const { return raw.load(std::memory_order_relaxed); }
};
