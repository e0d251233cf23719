#pragma once
// The per-user preferences file: an INI document in UTF-8, kept whole in memory so that sections
// and keys the instrument does not know survive every save. Section and key names compare without
// regard to case.
//
// Thread contract: one thread (the one that constructs the plug-in, then the editor's).

#include <memory>
#include <string>
#include <string_view>

class SettingsFile
{
public:
  SettingsFile();
  ~SettingsFile();
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  /** folderName inside the user's local application-data folder; empty when there is none. */
  static std::string UserFolder(std::string_view folderName);

  /** Creates the folder (a failure is ignored) and uses settings.ini inside it; an empty folder
      leaves the document without a file, so that every Load and Save fails. */
  void OpenFolder(std::string_view utf8Folder);

  /** Reads and parses the whole file, replacing the document; false (the document unchanged)
      when it cannot be read. An empty file is an empty document. */
  bool Load();
  /** Parses bytes as the file's content, replacing the document. */
  bool LoadFromMemory(std::string_view bytes);
  /** Replaces the file with the document; false when it cannot be written. */
  bool Save() const;
  /** The file's content for the document: UTF-8 signature, "key = value" lines, CRLF ends. */
  std::string Serialised() const;

  /** The value as UTF-8 text; empty when missing. */
  std::string GetText(std::string_view section, std::string_view key) const;
  /** The value as a decimal number; 0 when missing or not completely a finite decimal number. */
  double GetNumber(std::string_view section, std::string_view key) const;
  /** Replaces or adds the key, then saves at once; false when the save failed. */
  bool SetText(std::string_view section, std::string_view key, std::string_view value);
  /** SetText in memory only, without saving. Values with a line break are refused (a line-based
      file cannot hold them), here and in SetText. */
  void SetTextUnsaved(std::string_view section, std::string_view key, std::string_view value);

private:
  struct Document;
  std::unique_ptr<Document> mDocument;
  std::string mFilePath; // empty: no file
};

/** The preferences the plug-in keeps from its settings file. */
struct VX_Preferences
{
  static constexpr const char* kSection = "preferences";
  static constexpr const char* kScaleKey = "scale";
  static constexpr const char* kPresetPathKey = "presetPath";
  static constexpr const char* kComputerKeyboardKey = "qwertykeyboard";
  static constexpr float kMinScale = 0.7f;
  static constexpr float kMaxScale = 2.0f;

  float editorScale = 1.0f;
  float computerKeyboardFlag = 0.0f;
};

/** Start-up: loads the file, first writing the defaults when it cannot be loaded, then
    ReadPreferences. */
VX_Preferences LoadPreferences(SettingsFile& settings);
/** The two numbers of the loaded document; a scale outside kMinScale..kMaxScale becomes 1. */
VX_Preferences ReadPreferences(const SettingsFile& settings);

/** A preference number as the file stores it: "%f" in the C locale, for example 1.200000. */
std::string PreferenceNumberText(float value);
