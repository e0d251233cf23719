// The host's state chunk: the byte buffer it lives in, its layout, restoring every version, and
// chunks that end early or hold nonsense.

#include "state_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace
{
// The chunk's layout, for a preset path of n bytes.
constexpr int kPathOffset = 6;
int StepOffset(int n, int step)
{
  return 6 + n + 8 * step;
}
int ValueOffset(int n, int index)
{
  return 4102 + n + 8 * index;
}

double ReadDouble(const std::vector<uint8_t>& bytes, int offset)
{
  double value = 0.0;
  EXPECT_EQ(ChunkOf(bytes).Get(&value, offset), offset + 8);
  return value;
}

/** A state chunk for plug's sound, with its version replaced. */
std::vector<uint8_t> StateBytes(const Vantrix& plug, int16_t version = 4)
{
  IByteChunk chunk;
  plug.WriteState(chunk);
  std::vector<uint8_t> bytes = BytesOf(chunk);
  bytes[0] = static_cast<uint8_t>(version & 0xFF);
  bytes[1] = static_cast<uint8_t>((version >> 8) & 0xFF);
  return bytes;
}

/** A chunk of version, a path length and nothing else. */
std::vector<uint8_t> HeaderOnly(int16_t version, int32_t pathLength)
{
  IByteChunk chunk;
  chunk.Put(&version);
  chunk.Put(&pathLength);
  return BytesOf(chunk);
}
} // namespace

// --- The byte buffer ------------------------------------------------------------------------

TEST(ByteChunk, StoresNumbersLittleEndian)
{
  IByteChunk chunk;
  const int16_t i16 = -2;
  const uint16_t u16 = 0x1234;
  const int32_t i32 = -0x12345678;
  const double d = 1.0;
  EXPECT_EQ(chunk.Put(&i16), 2);
  EXPECT_EQ(chunk.Put(&u16), 4);
  EXPECT_EQ(chunk.Put(&i32), 8);
  EXPECT_EQ(chunk.Put(&d), 16);
  const std::vector<uint8_t> expected = {0xFE, 0xFF, 0x34, 0x12, 0x88, 0xA9, 0xCB, 0xED,
                                         0,    0,    0,    0,    0,    0,    0xF0, 0x3F};
  EXPECT_EQ(BytesOf(chunk), expected);

  int16_t i16Back = 0;
  uint16_t u16Back = 0;
  int32_t i32Back = 0;
  double dBack = 0.0;
  EXPECT_EQ(chunk.Get(&i16Back, 0), 2);
  EXPECT_EQ(chunk.Get(&u16Back, 2), 4);
  EXPECT_EQ(chunk.Get(&i32Back, 4), 8);
  EXPECT_EQ(chunk.Get(&dBack, 8), 16);
  EXPECT_EQ(i16Back, i16);
  EXPECT_EQ(u16Back, u16);
  EXPECT_EQ(i32Back, i32);
  EXPECT_EQ(dBack, d);
}

TEST(ByteChunk, ReadsOutsideTheChunkFailAndLeaveTheTargetAlone)
{
  IByteChunk chunk;
  chunk.PutBytes("abcdef", 6);
  const struct
  {
    int startPos;
    int count;
  } cases[] = {{-1, 1}, {6, 1}, {5, 2}, {0, 7}, {INT_MAX, 1}, {1, INT_MAX}, {0, -1}, {INT_MIN, 2}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(std::to_string(c.startPos) + "+" + std::to_string(c.count));
    char target[8] = "-------";
    EXPECT_EQ(chunk.GetBytes(target, c.count, c.startPos), -1);
    EXPECT_STREQ(target, "-------");
  }
  double d = 7.0;
  EXPECT_EQ(chunk.Get(&d, 0), -1); // 8 bytes wanted, 6 there
  EXPECT_EQ(d, 7.0);
  char target[3] = {};
  EXPECT_EQ(chunk.GetBytes(target, 2, 4), 6); // exactly up to the end
  EXPECT_EQ(chunk.GetBytes(target, 0, 6), 6); // nothing, at the end
  EXPECT_EQ(chunk.PutBytes("x", -1), 6);
  EXPECT_EQ(chunk.Resize(2), 6);
  EXPECT_EQ(chunk.Size(), 2);
}

// --- Writing and reading back ---------------------------------------------------------------

