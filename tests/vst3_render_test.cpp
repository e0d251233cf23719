// The renderer as a VST3 host: the same inputs rendered through the built module (--plugin)
// and through the built-in instrument give the same samples, and the same state files.

#include "render_scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const std::filesystem::path& path)
{
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ShellQuoted(const std::string& text)
{
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

/** Runs vantrix-render: each render is a process of its own, as the instrument's random
    generators draw their seeds from a process-wide sequence. True on exit status 0. */
bool RunRender(const std::vector<std::string>& args)
{
  std::string command = ShellQuoted(VANTRIX_RENDER_EXE);
  for (const std::string& arg : args)
    command += " " + ShellQuoted(arg);
  command += " > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

/** The sample bytes of a WAV file: its "data" chunk (the header carries a time stamp). */
Bytes Samples(const Bytes& wav)
{
  const auto u32 = [&](std::size_t at)
  { return wav[at] | (wav[at + 1] << 8) | (wav[at + 2] << 16) | (uint32_t(wav[at + 3]) << 24); };
  for (std::size_t at = 12; at + 8 <= wav.size(); at += 8 + ((u32(at + 4) + 1) & ~1u))
    if (std::equal(wav.begin() + at, wav.begin() + at + 4, "data"))
      return Bytes(wav.begin() + at + 8, wav.begin() + at + 8 + u32(at + 4));
  ADD_FAILURE() << "no data chunk";
  return {};
}

bool HasSound(const Bytes& samples)
{
  return std::any_of(samples.begin(), samples.end(), [](uint8_t b) { return b != 0; });
}

/** Runs args with --out file, once built in and once through the module; returns the samples of
    both files. */
std::pair<Bytes, Bytes> RenderBothWays(const std::filesystem::path& dir,
                                       std::vector<std::string> args)
{
  const std::filesystem::path builtIn = dir / "built_in.wav", module = dir / "module.wav";
  std::vector<std::string> first = args, second = args;
  first.insert(first.end(), {"--out", builtIn.string()});
  second.insert(second.end(), {"--plugin", VANTRIX_VST3_BUNDLE, "--out", module.string()});
  EXPECT_TRUE(RunRender(first));
  EXPECT_TRUE(RunRender(second));
  return {Samples(ReadBytes(builtIn)), Samples(ReadBytes(module))};
}

/** A format-0 file at 96 ticks per quarter: a chord on channel 1, a melody on channel 3 with
    pitch bends, modulation wheel, sustain and channel pressure, and a tempo change. */
Bytes SongWithControllers()
{
  const Bytes track = {
      0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, // 120 bpm
      0x00, 0x90, 48,   90,                     // chord on channel 1
      0x00, 0x90, 55,   80,   0x00, 0x90, 64,
      70,   0x10, 0xE2, 0x00, 0x30,             // bend down on channel 3
      0x00, 0x92, 72,   100,                    // melody note
      0x20, 0xE2, 0x00, 0x40,                   // bend back to the centre
      0x20, 0xB2, 0x01, 0x60,                   // modulation wheel
      0x30, 0xB0, 0x40, 0x7F,                   // sustain on, channel 1
      0x00, 0x80, 55,   0x40,                   // held by the pedal
      0x30, 0xD2, 0x50,                         // channel pressure
      0x30, 0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, // 100 bpm
      0x20, 0xB2, 0x01, 0x00,                   // wheel back
      0x10, 0x82, 72,   0x40,                   // melody off
      0x20, 0xB0, 0x40, 0x00,                   // sustain off
      0x00, 0x80, 48,   0x00, 0x00, 0x80, 64,
      0x00, 0x60, 0xFF, 0x2F, 0x00,
  };
  Bytes file = {'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
                1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(track.size())};
  file.insert(file.end(), track.begin(), track.end());
  return file;
}
} // namespace

TEST(Vst3Render, ModuleGivesTheBuiltInSamples)
{
  const std::filesystem::path dir = ScratchDir();
  const std::filesystem::path song = dir / "song.mid";
  WriteBytes(song, SongWithControllers());
  const std::vector<std::vector<std::string>> cases = {
      {"--midi", song.string(), "--tail", "1"},
      {"--midi", song.string(), "--set", "Filter Cutoff=0.4", "--set", "Osc1 Type=Pulse", "--set",
       "Amp Env Decay=1234.5", "--set", "LFO1 Freq=3.3", "--set", "Drift=20", "--rate", "44100",
       "--block", "100", "--tail", "1"},
      {"--note", "60:100:0:0.5", "--note", "67:30:0.25:0.5", "--tempo", "90", "--set",
       "FX Tempo Sync=ON", "--set", "FX Mix=40", "--seconds", "1.5"},
  };
  for (const std::vector<std::string>& args : cases)
  {
    const auto [builtIn, module] = RenderBothWays(dir, args);
    EXPECT_TRUE(HasSound(builtIn)) << args[1];
    EXPECT_EQ(builtIn.size(), module.size()) << args[1];
    EXPECT_TRUE(builtIn == module) << args[1];
  }
}

TEST(Vst3Render, StatesAndPresetsGoThroughTheStatePath)
{
  const std::filesystem::path dir = ScratchDir();
  const std::filesystem::path state = dir / "sound.state", preset = dir / "sound.vxp";
  ASSERT_TRUE(
      RunRender({"--set", "Osc1 Type=Pulse", "--set", "Filter Cutoff=0.35", "--set", "Volume=0.5",
                 "--state-out", state.string(), "--save-preset", preset.string()}));

  for (const char* option : {"--state-in", "--preset"})
  {
    const std::string file = std::string(option) == "--state-in" ? state.string() : preset.string();
    const auto [builtIn, module] = RenderBothWays(
        dir, {option, file, "--set", "Drift=10", "--note", "57:90:0:0.4", "--seconds", "0.8"});
    EXPECT_TRUE(HasSound(builtIn)) << option;
    EXPECT_TRUE(builtIn == module) << option;
  }

  // The module's own state, written as a state file, is the built-in one byte for byte.
  const std::filesystem::path viaModule = dir / "module.state";
  EXPECT_TRUE(RunRender({"--plugin", VANTRIX_VST3_BUNDLE, "--preset", preset.string(),
                         "--state-out", viaModule.string()}));
  const std::filesystem::path builtInState = dir / "built_in.state";
  EXPECT_TRUE(RunRender({"--preset", preset.string(), "--state-out", builtInState.string()}));
  EXPECT_EQ(ReadBytes(viaModule), ReadBytes(builtInState));
}

TEST(Vst3Render, ReportsAPathThatIsNoPlugin)
{
  const std::filesystem::path dir = ScratchDir();
  for (const std::filesystem::path& path : {dir / "missing.vst3", dir})
    EXPECT_FALSE(
        RunRender({"--plugin", path.string(), "--note", "60", "--out", (dir / "x.wav").string()}))
        << path;
  EXPECT_FALSE(std::filesystem::exists(dir / "x.wav"));
}
