// The vantrix-render executable end to end: exit statuses, messages, and the files it leaves.

#include "render_scratch_dir.h"

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cstdlib>
#include <sstream>

namespace
{
struct RunResult
{
  int status = -1;
  std::string out;
  std::string err;
};

std::string ShellQuoted(const std::string& arg)
{
  std::string quoted = "'";
  for (char c : arg)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadText(const std::filesystem::path& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/** Runs the renderer through the shell; its captured streams and status go to files in logDir,
    which keeps the test free of process APIs. */
RunResult Run(const std::vector<std::string>& args, const std::filesystem::path& logDir)
{
  std::string command = ShellQuoted(VANTRIX_RENDER_EXE);
  for (const std::string& arg : args)
    command += " " + ShellQuoted(arg);
  command += " >" + ShellQuoted((logDir / "stdout").string()) + " 2>" +
             ShellQuoted((logDir / "stderr").string()) + "; echo $? >" +
             ShellQuoted((logDir / "status").string());
  RunResult result;
  if (std::system(command.c_str()) != 0) return result;
  result.status = std::stoi(ReadText(logDir / "status"));
  result.out = ReadText(logDir / "stdout");
  result.err = ReadText(logDir / "stderr");
  return result;
}

class RenderCli : public testing::Test
{
protected:
  void SetUp() override
  {
    mInputs = ScratchDir();
    mLogs = mInputs / "logs";
    mOutputs = mInputs / "out";
    std::filesystem::create_directories(mLogs);
    std::filesystem::create_directories(mOutputs);
  }

  RunResult Run(const std::vector<std::string>& args) { return ::Run(args, mLogs); }
  std::string Out(const char* name) const { return (mOutputs / name).string(); }

  std::filesystem::path mInputs, mLogs, mOutputs;
};

TEST_F(RenderCli, FailuresExitWithTheirStatusAndLeaveNoFile)
{
  WriteBytes(mInputs / "broken.mid", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 2, 0, 1, 0, 96});
  const std::string broken = (mInputs / "broken.mid").string();
  const std::string absent = (mInputs / "absent.mid").string();
  const struct
  {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"--bogus", "--out", Out("a.wav")}, 2, "vantrix-render: unknown option \"--bogus\""},
      {{"--note", "60", "--rate"}, 2, "vantrix-render: --rate: missing value"},
      {{"--note", "60", "--set", "Nope=1", "--out", Out("a.wav")}, 2, "unknown parameter \"Nope\""},
      {{"--note", "60", "--set", "Volume=loud", "--out", Out("a.wav")}, 2, "unparsable value"},
      {{"--out", Out("a.wav")}, 2, "no input"},
      {{"--note", "60"}, 2, "missing --out"},
      {{"--midi", absent, "--out", Out("a.wav")},
       1,
       "vantrix-render: " + absent + ": no such file"},
      {{"--midi", broken, "--out", Out("a.wav")}, 1, "vantrix-render: " + broken + ": format 2"},
      {{"--note", "60", "--params", absent, "--out", Out("a.wav")}, 1, absent},
      {{"--note", "60", "--seconds", "0.1", "--out", Out("no/such/dir.wav")},
       1,
       Out("no/such/dir.wav") + ": cannot create file"},
      {{"--preset", absent, "--list-params"}, 1, absent + ": cannot read the file"},
      {{"--preset", broken, "--list-params"}, 1, broken + ": too short for a preset file"},
      {{"--state-in", broken, "--list-params"}, 1, broken + ": not a complete state chunk"},
      {{"--state-in", absent, "--list-params"}, 1, absent + ": cannot read the file"},
      {{"--save-preset", Out("no/such/a.vxp")}, 1, Out("no/such/a.vxp") + ": cannot write"},
      {{"--state-out", Out("no/such/a.bin")}, 1, Out("no/such/a.bin") + ": cannot write"},
      {{"--preset"}, 2, "vantrix-render: --preset: missing value"},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.message);
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err; // one line
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(DirEntries(mOutputs).empty());
  }
}

struct WavShape
{
  int channels = 0;
  int rate = 0;
  long long frames = 0;
  int format = 0;
};

WavShape ReadShape(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> samples(static_cast<std::size_t>(info.frames * info.channels));
  const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  return {info.channels, info.samplerate, read, info.format};
}

