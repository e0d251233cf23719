#include "plugin/state_codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// Offsets of the preset file; the state chunk's depend on its path length.
constexpr int kPresetValuesOffset = 8;
constexpr int kPresetStepsOffset = kPresetValuesOffset + 8 * kNumParams;
static_assert(kPresetStepsOffset + 8 * VX_Arpeggiator::kNumStoredSteps == kPresetFileSize);

constexpr double kTwoSevenths = 0.2857142857142857;

template <std::size_t N>
bool IsOneOf(int index, const std::array<int, N>& indices)
{
  return std::find(indices.begin(), indices.end(), index) != indices.end();
}

// The old set's curves, expressed in the current set's normalised values.
double SignedSquare(double x)
{
  const double s = 2.0 * (x - 0.5);
  return 0.5 + 0.5 * s * std::abs(s);
}
double SquaredToTwoFifths(double x)
{
  return std::pow(x * x, 0.4);
}
double CubedToTwoSevenths(double x)
{
  return std::pow(x * x * x, kTwoSevenths);
}
// The old set held tempo divisions inside the rate knobs: 20 entries for the LFOs and the
// arpeggiator, 17 for the delay time.
double SyncedDivision(double x)
{
  return std::floor(19.0 * x) / 19.0;
}

constexpr std::array<int, 8> kSignedSquareParams = {kOsc1Freq,  kOsc1FreqMod, kOsc1ParamMod,
                                                    kOsc2Freq,  kOsc2FreqMod, kOsc2ParamMod,
                                                    kFilterMod, kTune};
constexpr std::array<int, 5> kSquaredParams = {kVolume, kLfo1Freq, kLfo2Freq, kFxTime, kGlide};
constexpr std::array<int, 9> kCubedParams = {kAmpEnvAttack,    kAmpEnvDecay,    kAmpEnvRelease,
                                             kFilterEnvAttack, kFilterEnvDecay, kFilterEnvRelease,
                                             kLfo1Delay,       kLfo2Delay,      kFxParam4};
constexpr std::array<int, 4> kDerivedSyncedParams = {kLfo1FreqSynced, kLfo2FreqSynced,
                                                     kArpTempoSynced, kFxTimeSynced};

/** Reads the step array from pos; after the first missing value every step reads as 0. */
int ReadSteps(const IByteChunk& chunk, int pos, StoredSteps& steps)
{
  for (int32_t& step : steps)
  {
    double stored = 0.0;
    if (pos >= 0) pos = chunk.Get(&stored, pos);
    step = pos >= 0 ? StepNoteFromStored(stored) : 0;
  }
  return pos;
}

void PutSteps(IByteChunk& chunk, const StoredSteps& steps)
{
  for (int32_t step : steps)
  {
    const double stored = step;
    chunk.Put(&stored);
  }
}

void PutValues(IByteChunk& chunk, const StoredValues& values)
{
  for (double value : values)
    chunk.Put(&value);
}

/** The preset path: n bytes, cut at the first zero byte. A negative or too large n makes the
    rest of the chunk unreadable, as its layout can no longer be known. */
int ReadPresetPath(const IByteChunk& chunk, int pos, std::string& path)
{
  int32_t length = 0;
  pos = pos >= 0 ? chunk.Get(&length, pos) : -1;
  if (pos < 0 || length < 0 || length > chunk.Size() - pos) return -1;
  const auto* first = reinterpret_cast<const char*>(chunk.GetData()) + pos;
  path.assign(first, static_cast<std::size_t>(length));
  path.resize(std::strlen(path.c_str()));
  return pos + length;
}
} // namespace

void WriteStateChunk(IByteChunk& chunk, std::string_view presetPath, const StoredSteps& steps,
                     const StoredValues& values)
{
  const int16_t version = kStateVersion;
  const auto pathLength = static_cast<int32_t>(presetPath.size());
  chunk.Put(&version);
  chunk.Put(&pathLength);
  chunk.PutBytes(presetPath.data(), pathLength);
  PutSteps(chunk, steps);
  PutValues(chunk, values);
}

VX_StateChunk ReadStateChunk(const IByteChunk& chunk, int startPos)
{
  VX_StateChunk state;
  int16_t version = 0;
  int pos = chunk.Get(&version, startPos);
  if (pos >= 0) state.version = version;
  pos = ReadPresetPath(chunk, pos, state.presetPath);
  pos = ReadSteps(chunk, pos, state.steps);
  for (int i = 0; i < kNumParams && pos >= 0; ++i)
  {
    double value = 0.0;
    pos = chunk.Get(&value, pos);
    state.values.push_back(pos >= 0 ? value : 0.0);
  }
  state.endPos = pos;
  return state;
}

std::vector<uint8_t> EncodePresetFile(const StoredValues& values, const StoredSteps& steps)
{
  IByteChunk chunk;
  const uint16_t formatId = kPresetFormatId;
  const uint16_t version = kPresetVersion;
  const int32_t reserved = 0;
  chunk.Put(&formatId);
  chunk.Put(&version);
  chunk.Put(&reserved);
  PutValues(chunk, values);
  PutSteps(chunk, steps);
  return std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size());
}

