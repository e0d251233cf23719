// Preset files: their fixed layout, loading every version as the preset browser does, and files
// that are not presets.

#include "render_scratch_dir.h"
#include "state_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

namespace
{
constexpr std::size_t kFileSize = 4856;
std::size_t ValueOffset(int index)
{
  return 8 + 8 * static_cast<std::size_t>(index);
}
std::size_t StepOffset(int step)
{
  return 760 + 8 * static_cast<std::size_t>(step);
}

std::string Utf8(const std::filesystem::path& path)
{
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double DoubleAt(const std::vector<uint8_t>& bytes, std::size_t offset)
{
  double value = 0.0;
  ChunkOf(bytes).Get(&value, static_cast<int>(offset));
  return value;
}

/** A preset record of version with these stored values (all others 0) and no steps set. */
std::vector<uint8_t> PresetBytes(uint16_t version,
                                 const std::vector<std::pair<int, double>>& values)
{
  std::vector<uint8_t> bytes(kFileSize, 0);
  bytes[0] = 1;
  bytes[2] = static_cast<uint8_t>(version & 0xFF);
  bytes[3] = static_cast<uint8_t>(version >> 8);
  for (const auto& [index, value] : values)
    PokeDouble(bytes, ValueOffset(index), value);
  return bytes;
}

class PresetFile : public testing::Test
{
protected:
  void SetUp() override { mDir = ScratchDir(); }

  /** Writes bytes to name in the scratch folder and loads them into a fresh instance. */
  std::unique_ptr<Vantrix> Load(const std::vector<uint8_t>& bytes, const char* name = "p.vxp")
  {
    WriteBytes(mDir / name, bytes);
    auto plug = MakePlug();
    plug->LoadPresetFile(Utf8(mDir / name));
    return plug;
  }

  std::filesystem::path mDir;
};
} // namespace

TEST_F(PresetFile, SavedFileHasTheFixedLayout)
{
  auto plug = MakePlug();
  SetRandomSound(*plug, 11);
  const std::filesystem::path path = mDir / "layout.vxp";
  plug->SavePresetFile(Utf8(path));
  EXPECT_EQ(plug->CurrentPresetPath(), Utf8(path));

  const std::vector<uint8_t> bytes = ReadAll(path);
  ASSERT_EQ(bytes.size(), kFileSize);
  const std::vector<uint8_t> header = {1, 0, 4, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8), header);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(DoubleAt(bytes, ValueOffset(i)), plug->GetParam(i)->Value()) << i;
  const StoredSteps steps = StepsOf(*plug);
  for (int i : {0, 15, 16, 511})
    EXPECT_EQ(DoubleAt(bytes, StepOffset(i)), steps[i]) << "step " << i;
  EXPECT_EQ(DirEntries(mDir), std::vector<std::string>{"layout.vxp"}); // no temporary left
}

TEST_F(PresetFile, RoundTripThroughANonAsciiPath)
{
  auto source = MakePlug();
  SetRandomSound(*source, 12);
  source->GetParam(kA440)->SetValue(1.0);
  std::filesystem::create_directories(mDir / u8"Bässe");
  const std::string path = Utf8(mDir / u8"Bässe" / u8"Tiefe Saite – ☃.vxp");
  source->SavePresetFile(path);
  ASSERT_TRUE(
      std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end()))));

  auto loaded = MakePlug();
  RecordingHostReporter host;
  loaded->SetHostReporter(&host);
  loaded->LoadPresetFile(path);
  // Everything but the reference tone, which a preset load always switches off.
  EXPECT_EQ(DifferingBits(ValuesOf(*loaded), ValuesOf(*source)), std::vector<int>{kA440});
  EXPECT_EQ(loaded->GetParam(kA440)->Value(), 0.0);
  EXPECT_EQ(StepsOf(*loaded), StepsOf(*source));
  EXPECT_EQ(loaded->CurrentPresetPath(), path);
  EXPECT_TRUE(loaded->Engine().ResetRequested());
  // Every value reaches the host, the reference tone last.
  ASSERT_EQ(host.edits.size(), 95u);
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_DOUBLE_EQ(host.edits[i].second, source->GetParam(i)->NormalisedValue()) << i;
  EXPECT_EQ(host.edits.back(), std::make_pair(int{kA440}, 0.0));
}

