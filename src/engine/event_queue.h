#pragma once
// The engine's queue of timed MIDI events, filled before a block and consumed frame by frame.
// Audio thread only. Fixed capacity, so queueing never allocates; when full, new events are
// dropped.

#include <array>
#include <cstdint>

struct VX_EngineEvent
{
  enum EKind
  {
    kNoteOff = 8,
    kNoteOn = 9,
    kChannelPressure = 13,
    kPitchBend = 14,
    kSustain = 64,
    kModWheel = 999,
  };

  int32_t offset; // frame within the block
  int32_t kind;   // EKind
  float value;    // velocity 0..127 for notes, 0..1 otherwise
  int32_t data;   // note number for notes, -1 otherwise
};

class VX_EventQueue
{
public:
  // Far more than any host delivers in one block; a power of two for cheap wrapping.
  static constexpr uint32_t kCapacity = 8192;

  bool Empty() const { return mHead == mTail; }
  uint32_t Size() const { return mTail - mHead; }
  const VX_EngineEvent& Front() const { return mEvents[mHead & kMask]; }
  void Pop() { ++mHead; }
  void Clear() { mHead = mTail = 0; }

  /** Appends event; returns false (and drops it) when the queue is full. */
  bool Push(const VX_EngineEvent& event)
  {
    if (Size() == kCapacity) return false;
    mEvents[mTail++ & kMask] = event;
    return true;
  }

private:
  static constexpr uint32_t kMask = kCapacity - 1;
  std::array<VX_EngineEvent, kCapacity> mEvents{};
  uint32_t mHead = 0;
  uint32_t mTail = 0;
};