std::optional<VX_PresetRecord> DecodePresetFile(std::span<const uint8_t> bytes,
                                                std::string& problem)
{
  // The format has no shorter form, so a short file is damaged rather than an old version.
  if (bytes.size() < static_cast<std::size_t>(kPresetFileSize))
  {
    problem = "too short for a preset file (" + std::to_string(bytes.size()) + " bytes, expected " +
              std::to_string(kPresetFileSize) + ")";
    return std::nullopt;
  }
  IByteChunk chunk;
  chunk.PutBytes(bytes.data(), kPresetFileSize);
  uint16_t formatId = 0;
  uint16_t version = 0;
  chunk.Get(&formatId, 0);
  chunk.Get(&version, 2);
  if (formatId != kPresetFormatId)
  {
    problem = "not a preset file (format id " + std::to_string(formatId) + ", expected " +
              std::to_string(kPresetFormatId) + ")";
    return std::nullopt;
  }

  VX_PresetRecord record;
  record.version = version;
  record.normalised = version <= kLastLegacyVersion;
  int pos = kPresetValuesOffset;
  for (double& value : record.values)
    pos = chunk.Get(&value, pos);
  ReadSteps(chunk, kPresetStepsOffset, record.steps);

  if (record.normalised) ConvertLegacyPresetValues(record.values);
  if (version <= kLastVersionWithoutPhaseOffsets)
  {
    // Normalised 0.5 is the real value 0.5 for these knobs, so this holds in either form.
    record.values[kOsc1PhaseOffset] = kPhaseOffsetReset;
    record.values[kOsc2PhaseOffset] = kPhaseOffsetReset;
  }
  return record;
}

VX_LegacyStateValue ConvertLegacyStateValue(int index, double t, bool isList)
{
  using R = VX_LegacyStateValue;
  if (isList) return IsOneOf(index, kDerivedSyncedParams) ? R{R::kKeep, t} : R{R::kSetValue, t};
  switch (index)
  {
  case kLfo1Freq:
    return R{R::kSetNormalised, SquaredToTwoFifths(t), kLfo1FreqSynced, SyncedDivision(t)};
  case kLfo2Freq:
    return R{R::kSetNormalised, SquaredToTwoFifths(t), kLfo2FreqSynced, SyncedDivision(t)};
  case kFxTime:
    return R{R::kSetNormalised, SquaredToTwoFifths(t), kFxTimeSynced, std::ceil(16.0 * t) / 16.0};
  case kArpTempo:
    return R{R::kSetNormalised, t, kArpTempoSynced, SyncedDivision(t)};
  case kVolume:
  case kGlide:
    return R{R::kSetNormalised, SquaredToTwoFifths(t)};
  default:
    break;
  }
  if (IsOneOf(index, kSignedSquareParams)) return R{R::kSetNormalised, SignedSquare(t)};
  if (IsOneOf(index, kCubedParams)) return R{R::kSetNormalised, CubedToTwoSevenths(t)};
  return R{R::kSetNormalised, t};
}

void ConvertLegacyPresetValues(StoredValues& x)
{
  // Entries of the old lists, then the tempo divisions taken from the stored rates before the
  // rates themselves change: computed in single precision, as the old reader did.
  const auto single = [&x](int index) { return static_cast<float>(x[index]); };
  for (int i : {kOsc1Type, kOsc2Type, kDelayType})
    x[i] = std::floor(4.0f * single(i)) / 6.0f;
  x[kFilterType] = std::floor(2.0f * single(kFilterType)) / 3.0f;
  for (int i : {kOsc1FreqModSource, kOsc2FreqModSource, kOsc1ParamModSource, kOsc2ParamModSource})
    x[i] = std::floor(6.0f * single(i)) * 0.125f;
  x[kFilterModSource] = std::floor(4.0f * single(kFilterModSource)) / 7.0f;
  x[kFxTimeSynced] = std::ceil(16.0f * single(kFxTime)) * 0.0625f;
  x[kArpTempoSynced] = std::floor(19.0f * single(kArpTempo)) / 19.0f;
  x[kLfo1FreqSynced] = std::floor(19.0f * single(kLfo1Freq)) / 19.0f;
  x[kLfo2FreqSynced] = std::floor(19.0f * single(kLfo2Freq)) / 19.0f;
  x[kArpMode] = std::floor(6.0f * single(kArpMode)) / 6.0f;

  // The knob curves, in double precision.
  for (int i : kSignedSquareParams)
    x[i] = SignedSquare(x[i]);
  for (int i : kSquaredParams)
    x[i] = SquaredToTwoFifths(x[i]);
  for (int i : kCubedParams)
    x[i] = CubedToTwoSevenths(x[i]);
}

int32_t StepNoteFromStored(double stored)
{
  if (std::isnan(stored)) return 0;
  const double limit = kStepNoteLimit;
  return static_cast<int32_t>(std::clamp(std::trunc(stored), -limit, limit));
}