TEST_F(PresetFile, LoadNotifiesEngineAndEditor)
{
  auto source = MakePlug();
  source->SavePresetFile(Utf8(mDir / "a.vxp"));
  for (uint16_t version : {4, 2})
  {
    SCOPED_TRACE(version);
    std::vector<uint8_t> bytes = ReadAll(mDir / "a.vxp");
    bytes[2] = static_cast<uint8_t>(version);
    WriteBytes(mDir / "b.vxp", bytes);
    RecordingVantrix plug;
    plug.LoadPresetFile(Utf8(mDir / "b.vxp"));
    // Each parameter once, plus the reference tone switched off at the end.
    EXPECT_EQ(plug.engineNotifications.size(), 95u);
    EXPECT_EQ(plug.engineNotifications.back(), kA440);
    EXPECT_EQ(plug.EditorCount(EParamSource::kEditorPush), 95);
    EXPECT_EQ(plug.EditorCount(EParamSource::kPresetRecall), version >= 3 ? 94 : 0);
  }
}

TEST_F(PresetFile, EveryVersionLoadsWithTheReferenceToneOff)
{
  const struct
  {
    uint16_t version;
    double storedPhase;
    double phase; // "Osc1 Phase Offset" after loading
  } cases[] = {{4, 0.9, 0.9}, {7, 0.9, 0.9}, {3, 0.9, 0.5},
               {2, 0.9, 0.5}, {1, 0.9, 0.5}, {0, 0.2, 0.5}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.version);
    // "A440" is ON in the file, as a real value and as a normalised one.
    auto plug = Load(PresetBytes(c.version, {{kA440, 1.0}, {kOsc1PhaseOffset, c.storedPhase}}));
    EXPECT_EQ(plug->GetParam(kA440)->Value(), 0.0);
    EXPECT_EQ(plug->GetParam(kOsc1PhaseOffset)->Value(), c.phase);
    EXPECT_EQ(plug->GetParam(kOsc2PhaseOffset)->Value(), c.version >= 4 ? 0.0 : 0.5);
  }
}

TEST_F(PresetFile, LegacyConversionInItsOrder)
{
  // Normalised values of the old set and the current real values they stand for.
  const std::vector<std::pair<int, double>> stored = {{kOsc1Type, 0.8},
                                                      {kDelayType, 0.75},
                                                      {kFilterType, 0.9},
                                                      {kOsc1FreqModSource, 0.5},
                                                      {kOsc2ParamModSource, 0.99},
                                                      {kFilterModSource, 0.6},
                                                      {kLfo1Freq, 0.5},
                                                      {kLfo2Freq, 0.3},
                                                      {kFxTime, 0.3},
                                                      {kArpTempo, 0.5},
                                                      {kArpMode, 0.7},
                                                      {kOsc1Freq, 0.75},
                                                      {kVolume, 0.5},
                                                      {kAmpEnvAttack, 0.5},
                                                      {kFilterCutoff, 0.3},
                                                      {kLfo1FreqSynced, 0.99},
                                                      {kOsc2PhaseOffset, 0.9},
                                                      {kPolyphony, 1.0}};
  const struct
  {
    int index;
    double real;
  } expected[] = {
      {kOsc1Type, 3},           // floor(3.2) / 6 = 0.5 of 6 entries: round(2.5) = 3
      {kDelayType, 3},          // floor(3) / 6
      {kFilterType, 1},         // floor(1.8) / 3 of 3 entries: round(0.67)
      {kOsc1FreqModSource, 3},  // floor(3) * 0.125 = 0.375 of 8 entries: round(2.625)
      {kOsc2ParamModSource, 4}, // floor(5.94) * 0.125 = 0.625: round(4.375)
      {kFilterModSource, 2},    // floor(2.4) / 7 of 7 entries: round(1.71)
      // The synced divisions come from the stored rates, before the rates change:
      // floor(19 * 0.5) = 9, where the converted 0.574 would give 10.
      {kLfo1FreqSynced, 9},
      {kLfo2FreqSynced, 5}, // floor(5.7)
      {kFxTimeSynced, 5},   // ceil(4.8) / 16 of 17 entries
      {kArpTempoSynced, 9},
      {kArpMode, 4},     // floor(4.2) / 6 of 7 entries: round(4)
      {kLfo1Freq, 12.5}, // (x^2)^0.4 through the 2.5 power: x^2 of 50 Hz
      {kLfo2Freq, 4.5},
      {kFxTime, 180},    // x^2 of 2000 ms
      {kArpTempo, 12.5}, // unchanged
      {kOsc1Freq, 3},    // s = 0.5: 0.625 of -12..12
      {kVolume, 0.25},
      {kAmpEnvAttack, 1250}, // (x^3)^(2/7) through the 3.5 power: x^3 of 10000 ms
      {kFilterCutoff, 0.3},
      {kOsc2PhaseOffset, 0.5},
      {kPolyphony, 7},
  };
  auto plug = Load(PresetBytes(2, stored));
  for (const auto& e : expected)
    EXPECT_NEAR(plug->GetParam(e.index)->Value(), e.real, 1e-6 * std::max(1.0, e.real))
        << plug->GetParam(e.index)->Name();
  EXPECT_FALSE(plug->OldVersionFlag()); // the warning belongs to song states
}

