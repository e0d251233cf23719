#include "plugin/settings_file.h"

#include "platform/file_io.h"
#include "platform/user_folders.h"

// The document keeps the file's UTF-8 bytes as they are: the program's text is UTF-8 throughout,
// so no conversion library is wanted. The implementation is compiled here rather than linked
// from Debian's shared library, which would bring ICU into the plug-in module for nothing.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace
{
constexpr const char* kFileName = "settings.ini";

/** Collects the document's text with CRLF line ends, whatever the system's own. */
class CrlfTextWriter : public CSimpleIniA::OutputWriter
{
public:
  explicit CrlfTextWriter(std::string& text) : mText(text) {}
  void Write(const char* piece) override
  {
    for (; *piece; ++piece)
    {
      if (*piece == '\n') mText += '\r';
      mText += *piece;
    }
  }

private:
  std::string& mText;
};

bool HasLineBreak(std::string_view text)
{
  return text.find_first_of("\r\n") != std::string_view::npos;
}

/** The text as the parser can take it without harm (CR and LF both end a line):
    - without the signature, or any other at the start of a line, where it can only stand in the
      way: a key written first after the file's own signature would lose it at the next load;
    - without section lines that lack their closing bracket, which the parser skips but whose
      start it keeps as the name of the section that follows, a name holding a line break that
      every save makes worse. */
std::string ParseableText(std::string_view bytes)
{
  constexpr std::string_view kSignature = SI_UTF8_SIGNATURE;
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t start = 0; start <= bytes.size();)
  {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    // The line's indent without signatures, then the rest of it.
    std::string_view rest = bytes.substr(start, end - start);
    std::string indent;
    for (;;)
    {
      const std::size_t spaces = std::min(rest.find_first_not_of(" \t"), rest.size());
      indent.append(rest.substr(0, spaces));
      rest.remove_prefix(spaces);
      if (!rest.starts_with(kSignature)) break;
      rest.remove_prefix(kSignature.size());
    }
    const bool brokenSection = rest.starts_with('[') && rest.find(']') == std::string_view::npos;
    if (!brokenSection) text.append(indent).append(rest);
    if (end < bytes.size()) text += bytes[end];
    start = end + 1;
  }
  return text;
}
} // namespace

struct SettingsFile::Document
{
  // Case-insensitive names; values are UTF-8 and the file gets a UTF-8 signature.
  CSimpleIniA ini{true};
};

SettingsFile::SettingsFile() : mDocument(std::make_unique<Document>()) {}

SettingsFile::~SettingsFile() = default;

std::string SettingsFile::UserFolder(std::string_view folderName)
{
  const std::string appData = LocalAppDataFolder();
  return appData.empty() ? std::string() : JoinPath(appData, folderName);
}

void SettingsFile::OpenFolder(std::string_view utf8Folder)
{
  mFilePath.clear();
  if (utf8Folder.empty()) return;
  CreateFolders(utf8Folder);
  mFilePath = JoinPath(utf8Folder, kFileName);
}

bool SettingsFile::Load()
{
  if (mFilePath.empty()) return false;
  std::error_code error;
  const auto bytes = ReadFileBytes(mFilePath, SIZE_MAX, error);
  if (!bytes) return false;
  return LoadFromMemory(
      std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

bool SettingsFile::LoadFromMemory(std::string_view bytes)
{
  auto fresh = std::make_unique<Document>();
  if (fresh->ini.LoadData(ParseableText(bytes)) < 0) return false;
  mDocument = std::move(fresh);
  return true;
}

std::string SettingsFile::Serialised() const
{
  std::string text;
  CrlfTextWriter writer(text);
  mDocument->ini.Save(writer, true);
  return text;
}

bool SettingsFile::Save() const
{
  if (mFilePath.empty()) return false;
  const std::string text = Serialised();
  const auto* first = reinterpret_cast<const uint8_t*>(text.data());
  return !WriteFileBytes(mFilePath, std::span<const uint8_t>(first, text.size()));
}

std::string SettingsFile::GetText(std::string_view section, std::string_view key) const
{
  const char* value =
      mDocument->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
  return value ? std::string(value) : std::string();
}

double SettingsFile::GetNumber(std::string_view section, std::string_view key) const
{
  // from_chars reads the C locale's form whatever the host's locale; unlike strtod it takes no
  // leading "+", which the file may hold.
  std::string text = GetText(section, key);
  std::string_view digits = text;
  if (digits.starts_with('+') && !digits.starts_with("+-")) digits.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool complete = ec == std::errc() && end == digits.data() + digits.size();
  return complete && std::isfinite(value) ? value : 0.0;
}

void SettingsFile::SetTextUnsaved(std::string_view section, std::string_view key,
                                  std::string_view value)
{
  // A line break would split the entry into lines that read back as other keys.
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return;
  mDocument->ini.SetValue(std::string(section).c_str(), std::string(key).c_str(),
                          std::string(value).c_str());
}

bool SettingsFile::SetText(std::string_view section, std::string_view key, std::string_view value)
{
  SetTextUnsaved(section, key, value);
  return Save();
}

namespace
{
/** A number preference as the 32-bit float the plug-in keeps; one too large for that reads as
    missing. */
float PreferenceFloat(const SettingsFile& settings, const char* key)
{
  const double value = settings.GetNumber(VX_Preferences::kSection, key);
  return std::abs(value) <= std::numeric_limits<float>::max() ? static_cast<float>(value) : 0.0f;
}
} // namespace

VX_Preferences LoadPreferences(SettingsFile& settings)
{
  using P = VX_Preferences;
  if (!settings.Load())
  {
    settings.SetTextUnsaved(P::kSection, P::kScaleKey, "1");
    settings.SetTextUnsaved(P::kSection, P::kPresetPathKey, "");
    settings.SetTextUnsaved(P::kSection, P::kComputerKeyboardKey, "0");
    settings.Save();
    settings.Load();
  }
  return ReadPreferences(settings);
}

VX_Preferences ReadPreferences(const SettingsFile& settings)
{
  using P = VX_Preferences;
  P preferences;
  preferences.computerKeyboardFlag = PreferenceFloat(settings, P::kComputerKeyboardKey);
  const float scale = PreferenceFloat(settings, P::kScaleKey);
  preferences.editorScale = scale < P::kMinScale || scale > P::kMaxScale ? 1.0f : scale;
  return preferences;
}

std::string PreferenceNumberText(float value)
{
  char buf[64];
  const auto result = std::to_chars(buf, buf + sizeof(buf), static_cast<double>(value),
                                    std::chars_format::fixed, 6);
  return std::string(buf, result.ptr);
}
