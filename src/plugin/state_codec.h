#pragma once
// The two stored forms of a sound, the host's state chunk and the ".vxp" preset file, and the
// conversions that bring values written by older versions to the current parameter set. The one
// place that knows their layouts; both are little-endian with fixed offsets.
//
// Thread contract: plain functions on their arguments; any thread.

#include "engine/arpeggiator.h"
#include "engine/param_ids.h"
#include "plugin/byte_chunk.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/** The 94 parameter values in index order, as stored (real, or normalised in old versions). */
using StoredValues = std::array<double, kNumParams>;
/** The arpeggiator's step array (note numbers, -1 for an empty step). */
using StoredSteps = std::array<int32_t, VX_Arpeggiator::kNumStoredSteps>;

constexpr int kStateVersion = 4;
constexpr int kPresetFormatId = 1;
constexpr int kPresetVersion = 4;
constexpr int kPresetFileSize = 4856;
/** Versions up to this one stored normalised values of the earlier parameter set. */
constexpr int kLastLegacyVersion = 2;
/** Versions up to this one had no phase offsets; theirs start at kPhaseOffsetReset. */
constexpr int kLastVersionWithoutPhaseOffsets = 3;
constexpr double kPhaseOffsetReset = 0.5;
/** Stored steps are kept within this magnitude: far outside the MIDI range, so such a step still
    plays nothing, while the sequencer's note differences stay well inside 32 bits. */
constexpr int32_t kStepNoteLimit = 32767;

/** What a state chunk holds, read as far as it goes. */
struct VX_StateChunk
{
  /** The chunk's version; a chunk too short to name one counts as the current version. */
  int version = kStateVersion;
  std::string presetPath;
  /** Steps that the chunk lacks read as 0. */
  StoredSteps steps{};
  /** The values to set, in index order from 0: when the chunk ends inside the parameter block, the
      last one is the first missing value, read as 0; none when it ends before the block. */
  std::vector<double> values;
  /** The position after the last value read, or -1 when the chunk ended early. */
  int endPos = -1;
};

/** Appends the current-version chunk: version, preset path, steps, real parameter values. */
void WriteStateChunk(IByteChunk& chunk, std::string_view presetPath, const StoredSteps& steps,
                     const StoredValues& values);
/** Reads a chunk of any version from startPos. */
VX_StateChunk ReadStateChunk(const IByteChunk& chunk, int startPos);

/** What a preset file holds, ready to apply. */
struct VX_PresetRecord
{
  int version = kPresetVersion;
  /** Old versions: normalised values, already converted to the current parameter set. */
  bool normalised = false;
  /** With the phase offsets at kPhaseOffsetReset for versions that had none. */
  StoredValues values{};
  StoredSteps steps{};
};

/** The kPresetFileSize bytes of a current-version preset file. */
std::vector<uint8_t> EncodePresetFile(const StoredValues& values, const StoredSteps& steps);
/** The record of a preset file's first kPresetFileSize bytes; nullopt, with the reason in
    problem, for a shorter file or one of another format. */
std::optional<VX_PresetRecord> DecodePresetFile(std::span<const uint8_t> bytes,
                                                std::string& problem);

/** What one stored value t of an old-version state chunk does to parameter index. */
struct VX_LegacyStateValue
{
  enum EAction
  {
    kSetValue,      // list entries: value is t itself
    kSetNormalised, // numbers: value is the converted normalised value
    kKeep,          // derived lists: the stored value is ignored
  };
  EAction action = kSetValue;
  double value = 0.0;
  /** A list that the old set derived from this number, set first from derivedNormalised with
      the host informed; -1 for none. */
  int derivedIndex = -1;
  double derivedNormalised = 0.0;
};

VX_LegacyStateValue ConvertLegacyStateValue(int index, double stored, bool isList);
/** Converts the normalised values of an old preset file to the current set, in place. */
void ConvertLegacyPresetValues(StoredValues& normalised);
/** A stored step as a note number: truncated toward zero, kept within kStepNoteLimit; a value
    that is not a number reads as 0, as a missing one does. */
int32_t StepNoteFromStored(double stored);
