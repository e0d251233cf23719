// Command-line options and parameter assignment by name or index and value text.

#include "engine/param_ids.h"
#include "plugin/vantrix.h"
#include "render/param_assignment.h"
#include "render/render_error.h"
#include "render/render_options.h"

#include "render_scratch_dir.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
class ParamAssignmentTest : public testing::Test
{
protected:
  const IParam& Param(std::string_view name)
  {
    return *mPlug->GetParam(*FindParamIndex(*mPlug, name));
  }

  std::unique_ptr<Vantrix> mPlug = std::make_unique<Vantrix>();
};

TEST_F(ParamAssignmentTest, FindsParametersByExactNameOrIndex)
{
  EXPECT_EQ(FindParamIndex(*mPlug, "Osc1 Type"), 0);
  EXPECT_EQ(FindParamIndex(*mPlug, "Filter Cutoff"), 20);
  EXPECT_EQ(FindParamIndex(*mPlug, "Reserved 15"), 93);
  EXPECT_EQ(FindParamIndex(*mPlug, "0"), 0);
  EXPECT_EQ(FindParamIndex(*mPlug, "93"), 93);
  for (const char* unknown : {"94", "-1", "filter cutoff", "Filter Cutoff ", "", "Filter"})
    EXPECT_EQ(FindParamIndex(*mPlug, unknown), std::nullopt) << unknown;
}

struct ValueCase
{
  const char* param;
  const char* text;
  std::optional<double> value;
};

const std::vector<ValueCase> kValueCases = {
    // List texts, byte for byte.
    {"Osc1 Type", "Saw", 1.0},
    {"Osc1 Scale", "16\"", 0.0},
    {"Polyphony", "4  ", 3.0},
    {"Unison Voices", "6 Voices * 8 Voice Emulation", 6.0},
    // A list text whose spaces are left out, or added.
    {"Polyphony", "4", 3.0},
    {"Polyphony", " 8 ", 7.0},
    // An entry index, when no text matches; a matching text wins over the index.
    {"Osc1 Type", "5", 5.0},
    {"Polyphony", "0", 0.0},
    {"Pitch Bend Range", "12", 11.0},
    {"Transpose", "-1", 4.0},
    {"Osc1 Type", "6", std::nullopt},
    {"Polyphony", "9", std::nullopt},
    {"Osc1 Type", "-1", std::nullopt},
    {"Osc1 Type", "1.0", std::nullopt},
    {"Osc1 Type", "saw", std::nullopt},
    {"Osc1 Type", "", std::nullopt},
    // Numbers: kept inside the range, clamped outside it.
    {"Volume", "0.5", 0.5},
    {"Volume", "+0.25", 0.25},
    {"Volume", "1e-1", 0.1},
    {"Volume", ".5", 0.5},
    {"Amp Env Decay", "1767.77", 1767.77},
    {"Drift", "100", 99.9},
    {"Osc1 Freq", "-20", -12.0},
    {"High Pass Filter", "5", 20.0},
    {"FX Mix", "150", 100.0},
    // Anything that is not completely a decimal number.
    {"Volume", "0.5x", std::nullopt},
    {"Volume", " 0.5", std::nullopt},
    {"Volume", "", std::nullopt},
    {"Volume", "-", std::nullopt},
    {"Volume", "abc", std::nullopt},
    {"Volume", "nan", std::nullopt},
    {"Volume", "inf", std::nullopt},
    {"Volume", "0x1", std::nullopt},
    {"Volume", "1e999", std::nullopt},
};

TEST_F(ParamAssignmentTest, ReadsValueTexts)
{
  for (const ValueCase& c : kValueCases)
  {
    SCOPED_TRACE(std::string(c.param) + " = \"" + c.text + "\"");
    const std::optional<double> value = ParamValueFromText(Param(c.param), c.text);
    ASSERT_EQ(value.has_value(), c.value.has_value());
    if (value)
    {
      EXPECT_DOUBLE_EQ(*value, *c.value);
    }
  }
}

TEST_F(ParamAssignmentTest, ApplySetsTheValue)
{
  ApplyAssignment(*mPlug, ParseAssignment("Polyphony=4", "--set"));
  EXPECT_EQ(mPlug->GetParam(kPolyphony)->Value(), 3.0);
  ApplyAssignment(*mPlug, ParseAssignment("20=0.3", "--set"));
  EXPECT_DOUBLE_EQ(mPlug->GetParam(kFilterCutoff)->Value(), 0.3);
}

