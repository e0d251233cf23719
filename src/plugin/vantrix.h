#pragma once
// The instrument: the parameter set and the engine behind the framework's processing entry, the
// stored forms of its sound and the user's preferences.

#include "engine/engine.h"
#include "plugin/byte_chunk.h"
#include "plugin/plug_processor.h"
#include "plugin/settings_file.h"
#include "plugin/state_codec.h"

#include <string>
#include <string_view>

class Vantrix : public IPlugProcessor
{
public:
  /** The name of the preferences' folder inside the user's application-data folder. */
  static constexpr std::string_view kSettingsFolderName = "Ostryn Vantrix";

  /** UI thread: the plug-in, with the preferences of the user's settings file. */
  Vantrix();
  /** UI thread: preferences from settings.ini in settingsFolder (UTF-8); an empty folder keeps
      them in memory only (tools, tests). */
  explicit Vantrix(std::string_view settingsFolder);

  /** Audio thread, processing stopped: passes sample rate and block size to the engine. */
  void OnReset() override;
  /** Any thread: hands the parameter's new value to its engine slot. */
  void OnParamChange(int index) override;
  /** Audio thread: queues msg for the coming block. */
  void ProcessMidiMsg(const IMidiMsg& msg) override;
  /** Audio thread: renders one block into two 64-bit outputs; inputs are ignored. */
  void ProcessBlock(double** inputs, double** outputs, int frames) override;
  /** UI thread: mirrors the modulation wheel into its parameter while no editor is open. */
  void OnMidiMsgUI(const IMidiMsg& msg) override;

  // The host's state chunk (UI thread).
  /** Appends the current-version chunk to chunk; returns true. */
  bool WriteState(IByteChunk& chunk) const;
  /** Restores a chunk of any version from startPos; returns the position after the last value
      read, or -1 when the chunk ended early (what it held is applied all the same). The voices
      are reset at the next block. */
  int ReadState(const IByteChunk& chunk, int startPos);
  /** Finishes a restore after ReadState: phase offsets for old versions, values to the editor. */
  void AfterStateRestore();

  // Preset files (UI thread). Paths are UTF-8; an empty path does nothing.
  /** Writes the sound as a preset file; a failure is silent. */
  void SavePresetFile(std::string_view utf8Path);
  /** Loads a preset file, telling the host of every value; a file that cannot be read changes
      nothing but the current preset path (and resets the voices). */
  void LoadPresetFile(std::string_view utf8Path);
  /** SavePresetFile that says why it failed; empty when the file was written. */
  std::string TrySavePresetFile(std::string_view utf8Path);
  /** LoadPresetFile that says why nothing was loaded; empty when the preset was applied. */
  std::string TryLoadPresetFile(std::string_view utf8Path);
  /** The preset file last saved, loaded or named by a restored state (UTF-8; empty for none). */
  const std::string& CurrentPresetPath() const { return mPresetPath; }
  /** Set by a state of an old version; the editor shows its warning once and clears it. */
  bool OldVersionFlag() const { return mOldVersionFlag; }
  void ClearOldVersionFlag() { mOldVersionFlag = false; }

  // Preferences (UI thread); each change is written to the settings file at once.
  float EditorScale() const { return mEditorScale; }
  /** The user chose an editor size. */
  void SaveEditorScale(float scale);
  /** Computer-keyboard note entry: 0 is off, any other value on. */
  float ComputerKeyboardFlag() const { return mComputerKeyboardFlag; }
  /** The settings menu's toggle: 0 when the flag was above 0, else 1. */
  void ToggleComputerKeyboard();
  /** The folder the preset browser lists (UTF-8; empty for none). */
  std::string PresetFolder() const;
  void SavePresetFolder(std::string_view utf8Path);

  VX_Engine& Engine() { return mEngine; }
  const VX_Engine& Engine() const { return mEngine; }

private:
  StoredValues CurrentValues() const;
  StoredSteps CurrentSteps() const;
  void StoreSteps(const StoredSteps& steps);
  void SetStateValues(const std::vector<double>& values);
  void SetLegacyStateValues(const std::vector<double>& values);
  void ApplyPreset(const VX_PresetRecord& preset);
  /** SetParameterAndInformHost with a normalised value kept in 0..1 for the host. */
  void SetNormalisedAndInformHost(int index, double normalised);

  VX_Engine mEngine;
  SettingsFile mSettings;
  float mEditorScale = 1.0f;
  float mComputerKeyboardFlag = 0.0f;
  std::string mPresetPath;
  int mStateVersion = 0; // of the last chunk read, for AfterStateRestore
  bool mOldVersionFlag = false;
};