TEST_F(PresetFile, StepsAreTruncatedAndKeptInRange)
{
  std::vector<uint8_t> bytes = PresetBytes(4, {});
  const struct
  {
    int step;
    double stored;
    int32_t note;
  } steps[] = {{0, 60.7, 60},
               {1, -1.0, -1},
               {2, std::numeric_limits<double>::quiet_NaN(), 0},
               {3, -1e300, -32767},
               {511, 64.0, 64}};
  for (const auto& s : steps)
    PokeDouble(bytes, StepOffset(s.step), s.stored);
  auto plug = Load(bytes);
  for (const auto& s : steps)
    EXPECT_EQ(plug->Engine().Arpeggiator().StepNote(s.step), s.note) << "step " << s.step;
}

TEST_F(PresetFile, FilesThatAreNotPresetsChangeNothingButThePath)
{
  const std::vector<uint8_t> valid = PresetBytes(4, {{kVolume, 0.9}});
  std::vector<uint8_t> otherFormat = valid;
  otherFormat[0] = 2;
  std::vector<uint8_t> noFormat = valid;
  noFormat[0] = 0;
  const struct
  {
    const char* what;
    std::vector<uint8_t> bytes;
    bool write;
  } cases[] = {
      {"missing", {}, false},
      {"empty", {}, true},
      {"one byte short", std::vector<uint8_t>(valid.begin(), valid.end() - 1), true},
      {"only a header", std::vector<uint8_t>(valid.begin(), valid.begin() + 8), true},
      {"format id 2", otherFormat, true},
      {"format id 0", noFormat, true},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.what);
    const std::filesystem::path path = mDir / "bad.vxp";
    std::filesystem::remove(path);
    if (c.write) WriteBytes(path, c.bytes);
    auto plug = MakePlug();
    SetRandomSound(*plug, 13);
    plug->GetParam(kA440)->SetValue(1.0);
    const StoredValues before = ValuesOf(*plug);
    const StoredSteps steps = StepsOf(*plug);
    EXPECT_FALSE(plug->TryLoadPresetFile(Utf8(path)).empty());
    EXPECT_EQ(DifferingBits(ValuesOf(*plug), before), std::vector<int>{});
    EXPECT_EQ(StepsOf(*plug), steps);
    EXPECT_EQ(plug->CurrentPresetPath(), Utf8(path));
    EXPECT_TRUE(plug->Engine().ResetRequested());
  }
  // A folder in place of the file.
  auto plug = MakePlug();
  EXPECT_FALSE(plug->TryLoadPresetFile(Utf8(mDir)).empty());
}

TEST_F(PresetFile, ALongerFileLoadsItsFirstRecord)
{
  std::vector<uint8_t> bytes = PresetBytes(4, {{kVolume, 0.9}});
  bytes.resize(kFileSize + 1000, 0xFF);
  auto plug = Load(bytes);
  EXPECT_EQ(plug->GetParam(kVolume)->Value(), 0.9);
}

TEST_F(PresetFile, EmptyPathsDoNothing)
{
  auto plug = MakePlug();
  plug->SavePresetFile(Utf8(mDir / "kept.vxp"));
  plug->SavePresetFile("");
  plug->LoadPresetFile("");
  EXPECT_EQ(plug->CurrentPresetPath(), Utf8(mDir / "kept.vxp"));
  EXPECT_FALSE(plug->Engine().ResetRequested());
}

TEST_F(PresetFile, SaveIntoAMissingFolderLeavesNoFile)
{
  auto plug = MakePlug();
  const std::string path = Utf8(mDir / "missing" / "a.vxp");
  EXPECT_FALSE(plug->TrySavePresetFile(path).empty());
  EXPECT_EQ(plug->CurrentPresetPath(), path);
  EXPECT_TRUE(DirEntries(mDir).empty());
}

TEST_F(PresetFile, SaveReplacesAnExistingFileWhole)
{
  const std::filesystem::path path = mDir / "a.vxp";
  WriteBytes(path, std::vector<uint8_t>(10000, 0xAB));
  auto plug = MakePlug();
  plug->SavePresetFile(Utf8(path));
  EXPECT_EQ(ReadAll(path).size(), kFileSize);
  EXPECT_EQ(DirEntries(mDir), std::vector<std::string>{"a.vxp"});
}
