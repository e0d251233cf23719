#include "plugin/vantrix.h"

#include "dsp/denormals.h"
#include "plugin/parameter_set.h"

Vantrix::Vantrix() : Vantrix(SettingsFile::UserFolder(kSettingsFolderName)) {}

Vantrix::Vantrix(std::string_view settingsFolder) : IPlugProcessor(kNumParams)
{
  // The engine exists by now; the preferences are read before the parameters are created.
  mSettings.OpenFolder(settingsFolder);
  const VX_Preferences preferences = LoadPreferences(mSettings);
  mEditorScale = preferences.editorScale;
  mComputerKeyboardFlag = preferences.computerKeyboardFlag;
  InitParameterSet(*this);
}

void Vantrix::OnReset()
{
  mEngine.SetSampleRate(static_cast<float>(GetSampleRate()));
  mEngine.SetMaxBlockSize(GetBlockSize());
}

void Vantrix::OnParamChange(int index)
{
  mEngine.WriteParamValue(index, static_cast<float>(GetParam(index)->Value()));
}

void Vantrix::ProcessMidiMsg(const IMidiMsg& msg)
{
  mEngine.QueueMidi(msg.mOffset, msg.mStatus, msg.mData1, msg.mData2);
}

void Vantrix::ProcessBlock(double** /*inputs*/, double** outputs, int frames)
{
  const VX_ScopedFlushDenormals flushDenormals;
  const int connected = NOutChansConnected();
  mEngine.SetHostTempo(static_cast<float>(GetTempo()));
  // Without exactly two outputs nothing is rendered; queued events wait for the next block.
  if (connected == 2) mEngine.RenderBlock(outputs, frames);
}

void Vantrix::OnMidiMsgUI(const IMidiMsg& msg)
{
  if (msg.StatusKind() == IMidiMsg::kControlChange && msg.mData1 == 1)
    GetParam(kModWheel)->SetValue(msg.mData2 / 127.0);
}

void Vantrix::SaveEditorScale(float scale)
{
  mEditorScale = scale;
  mSettings.SetText(VX_Preferences::kSection, VX_Preferences::kScaleKey,
                    PreferenceNumberText(scale));
}

void Vantrix::ToggleComputerKeyboard()
{
  mComputerKeyboardFlag = mComputerKeyboardFlag > 0.0f ? 0.0f : 1.0f;
  mSettings.SetText(VX_Preferences::kSection, VX_Preferences::kComputerKeyboardKey,
                    PreferenceNumberText(mComputerKeyboardFlag));
}

std::string Vantrix::PresetFolder() const
{
  return mSettings.GetText(VX_Preferences::kSection, VX_Preferences::kPresetPathKey);
}

void Vantrix::SavePresetFolder(std::string_view utf8Path)
{
  mSettings.SetText(VX_Preferences::kSection, VX_Preferences::kPresetPathKey, utf8Path);
}