TEST(StateChunk, WriteStateLaysOutVersionPathStepsAndRealValues)
{
  auto plug = MakePlug();
  SetRandomSound(*plug, 1);
  const std::string path = "/presets/Bass.vxp";
  plug->SavePresetFile(""); // an empty path changes nothing
  ASSERT_TRUE(plug->CurrentPresetPath().empty());
  // The current path comes from the last preset file used; a failed save still names it.
  plug->SavePresetFile(path);
  const int n = static_cast<int>(path.size());

  IByteChunk chunk;
  chunk.PutBytes("pre", 3); // appended after what is there
  EXPECT_TRUE(plug->WriteState(chunk));
  std::vector<uint8_t> bytes = BytesOf(chunk);
  bytes.erase(bytes.begin(), bytes.begin() + 3);

  ASSERT_EQ(static_cast<int>(bytes.size()), 4854 + n);
  EXPECT_EQ(bytes[0], 4);
  EXPECT_EQ(bytes[1], 0);
  int32_t length = 0;
  ChunkOf(bytes).Get(&length, 2);
  EXPECT_EQ(length, n);
  EXPECT_EQ(std::string(bytes.begin() + kPathOffset, bytes.begin() + kPathOffset + n), path);
  const StoredSteps steps = StepsOf(*plug);
  for (int i : {0, 1, 15, 16, 511})
    EXPECT_EQ(ReadDouble(bytes, StepOffset(n, i)), steps[i]) << "step " << i;
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(ReadDouble(bytes, ValueOffset(n, i)), plug->GetParam(i)->Value()) << i;
}

TEST(StateChunk, RoundTripReproducesEveryValueBitForBitAndReturnsTheLength)
{
  // A non-ASCII path travels as its UTF-8 bytes.
  const std::string paths[] = {"", "C:\\Users\\Zoë\\Presets\\Bässe – ☃.vxp"};
  for (unsigned seed = 1; seed <= 3; ++seed)
    for (const std::string& path : paths)
    {
      auto source = MakePlug();
      SetRandomSound(*source, seed);
      source->SavePresetFile(path.empty() ? "" : "/nonexistent-folder/" + path);
      IByteChunk chunk;
      source->WriteState(chunk);
      const int32_t bypass = 1; // the VST3 binding appends its own bytes
      const int stateEnd = chunk.Size();
      chunk.Put(&bypass);

      auto restored = MakePlug();
      EXPECT_EQ(restored->ReadState(chunk, 0), stateEnd);
      restored->AfterStateRestore();
      EXPECT_EQ(DifferingBits(ValuesOf(*restored), ValuesOf(*source)), std::vector<int>{});
      EXPECT_EQ(StepsOf(*restored), StepsOf(*source));
      EXPECT_EQ(restored->CurrentPresetPath(), source->CurrentPresetPath());
      EXPECT_FALSE(restored->OldVersionFlag());
      EXPECT_TRUE(restored->Engine().ResetRequested());
    }
}

TEST(StateChunk, ReadsFromTheGivenStartPosition)
{
  auto source = MakePlug();
  SetRandomSound(*source, 4);
  IByteChunk chunk;
  chunk.PutBytes("\x7f\x7f\x7f", 3);
  source->WriteState(chunk);
  auto restored = MakePlug();
  EXPECT_EQ(restored->ReadState(chunk, 3), chunk.Size());
  EXPECT_EQ(DifferingBits(ValuesOf(*restored), ValuesOf(*source)), std::vector<int>{});
}

TEST(StateChunk, ReadStateNotifiesEngineAndEditorOfEveryParameter)
{
  auto source = MakePlug();
  RecordingVantrix plug;
  plug.ReadState(ChunkOf(StateBytes(*source)), 0);
  EXPECT_EQ(plug.engineNotifications.size(), 94u);
  EXPECT_EQ(plug.EditorCount(EParamSource::kPresetRecall), 94);
  EXPECT_EQ(plug.editorNotifications.size(), 94u);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug.engineNotifications[i], i);
  // The engine slot holds the restored value.
  EXPECT_EQ(plug.Engine().Slot(kVolume).Raw(),
            static_cast<float>(source->GetParam(kVolume)->Value()));

  plug.ForgetNotifications();
  plug.AfterStateRestore();
  EXPECT_EQ(plug.EditorCount(EParamSource::kEditorPush), 94);
  EXPECT_TRUE(plug.engineNotifications.empty()); // a version-4 chunk keeps its phase offsets
}

