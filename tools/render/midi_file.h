#pragma once
// Reader for Standard MIDI Files (format 0 and 1). The tracks are merged into one list of
// channel messages in tick order; timing in seconds is left to the score (score.h), which knows
// whether the file's tempo map or a fixed tempo applies.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

struct MidiFileEvent
{
  uint64_t tick = 0;
  uint8_t status = 0; // channel message: kind in the high nibble, channel in the low nibble
  uint8_t data1 = 0;
  uint8_t data2 = 0; // 0 for the one-data-byte messages (program change, channel pressure)
};

struct MidiTempoChange
{
  uint64_t tick = 0;
  uint32_t microsPerQuarter = 500000;
};

struct MidiFile
{
  int format = 0;
  int numTracks = 0;
  // The header's division: either musical (ticks per quarter note) or absolute (SMPTE frames of
  // a number of ticks each); exactly one of the two is non-zero.
  int ticksPerQuarter = 0;
  double smpteTicksPerSecond = 0.0;
  /** Channel messages of all tracks by tick; equal ticks keep track order, then file order. */
  std::vector<MidiFileEvent> events;
  /** Set-tempo meta events of all tracks, merged the same way. */
  std::vector<MidiTempoChange> tempoChanges;
  /** The latest tick of any event, end-of-track included. */
  uint64_t endTick = 0;
};

/** Parses the bytes of a MIDI file; name goes into error messages. Throws FileError. */
MidiFile ParseMidiFile(std::span<const uint8_t> bytes, const std::string& name);

/** Reads and parses path. Throws FileError naming the file and the problem. */
MidiFile ReadMidiFile(const std::filesystem::path& path);