TEST_F(ParamAssignmentTest, ApplyRejectsUnknownNamesAndUnparsableValues)
{
  const struct
  {
    const char* text;
    const char* message;
  } cases[] = {
      {"Cutoff=0.5", "--set: unknown parameter \"Cutoff\""},
      {"94=0.5", "unknown parameter \"94\""},
      {"Filter Cutoff=half", "--set: unparsable value \"half\" for parameter \"Filter Cutoff\""},
      {"Osc1 Type=Sine", "unparsable value \"Sine\""},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.text);
    try
    {
      ApplyAssignment(*mPlug, ParseAssignment(c.text, "--set"));
      ADD_FAILURE() << "no error";
    }
    catch (const UsageError& e)
    {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(ParamAssignmentParse, SplitsAtTheFirstEquals)
{
  const ParamAssignment a = ParseAssignment("Name=a=b", "--set");
  EXPECT_EQ(a.name, "Name");
  EXPECT_EQ(a.value, "a=b");
  EXPECT_EQ(ParseAssignment("Volume=", "--set").value, "");
  EXPECT_THROW(ParseAssignment("Volume", "--set"), UsageError);
  EXPECT_THROW(ParseAssignment("=0.5", "--set"), UsageError);
}

TEST(ParamAssignmentParse, ParamsFileSkipsCommentsAndBlankLinesAndNamesLines)
{
  const std::filesystem::path path = ScratchDir() / "song.params";
  WriteText(path, "# settings\n\nPolyphony=4\r\nFilter Cutoff=0.5\n#Volume=1\nCutoff=1\n");
  const std::vector<ParamAssignment> lines = ReadParamsFile(path);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].name, "Polyphony");
  EXPECT_EQ(lines[0].value, "4");
  EXPECT_EQ(lines[1].value, "0.5");
  EXPECT_EQ(lines[2].origin, path.string() + ":6");

  WriteText(path, "Polyphony=4\nno equals sign\n");
  try
  {
    ReadParamsFile(path);
    ADD_FAILURE() << "no error";
  }
  catch (const UsageError& e)
  {
    EXPECT_NE(std::string(e.what()).find(path.string() + ":2"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ReadParamsFile(path.parent_path() / "absent.params"), FileError);
}

TEST(ParamAssignmentParse, TimedLinesAreAutomationPoints)
{
  const std::filesystem::path path = ScratchDir() / "automation.params";
  WriteText(path, "Volume=0.5\n@9.6 ARP Mode=Up Down\n@0 Glide=10\n");
  const std::vector<ParamAssignment> lines = ReadParamsFile(path);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_FALSE(lines[0].seconds);
  EXPECT_EQ(lines[1].seconds, 9.6);
  EXPECT_EQ(lines[1].name, "ARP Mode");
  EXPECT_EQ(lines[1].value, "Up Down");
  EXPECT_EQ(lines[2].seconds, 0.0);

  for (const char* bad : {"@ Volume=1\n", "@-1 Volume=1\n", "@x Volume=1\n", "@2\n",
                          "@inf Volume=1\n", "@1 Volume\n"})
  {
    WriteText(path, bad);
    EXPECT_THROW(ReadParamsFile(path), UsageError) << bad;
  }
}

RenderOptions Parse(std::initializer_list<std::string_view> args)
{
  return ParseRenderOptions(std::vector<std::string_view>(args));
}

TEST(RenderOptionsParse, DefaultsAndEveryOption)
{
  const RenderOptions d = Parse({"--note", "60", "--out", "a.wav"});
  EXPECT_EQ(d.sampleRate, 48000);
  EXPECT_EQ(d.blockSize, 512);
  EXPECT_EQ(d.tempo, std::nullopt);
  EXPECT_EQ(d.seconds, std::nullopt);
  EXPECT_EQ(d.tail, 2.0);

  const RenderOptions o =
      Parse({"--midi",   "song.mid", "--note",  "C4",       "--note",  "A4:90:0.5:2", "--set",
             "Volume=1", "--params", "p1",      "--params", "p2",      "--set",       "Glide=10",
             "--rate",   "44100",    "--block", "64",       "--tempo", "97.5",        "--seconds",
             "3",        "--tail",   "0",       "--out",    "x.wav"});
  EXPECT_EQ(o.midiFile, "song.mid");
  ASSERT_EQ(o.notes.size(), 2u);
  EXPECT_EQ(o.notes[1].note, 69);
  ASSERT_EQ(o.assignments.size(), 2u);
  EXPECT_EQ(o.assignments[1].name, "Glide");
  ASSERT_EQ(o.paramsFiles.size(), 2u);
  EXPECT_EQ(o.paramsFiles[1], "p2");
  EXPECT_EQ(o.sampleRate, 44100);
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_EQ(o.tempo, 97.5);
  EXPECT_EQ(o.seconds, 3.0);
  EXPECT_EQ(o.tail, 0.0);
  EXPECT_EQ(o.out, "x.wav");

  EXPECT_TRUE(Parse({"--demo", "--out", "d.wav"}).demo);
  EXPECT_TRUE(Parse({"--list-params"}).listParams); // needs neither input nor --out
  EXPECT_TRUE(Parse({"--help"}).help);
}

TEST(RenderOptionsParse, SoundFileOptions)
{
  const RenderOptions o =
      Parse({"--state-in", "s.bin", "--preset", "a.vxp", "--save-preset", "b.vxp", "--state-out",
             "t.bin", "--note", "60", "--out", "x.wav"});
  EXPECT_EQ(o.stateIn, "s.bin");
  EXPECT_EQ(o.preset, "a.vxp");
  EXPECT_EQ(o.savePreset, "b.vxp");
  EXPECT_EQ(o.stateOut, "t.bin");
  // Writing a preset or a state needs neither input nor --out; a render still needs both.
  EXPECT_EQ(Parse({"--preset", "a.vxp", "--save-preset", "b.vxp"}).out, std::nullopt);
  EXPECT_TRUE(Parse({"--demo", "--state-out", "t.bin"}).demo);
  EXPECT_THROW(Parse({"--preset", "a.vxp"}), UsageError);
  EXPECT_THROW(Parse({"--note", "60", "--save-preset", "b.vxp"}), UsageError);
  EXPECT_THROW(Parse({"--save-preset", "b.vxp", "--out", "x.wav"}), UsageError);
  for (const char* option : {"--state-in", "--preset", "--save-preset", "--state-out"})
    EXPECT_THROW(Parse({option}), UsageError) << option;
}

TEST(RenderOptionsParse, UsageErrorsNameTheArgument)
{
  const struct
  {
    std::vector<std::string_view> args;
    const char* message;
  } cases[] = {
      {{"--bogus"}, "unknown option \"--bogus\""},
      {{"song.mid"}, "unexpected argument \"song.mid\""},
      {{"--note", "60", "--out"}, "--out: missing value"},
      {{"--rate"}, "--rate: missing value"},
      {{"--rate", "fast", "--note", "60", "--out", "a.wav"}, "--rate: bad number \"fast\""},
      {{"--rate", "44100.5"}, "--rate: bad number"},
      {{"--block", "0"}, "--block: bad number \"0\""},
      {{"--tempo", "0"}, "--tempo: bad number \"0\""},
      {{"--tempo", "120bpm"}, "--tempo: bad number"},
      {{"--seconds", "-1"}, "--seconds: bad number"},
      {{"--tail", "x"}, "--tail: bad number"},
      {{"--note", "128"}, "bad note \"128\""},
      {{"--note", "H4"}, "bad note \"H4\""},
      {{"--note", "G#9"}, "bad note"},
      {{"--note", "C4:0"}, "velocity: bad number \"0\""},
      {{"--note", "C4:100:-1"}, "start: bad number"},
      {{"--note", "C4:100:0:0"}, "length: bad number \"0\""},
      {{"--note", "C4:1:2:3:4"}, "expected NOTE[:VELOCITY[:START[:LENGTH]]]"},
      {{"--set", "Volume"}, "--set: expected NAME=VALUE"},
      {{"--out", "a.wav"}, "no input"},
      {{"--note", "60"}, "missing --out"},
      {{"--demo", "--midi", "a.mid", "--out", "a.wav"}, "cannot be combined"},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.message);
    try
    {
      ParseRenderOptions(c.args);
      ADD_FAILURE() << "no error";
    }
    catch (const UsageError& e)
    {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(RenderOptionsParse, NoteSpecsByNumberOrName)
{
  const struct
  {
    const char* text;
    int note, velocity;
    double start, length;
  } cases[] = {
      {"60", 60, 100, 0.0, 1.0},
      {"C4", 60, 100, 0.0, 1.0},
      {"c4", 60, 100, 0.0, 1.0},
      {"F#3", 54, 100, 0.0, 1.0},
      {"Bb2", 46, 100, 0.0, 1.0},
      {"A4", 69, 100, 0.0, 1.0},
      {"C-1", 0, 100, 0.0, 1.0},
      {"G9", 127, 100, 0.0, 1.0},
      {"0:1", 0, 1, 0.0, 1.0},
      {"E2:127:1.5", 40, 127, 1.5, 1.0},
      {"72:64:0.25:0.125", 72, 64, 0.25, 0.125},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.text);
    const NoteSpec n = ParseNoteSpec(c.text);
    EXPECT_EQ(n.note, c.note);
    EXPECT_EQ(n.velocity, c.velocity);
    EXPECT_DOUBLE_EQ(n.start, c.start);
    EXPECT_DOUBLE_EQ(n.length, c.length);
  }
}

TEST(RenderScore, NotesBackToBackOnOneKeyEndBeforeTheNextStarts)
{
  Score score;
  score.AddNotes({{60, 100, 1.0, 1.0}, {60, 90, 0.0, 1.0}});
  const std::vector<ScoreEvent>& e = score.Events();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[0].status, 0x90); // 0 s
  EXPECT_EQ(e[1].status, 0x80); // 1 s: the first note ends ...
  EXPECT_EQ(e[2].status, 0x90); // ... before the second starts
  EXPECT_EQ(e[2].data2, 100);
  EXPECT_DOUBLE_EQ(e[3].seconds, 2.0);
  EXPECT_DOUBLE_EQ(score.EndSeconds(), 2.0);
  EXPECT_DOUBLE_EQ(score.TempoAt(1.0), 120.0);
}
} // namespace
