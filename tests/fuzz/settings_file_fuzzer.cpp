// The settings file on any bytes: the preferences read from it stay usable, and saving the
// document and loading it again keeps every section, key, value and comment.

#include "plugin/settings_file.h"

#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace
{
/** The document's lines after the signature, without the empty ones: a comment's place at the
    top of the file may add or remove those. */
std::string WithoutBlankLines(const std::string& text)
{
  std::string lines;
  for (std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0; start < text.size();)
  {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    if (end > start) lines.append(text, start, end - start).append("\n");
    start = end + 2;
  }
  return lines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  SettingsFile settings;
  if (!settings.LoadFromMemory(std::string_view(reinterpret_cast<const char*>(data), size)))
    return 0;
  const VX_Preferences preferences = ReadPreferences(settings);
  Require(preferences.editorScale >= VX_Preferences::kMinScale &&
              preferences.editorScale <= VX_Preferences::kMaxScale,
          "editor scale inside its range");
  Require(std::isfinite(preferences.computerKeyboardFlag), "keyboard flag is a number");

  // What the plug-in writes when the user changes a preference, and reads back at the next start.
  settings.SetTextUnsaved(VX_Preferences::kSection, VX_Preferences::kScaleKey, "1.200000");
  const std::string saved = settings.Serialised();
  SettingsFile reloaded;
  Require(reloaded.LoadFromMemory(saved), "a saved document loads");
  Require(WithoutBlankLines(reloaded.Serialised()) == WithoutBlankLines(saved),
          "saving and loading keeps every line of the document");
  Require(ReadPreferences(reloaded).editorScale == 1.2f, "a written preference reads back");
  for (const char* key : {VX_Preferences::kPresetPathKey, VX_Preferences::kComputerKeyboardKey})
    Require(reloaded.GetText(VX_Preferences::kSection, key) ==
                settings.GetText(VX_Preferences::kSection, key),
            "the other preferences survive a save");
  return 0;
}
