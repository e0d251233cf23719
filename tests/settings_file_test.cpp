// The per-user settings file: defaults for a missing file, reading the preferences, and writing
// each change at once while keeping everything else in the file.

#include "render_scratch_dir.h"
#include "state_test_support.h"

#include "plugin/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace
{
const std::string kBom = "\xEF\xBB\xBF";

std::string Utf8(const std::filesystem::path& path)
{
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string ReadText(const std::filesystem::path& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SettingsFileTest : public testing::Test
{
protected:
  void SetUp() override { mFolder = ScratchDir() / "Ostryn Vantrix"; }

  std::filesystem::path File() const { return mFolder / "settings.ini"; }
  void WriteFile(const std::string& text)
  {
    std::filesystem::create_directories(mFolder);
    WriteText(File(), text);
  }
  std::unique_ptr<Vantrix> Plug() const { return std::make_unique<Vantrix>(Utf8(mFolder)); }
  /** The file as another instance created now would read it. */
  std::string Stored(const char* section, const char* key) const
  {
    SettingsFile settings;
    settings.OpenFolder(Utf8(mFolder));
    EXPECT_TRUE(settings.Load());
    return settings.GetText(section, key);
  }

  std::filesystem::path mFolder;
};
} // namespace

TEST_F(SettingsFileTest, MissingFileIsCreatedWithTheDefaults)
{
  auto plug = Plug();
  EXPECT_EQ(plug->EditorScale(), 1.0f);
  EXPECT_EQ(plug->ComputerKeyboardFlag(), 0.0f);
  EXPECT_EQ(plug->PresetFolder(), "");
  EXPECT_EQ(ReadText(File()),
            kBom + "[preferences]\r\nscale = 1\r\npresetPath = \r\nqwertykeyboard = 0\r\n");
}

TEST_F(SettingsFileTest, ScaleOutsideItsRangeStartsAtOne)
{
  const struct
  {
    const char* line;
    float scale;
  } cases[] = {
      {"scale = 0.69", 1.0f},
      {"scale = 0.7", 0.7f},
      {"scale = 2", 2.0f},
      {"scale = 2.5", 1.0f},
      {"scale = 1.200000", 1.2f},
      {"scale = +1.5", 1.5f},
      {"", 1.0f}, // missing: 0, which the clamp turns into 1
      // Not numbers, or too large for the float it is kept in: as if missing.
      {"scale = big", 1.0f},
      {"scale = 1.5x", 1.0f},
      {"scale = nan", 1.0f},
      {"scale = inf", 1.0f},
      {"scale = 1e39", 1.0f},
      {"scale = 1,5", 1.0f},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.line);
    WriteFile("[preferences]\n" + std::string(c.line) + "\n");
    EXPECT_EQ(Plug()->EditorScale(), c.scale);
    // The file keeps its text until the user chooses a size.
    EXPECT_NE(ReadText(File()).find(c.line), std::string::npos);
  }
}

TEST_F(SettingsFileTest, ComputerKeyboardFlagAndItsToggle)
{
  const struct
  {
    const char* value;
    float flag;
    const char* toggled; // written by the settings menu's toggle
    float flagAfter;
  } cases[] = {
      {"0", 0.0f, "1.000000", 1.0f},
      {"1.000000", 1.0f, "0.000000", 0.0f},
      {"-1", -1.0f, "1.000000", 1.0f}, // on for note entry, though not above 0
      {"yes", 0.0f, "1.000000", 1.0f},
  };
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.value);
    WriteFile("[preferences]\nqwertykeyboard=" + std::string(c.value) + "\n");
    auto plug = Plug();
    EXPECT_EQ(plug->ComputerKeyboardFlag(), c.flag);
    plug->ToggleComputerKeyboard();
    EXPECT_EQ(plug->ComputerKeyboardFlag(), c.flagAfter);
    EXPECT_EQ(Stored("preferences", "qwertykeyboard"), c.toggled);
  }
}

TEST_F(SettingsFileTest, NamesCompareWithoutCaseAndKeepTheirSpelling)
{
  WriteFile("[Preferences]\r\nSCALE = 1.5\r\nQwertyKeyboard = 1\r\n");
  auto plug = Plug();
  EXPECT_EQ(plug->EditorScale(), 1.5f);
  EXPECT_EQ(plug->ComputerKeyboardFlag(), 1.0f);
  plug->SaveEditorScale(1.25f);
  EXPECT_EQ(ReadText(File()), kBom + "[Preferences]\r\nSCALE = 1.250000\r\nQwertyKeyboard = 1\r\n");
}