// --- Versions -------------------------------------------------------------------------------

TEST(StateChunk, VersionsUpToThreeGetTheirPhaseOffsetsAfterTheRestore)
{
  const struct
  {
    int16_t version;
    bool resetsPhases;
    bool oldVersionFlag;
  } cases[] = {{4, false, false}, {5, false, false}, {3, true, false}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.version);
    auto source = MakePlug();
    SetRandomSound(*source, 5);
    source->GetParam(kOsc1PhaseOffset)->SetValue(0.9);
    source->GetParam(kOsc2PhaseOffset)->SetValue(0.1);
    RecordingVantrix plug;
    plug.ReadState(ChunkOf(StateBytes(*source, c.version)), 0);
    // ReadState itself restores what the chunk holds.
    EXPECT_EQ(DifferingBits(ValuesOf(plug), ValuesOf(*source)), std::vector<int>{});
    plug.ForgetNotifications();
    plug.AfterStateRestore();
    EXPECT_EQ(plug.GetParam(kOsc1PhaseOffset)->Value(), c.resetsPhases ? 0.5 : 0.9);
    EXPECT_EQ(plug.GetParam(kOsc2PhaseOffset)->Value(), c.resetsPhases ? 0.5 : 0.1);
    const std::vector<int> phases =
        c.resetsPhases ? std::vector<int>{kOsc1PhaseOffset, kOsc2PhaseOffset} : std::vector<int>{};
    EXPECT_EQ(plug.engineNotifications, phases);
    EXPECT_EQ(plug.OldVersionFlag(), c.oldVersionFlag);
    EXPECT_EQ(DifferingBits(ValuesOf(plug), ValuesOf(*source)), phases);
  }
}

TEST(StateChunk, LegacyWorkedExampleLfo1Freq)
{
  auto source = MakePlug();
  std::vector<uint8_t> bytes = StateBytes(*source, 2);
  PokeDouble(bytes, ValueOffset(0, kLfo1Freq), 0.5);
  PokeDouble(bytes, ValueOffset(0, kLfo1FreqSynced), 3.0); // derived: the stored value is ignored

  auto plug = MakePlug();
  RecordingHostReporter host;
  plug->SetHostReporter(&host);
  EXPECT_EQ(plug->ReadState(ChunkOf(bytes), 0), static_cast<int>(bytes.size()));
  EXPECT_TRUE(plug->OldVersionFlag());
  EXPECT_NEAR(plug->GetParam(kLfo1Freq)->NormalisedValue(), std::pow(0.25, 0.4), 1e-12);
  EXPECT_NEAR(plug->GetParam(kLfo1Freq)->NormalisedValue(), 0.574, 1e-3);
  EXPECT_EQ(plug->GetParam(kLfo1FreqSynced)->Value(), 9.0);
  EXPECT_EQ(plug->GetParam(kLfo1FreqSynced)->CurrentValueText(), "1/8.");
  // The derived lists reach the host as the old set's reader told it.
  ASSERT_EQ(host.edits.size(), 4u);
  EXPECT_EQ(host.edits[0].first, kLfo1FreqSynced);
  EXPECT_DOUBLE_EQ(host.edits[0].second, 9.0 / 19.0);

  plug->ClearOldVersionFlag();
  EXPECT_FALSE(plug->OldVersionFlag());
}