TEST_F(RenderCli, NoteRenderWritesStereoFloatWavOfTheRequestedLength)
{
  const struct
  {
    std::vector<std::string> args;
    int rate;
    long long frames;
    const char* seconds;
  } cases[] = {
      {{"--note", "C4:100:0:0.5", "--seconds", "1", "--rate", "44100"}, 44100, 44100, "1.00 s"},
      // Default length: the last note off (0.25 + 0.5 s) plus the tail.
      {{"--note", "60", "--note", "E4:80:0.25:0.5", "--tail", "0.5", "--block", "100"},
       48000,
       72000,
       "1.50 s"},
  };
  for (const auto& c : cases)
  {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--out", Out("note.wav")});
    const RunResult r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_EQ(r.out.rfind("wrote " + Out("note.wav") + ": " + c.seconds + ", " +
                              std::to_string(c.rate) + " Hz, stereo 32-bit float, peak ",
                          0),
              0u)
        << r.out;
    EXPECT_NE(r.out.find(" dBFS\n"), std::string::npos) << r.out;
    const WavShape wav = ReadShape(Out("note.wav"));
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, c.rate);
    EXPECT_EQ(wav.frames, c.frames);
    EXPECT_EQ(wav.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(DirEntries(mOutputs), std::vector<std::string>{"note.wav"}); // no temporary left
  }
}

/** The current-value column of the --list-params line of parameter index. */
std::string CurrentValueText(const std::string& listing, int index)
{
  std::istringstream in(listing);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(std::to_string(index) + "\t", 0) == 0)
    {
      std::size_t start = 0;
      for (int column = 0; column < 9; ++column)
        start = line.find('\t', start) + 1;
      return line.substr(start, line.find('\t', start) - start);
    }
  return "(no line)";
}

TEST_F(RenderCli, DemoSongIsFoundAndItsSettingsApplyBeforeSet)
{
  const RunResult r = Run({"--demo", "--seconds", "0.5", "--out", Out("demo.wav")});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadShape(Out("demo.wav")).frames, 24000);

  const RunResult list = Run({"--demo", "--list-params", "--set", "Volume=0.5"});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 94);
  EXPECT_EQ(CurrentValueText(list.out, 63), "22");  // "FX Mix" from demo.params
  EXPECT_EQ(CurrentValueText(list.out, 33), "0.5"); // "Volume": --set wins over demo.params
}
TEST_F(RenderCli, PresetsAndStatesCarryTheSoundBetweenRuns)
{
  const RunResult save = Run({"--set", "Volume=0.5", "--set", "A440=ON", "--set", "Osc1 Type=Pulse",
                              "--save-preset", Out("a.vxp"), "--state-out", Out("a.state")});
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_EQ(save.out, "wrote " + Out("a.vxp") + ": preset file, 4856 bytes\n" + "wrote " +
                          Out("a.state") + ": state chunk, " +
                          std::to_string(4854 + Out("a.vxp").size()) + " bytes\n");
  EXPECT_EQ(DirEntries(mOutputs), (std::vector<std::string>{"a.state", "a.vxp"}));

  const struct
  {
    std::vector<std::string> args;
    const char* a440;
    const char* volume;
  } cases[] = {
      // A preset load switches the reference tone off; a state keeps it.
      {{"--preset", Out("a.vxp")}, "OFF", "0.5"},
      {{"--state-in", Out("a.state")}, "ON", "0.5"},
      // --params and --set come after the preset.
      {{"--preset", Out("a.vxp"), "--set", "Volume=0.3"}, "OFF", "0.3"},
  };
  for (const auto& c : cases)
  {
    std::vector<std::string> args = c.args;
    args.push_back("--list-params");
    const RunResult r = Run(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(CurrentValueText(r.out, 64), c.a440);
    EXPECT_EQ(CurrentValueText(r.out, 33), c.volume);
    EXPECT_EQ(CurrentValueText(r.out, 0), "Pulse");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 94); // the listing only
  }

  // A render from a preset, which is saved again on the way.
  const RunResult render = Run({"--preset", Out("a.vxp"), "--note", "60", "--seconds", "0.2",
                                "--save-preset", Out("b.vxp"), "--out", Out("b.wav")});
  ASSERT_EQ(render.status, 0) << render.err;
  EXPECT_EQ(ReadShape(Out("b.wav")).frames, 9600);
  EXPECT_EQ(std::filesystem::file_size(Out("b.vxp")), 4856u);
}
} // namespace
