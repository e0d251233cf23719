#pragma once
// The MIDI message record passed from the host binding and the editor into the processor.

#include <cstdint>

struct IMidiMsg
{
  enum EStatusMsg
  {
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14,
  };

  int32_t mOffset = 0; // frame within the current block
  uint8_t mStatus = 0; // kind in the high nibble, channel in the low nibble
  uint8_t mData1 = 0;
  uint8_t mData2 = 0;

  int StatusKind() const { return mStatus >> 4; }
  int Channel() const { return mStatus & 0x0F; }

  static IMidiMsg Make(int offset, int kind, int channel, int data1, int data2)
  {
    return {offset, static_cast<uint8_t>((kind << 4) | (channel & 0x0F)),
            static_cast<uint8_t>(data1 & 0x7F), static_cast<uint8_t>(data2 & 0x7F)};
  }
};