TEST(StateChunk, LegacyConversionFollowsTheOldCurves)
{
  // Values of the old set, and what the current set makes of them: each conversion undoes the
  // difference between the old knob curve and the current parameter's shape.
  const struct
  {
    int index;
    double stored;
    double real; // expected real value
  } cases[] = {
      {kOsc1Freq, 0.75, 3.0},         // s = 0.5: 0.5 + 0.5 * 0.25 = 0.625 of -12..12
      {kOsc2FreqMod, 0.25, -0.25},    // s = -0.5: 0.375 of -1..1
      {kTune, 0.5, 0.0},              // the middle stays the middle
      {kVolume, 0.5, 0.25},           // (x^2)^0.4 through the 2.5 power: x^2
      {kGlide, 0.2, 5000 * 0.04},     // the same curve, 0..5000 ms
      {kAmpEnvAttack, 0.5, 1250.0},   // (x^3)^(2/7) through the 3.5 power: x^3 of 10000 ms
      {kFilterEnvRelease, 0.1, 20.0}, // x^3 of 20000 ms
      {kLfo2Freq, 0.5, 12.5},         // x^2 of 50 Hz
      {kFxTime, 0.5, 500.0},          // x^2 of 2000 ms
      {kArpTempo, 0.5, 12.5},         // unchanged normalised value of 0..25
      {kFilterCutoff, 0.3, 0.3},      // unchanged
      {kOsc1Type, 3.0, 3.0},          // lists: the entry index itself
      {kPolyphony, 2.6, 3.0},         // snapped to a whole entry
      {kTranspose, 9.0, 6.0},         // and clamped
      {kHighPassFilter, 0.5, 20 * std::sqrt(300.0)}, // number with its own shape, unchanged
  };
  auto source = MakePlug();
  std::vector<uint8_t> bytes = StateBytes(*source, 1);
  for (const auto& c : cases)
    PokeDouble(bytes, ValueOffset(0, c.index), c.stored);
  auto plug = MakePlug();
  plug->ReadState(ChunkOf(bytes), 0);
  for (const auto& c : cases)
    EXPECT_NEAR(plug->GetParam(c.index)->Value(), c.real, 1e-9 * std::max(1.0, c.real))
        << plug->GetParam(c.index)->Name();

  // The tempo divisions derived from the rates: 20 entries (LFOs, arpeggiator), 17 (delay).
  EXPECT_EQ(plug->GetParam(kLfo2FreqSynced)->Value(), 9.0); // floor(9.5)
  EXPECT_EQ(plug->GetParam(kArpTempoSynced)->Value(), 9.0); // floor(9.5)
  EXPECT_EQ(plug->GetParam(kFxTimeSynced)->Value(), 8.0);   // ceil(8) / 16 of 16
  EXPECT_TRUE(plug->OldVersionFlag());
}

TEST(StateChunk, NegativeVersionsCountAsOld)
{
  auto source = MakePlug();
  auto plug = MakePlug();
  plug->ReadState(ChunkOf(StateBytes(*source, -1)), 0);
  EXPECT_TRUE(plug->OldVersionFlag());
}

// --- Chunks that end early ------------------------------------------------------------------

TEST(StateChunk, ChunksTooShortForAVersionChangeNoValue)
{
  for (int size : {0, 1})
  {
    SCOPED_TRACE(size);
    auto plug = MakePlug();
    SetRandomSound(*plug, 6);
    plug->SavePresetFile("/nonexistent-folder/old.vxp");
    const StoredValues before = ValuesOf(*plug);
    const std::vector<uint8_t> bytes(static_cast<std::size_t>(size), 3);
    EXPECT_EQ(plug->ReadState(ChunkOf(bytes), 0), -1);
    plug->AfterStateRestore();
    EXPECT_TRUE(plug->CurrentPresetPath().empty());
    EXPECT_EQ(StepsOf(*plug), StoredSteps{}); // cleared to 0
    EXPECT_EQ(DifferingBits(ValuesOf(*plug), before), std::vector<int>{});
    EXPECT_FALSE(plug->OldVersionFlag()); // taken as the current version
    EXPECT_TRUE(plug->Engine().ResetRequested());
  }
}

TEST(StateChunk, ChunksThatEndEarlyApplyWhatTheyHold)
{
  const std::string path = "ab.vxp";
  const int n = static_cast<int>(path.size());
  const struct
  {
    const char* where;
    int size;
    int stepsRead;  // steps taken from the chunk, the rest read 0
    int valuesRead; // values taken from the chunk; the next one is set to 0
    bool pathRead;
  } cases[] = {
      {"in the path length", 4, 0, -1, false},
      {"in the path", 6 + n - 1, 0, -1, false},
      {"in the steps", StepOffset(n, 10) + 3, 10, -1, true},
      {"before the values", ValueOffset(n, 0), 512, 0, true},
      {"in value 40", ValueOffset(n, 40) + 5, 512, 40, true},
      {"before the last value", ValueOffset(n, 93), 512, 93, true},
  };
  auto source = MakePlug();
  SetRandomSound(*source, 7);
  IByteChunk full;
  WriteStateChunk(full, path, StepsOf(*source), ValuesOf(*source));
  const std::vector<uint8_t> bytes = BytesOf(full);

  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.where);
    auto plug = MakePlug();
    SetRandomSound(*plug, 8);
    const StoredValues before = ValuesOf(*plug);
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + c.size);
    EXPECT_EQ(plug->ReadState(ChunkOf(cut), 0), -1);

    EXPECT_EQ(plug->CurrentPresetPath(), c.pathRead ? path : "");
    const StoredSteps steps = StepsOf(*plug);
    for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
      ASSERT_EQ(steps[i], i < c.stepsRead ? StepsOf(*source)[i] : 0) << "step " << i;
    for (int i = 0; i < kNumParams; ++i)
    {
      const IParam& p = *plug->GetParam(i);
      const double expected = i < c.valuesRead    ? source->GetParam(i)->Value()
                              : i == c.valuesRead ? p.Constrain(0.0)
                                                  : before[i];
      ASSERT_EQ(p.Value(), expected) << p.Name();
    }
  }
}