TEST_F(SettingsFileTest, EveryChangeIsSavedAtOnceKeepingTheRestOfTheFile)
{
  WriteFile(kBom + "; written by hand\n\n[other]\nfoo=bar\n\n[preferences]\nscale = 1\n"
                   "mystery = 42\npresetPath =\n[last]\nä = ö\n");
  auto plug = Plug();
  const std::string folder = "/home/zoë/Presets ☃";
  plug->SaveEditorScale(1.2f);
  EXPECT_EQ(Stored("preferences", "scale"), "1.200000");
  plug->ToggleComputerKeyboard();
  EXPECT_EQ(Stored("preferences", "qwertykeyboard"), "1.000000");
  plug->SavePresetFolder(folder);
  EXPECT_EQ(Stored("preferences", "presetPath"), folder);
  EXPECT_EQ(plug->PresetFolder(), folder);

  EXPECT_EQ(Stored("other", "foo"), "bar");
  EXPECT_EQ(Stored("preferences", "mystery"), "42");
  EXPECT_EQ(Stored("last", "ä"), "ö");
  const std::string text = ReadText(File());
  EXPECT_EQ(text.rfind(kBom + "; written by hand\r\n", 0), 0u) << text;
  // CRLF throughout.
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    EXPECT_EQ(text[at - 1], '\r') << at;
  // A new instance starts with what was written.
  auto next = Plug();
  EXPECT_EQ(next->EditorScale(), 1.2f);
  EXPECT_EQ(next->ComputerKeyboardFlag(), 1.0f);
}

TEST_F(SettingsFileTest, SectionLinesWithoutTheirBracketAreSkipped)
{
  // CR alone ends a line too. The keys after a broken line stay in the section before it.
  for (const char* broken : {"[preferences\n", "[prefe\r]\n", "  [x", "\xEF\xBB\xBF[x"})
  {
    SCOPED_TRACE(broken);
    WriteFile("[other]\nfoo = bar\n" + std::string(broken) + "\nscale = 1.5\n");
    auto plug = Plug();
    EXPECT_EQ(plug->EditorScale(), 1.0f);
    EXPECT_EQ(Stored("other", "scale"), "1.5");
    plug->SaveEditorScale(1.25f);
    const std::string once = ReadText(File());
    plug->SaveEditorScale(1.25f);
    EXPECT_EQ(ReadText(File()), once);
    EXPECT_EQ(once, kBom + "[other]\r\nfoo = bar\r\nscale = 1.5\r\n\r\n\r\n[preferences]\r\n"
                           "scale = 1.250000\r\n");
  }
}

TEST_F(SettingsFileTest, AnEmptyFileIsAnEmptyDocumentAndStaysAsItIs)
{
  WriteFile("");
  auto plug = Plug();
  EXPECT_EQ(plug->EditorScale(), 1.0f);
  EXPECT_EQ(plug->ComputerKeyboardFlag(), 0.0f);
  EXPECT_EQ(ReadText(File()), "");
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadOrWrittenLeavesTheDefaultsInMemory)
{
  // A folder where the file should be: neither readable as a file nor replaceable.
  std::filesystem::create_directories(File());
  auto plug = Plug();
  EXPECT_EQ(plug->EditorScale(), 1.0f);
  plug->SaveEditorScale(1.5f);
  EXPECT_EQ(plug->EditorScale(), 1.5f);
  EXPECT_TRUE(std::filesystem::is_directory(File()));
  EXPECT_EQ(DirEntries(mFolder), std::vector<std::string>{"settings.ini"}); // no temporary left

  // No folder at all: preferences in memory only.
  SettingsFile none;
  none.OpenFolder("");
  EXPECT_FALSE(none.Load());
  EXPECT_FALSE(none.SetText("preferences", "scale", "1"));
  EXPECT_EQ(none.GetText("preferences", "scale"), "1");
}

TEST_F(SettingsFileTest, ValuesWithLineBreaksAreRefused)
{
  auto plug = Plug();
  plug->SavePresetFolder("/tmp/evil\nscale = 9");
  EXPECT_EQ(plug->PresetFolder(), "");
  EXPECT_EQ(Stored("preferences", "scale"), "1");
}

TEST(SettingsFileNumbers, DecimalTextOnly)
{
  const struct
  {
    const char* text;
    double value;
  } cases[] = {{"1.200000", 1.2}, {"-1", -1.0},  {"+2", 2.0},      {"1e3", 1000.0}, {".5", 0.5},
               {"", 0.0},         {"x1", 0.0},   {"1 2", 0.0},     {"0x10", 0.0},   {"+-1", 0.0},
               {"1e400", 0.0},    {"-nan", 0.0}, {"infinity", 0.0}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.text);
    SettingsFile settings;
    ASSERT_TRUE(settings.LoadFromMemory(std::string("[s]\nk = ") + c.text + "\n"));
    EXPECT_EQ(settings.GetNumber("s", "k"), c.value);
  }
  EXPECT_EQ(PreferenceNumberText(1.2f), "1.200000");
  EXPECT_EQ(PreferenceNumberText(0.0f), "0.000000");
  EXPECT_EQ(PreferenceNumberText(2.0f), "2.000000");
}

TEST(SettingsFolder, FollowsTheXdgConfigFolder)
{
  // The tests run with XDG_CONFIG_HOME set to a folder of the build, so that no test touches the
  // user's own settings.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string base = config && config[0] == '/' ? std::string(config)
                           : home                     ? std::string(home) + "/.config"
                                                      : std::string();
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(SettingsFile::UserFolder("Ostryn Vantrix"), base + "/Ostryn Vantrix");
}