TEST(StateChunk, PathLengthsThatCannotBeTrueEndTheRead)
{
  auto source = MakePlug();
  const std::vector<uint8_t> valid = StateBytes(*source);
  for (int32_t length : {-1, INT32_MIN, 4849, INT32_MAX})
  {
    SCOPED_TRACE(length);
    // The rest of a valid chunk follows (4848 bytes), so only the length is wrong.
    std::vector<uint8_t> bytes = HeaderOnly(4, length);
    bytes.insert(bytes.end(), valid.begin() + 6, valid.end());
    auto plug = MakePlug();
    SetRandomSound(*plug, 9);
    const StoredValues before = ValuesOf(*plug);
    const int end = plug->ReadState(ChunkOf(bytes), 0);
    EXPECT_EQ(end, -1);
    EXPECT_TRUE(plug->CurrentPresetPath().empty());
    EXPECT_EQ(StepsOf(*plug), StoredSteps{});
    EXPECT_EQ(DifferingBits(ValuesOf(*plug), before), std::vector<int>{});
  }
}

TEST(StateChunk, PathEndsAtItsFirstZeroByte)
{
  auto source = MakePlug();
  SetRandomSound(*source, 10);
  IByteChunk chunk;
  WriteStateChunk(chunk, std::string("ab\0cd", 5), StepsOf(*source), ValuesOf(*source));
  auto plug = MakePlug();
  EXPECT_EQ(plug->ReadState(chunk, 0), chunk.Size());
  EXPECT_EQ(plug->CurrentPresetPath(), "ab");
  EXPECT_EQ(DifferingBits(ValuesOf(*plug), ValuesOf(*source)), std::vector<int>{});
}

// --- Numbers that are not what the writer writes --------------------------------------------

TEST(StateChunk, OutOfRangeAndNonNumbersStayInsideTheRanges)
{
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct
  {
    int index;
    double stored;
    double value;
  } values[] = {
      {kVolume, kNaN, 0.0}, // not a number: the parameter's minimum
      {kOsc1Freq, kNaN, -12.0},     {kAmpEnvDecay, kInf, 20000.0},
      {kAmpEnvSustain, -kInf, 0.0}, {kOsc1Type, 1e300, 5.0},
      {kPolyphony, -3.0, 0.0},      {kSubType, 1.5, 2.0}, // entries snap half away from zero
  };
  const struct
  {
    int step;
    double stored;
    int32_t note;
  } steps[] = {{0, kNaN, 0},  {1, 1e12, 32767}, {2, -1e12, -32767}, {3, 3.9, 3},
               {4, -1.9, -1}, {5, kInf, 32767}, {6, -0.0, 0}};

  auto source = MakePlug();
  std::vector<uint8_t> bytes = StateBytes(*source);
  for (const auto& v : values)
    PokeDouble(bytes, ValueOffset(0, v.index), v.stored);
  for (const auto& s : steps)
    PokeDouble(bytes, StepOffset(0, s.step), s.stored);
  auto plug = MakePlug();
  EXPECT_EQ(plug->ReadState(ChunkOf(bytes), 0), static_cast<int>(bytes.size()));
  for (const auto& v : values)
    EXPECT_EQ(plug->GetParam(v.index)->Value(), v.value) << plug->GetParam(v.index)->Name();
  for (const auto& s : steps)
    EXPECT_EQ(plug->Engine().Arpeggiator().StepNote(s.step), s.note) << "step " << s.step;
}
