// The stored forms of the instrument's sound: the host's state chunk and preset files.

#include "plugin/vantrix.h"

#include "platform/file_io.h"

#include <algorithm>
#include <cmath>

namespace
{
/** A normalised value for the host: inside 0..1, NaN as 0. The parameter itself ends up with the
    same value either way, as it clamps its real value. */
double HostNormalised(double normalised)
{
  return std::isnan(normalised) ? 0.0 : std::clamp(normalised, 0.0, 1.0);
}

std::string FileErrorText(const std::error_code& error)
{
  return "cannot read the file (" + error.message() + ")";
}
} // namespace

// --- Helpers --------------------------------------------------------------------------------

StoredValues Vantrix::CurrentValues() const
{
  StoredValues values;
  for (int i = 0; i < kNumParams; ++i)
    values[i] = GetParam(i)->Value();
  return values;
}

StoredSteps Vantrix::CurrentSteps() const
{
  StoredSteps steps;
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
    steps[i] = mEngine.Arpeggiator().StepNote(i);
  return steps;
}

void Vantrix::StoreSteps(const StoredSteps& steps)
{
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
    mEngine.Arpeggiator().SetStepNote(i, steps[i]);
}

void Vantrix::SetNormalisedAndInformHost(int index, double normalised)
{
  SetParameterAndInformHost(index, HostNormalised(normalised));
}

// --- State chunk ----------------------------------------------------------------------------

bool Vantrix::WriteState(IByteChunk& chunk) const
{
  WriteStateChunk(chunk, mPresetPath, CurrentSteps(), CurrentValues());
  return true;
}

void Vantrix::SetStateValues(const std::vector<double>& values)
{
  for (std::size_t i = 0; i < values.size(); ++i)
    GetParam(static_cast<int>(i))->SetValue(values[i]);
}

void Vantrix::SetLegacyStateValues(const std::vector<double>& values)
{
  for (std::size_t i = 0; i < values.size(); ++i)
  {
    const int index = static_cast<int>(i);
    IParam& param = *GetParam(index);
    const VX_LegacyStateValue converted =
        ConvertLegacyStateValue(index, values[i], param.Type() == IParam::kTypeEnum);
    if (converted.derivedIndex >= 0)
      SetNormalisedAndInformHost(converted.derivedIndex, converted.derivedNormalised);
    if (converted.action == VX_LegacyStateValue::kSetValue)
      param.SetValue(converted.value);
    else if (converted.action == VX_LegacyStateValue::kSetNormalised)
      param.SetNormalised(converted.value);
  }
}

int Vantrix::ReadState(const IByteChunk& chunk, int startPos)
{
  mEngine.RequestReset();
  const VX_StateChunk state = ReadStateChunk(chunk, startPos);
  mStateVersion = state.version;
  if (state.version <= kLastLegacyVersion) mOldVersionFlag = true;
  mPresetPath = state.presetPath;
  StoreSteps(state.steps);

  if (state.version <= kLastLegacyVersion)
    SetLegacyStateValues(state.values);
  else
    SetStateValues(state.values);
  for (int i = 0; i < kNumParams; ++i)
  {
    NotifyParamChange(i, EParamSource::kPresetRecall, -1);
    NotifyEditorParamChange(i, EParamSource::kPresetRecall);
  }
  // Asked again now that every value is in: a block that ran while they were arriving has
  // consumed the first request, and the values after it must not glide in.
  mEngine.RequestReset();
  return state.endPos;
}

void Vantrix::AfterStateRestore()
{
  if (mStateVersion <= kLastVersionWithoutPhaseOffsets)
  {
    for (int index : {kOsc1PhaseOffset, kOsc2PhaseOffset})
      GetParam(index)->SetValue(kPhaseOffsetReset);
    OnParamChange(kOsc1PhaseOffset);
    OnParamChange(kOsc2PhaseOffset);
    NotifyEditorParamChange(kOsc1PhaseOffset, EParamSource::kPresetRecall);
    NotifyEditorParamChange(kOsc2PhaseOffset, EParamSource::kPresetRecall);
  }
  for (int i = 0; i < kNumParams; ++i)
    SendValueToEditor(i, GetParam(i)->NormalisedValue(), true);
}

// --- Preset files ---------------------------------------------------------------------------

std::string Vantrix::TrySavePresetFile(std::string_view utf8Path)
{
  if (utf8Path.empty()) return "no file given";
  mPresetPath = utf8Path;
  const std::vector<uint8_t> bytes = EncodePresetFile(CurrentValues(), CurrentSteps());
  const std::error_code error = WriteFileBytes(utf8Path, bytes);
  return error ? "cannot write the file (" + error.message() + ")" : std::string();
}

void Vantrix::SavePresetFile(std::string_view utf8Path)
{
  TrySavePresetFile(utf8Path);
}

std::string Vantrix::TryLoadPresetFile(std::string_view utf8Path)
{
  if (utf8Path.empty()) return "no file given";
  mEngine.RequestReset();
  mPresetPath = utf8Path;
  std::error_code error;
  const auto bytes = ReadFileBytes(utf8Path, kPresetFileSize, error);
  if (!bytes) return FileErrorText(error);
  std::string problem;
  const std::optional<VX_PresetRecord> preset = DecodePresetFile(*bytes, problem);
  if (!preset) return problem;
  ApplyPreset(*preset);
  return {};
}

void Vantrix::LoadPresetFile(std::string_view utf8Path)
{
  TryLoadPresetFile(utf8Path);
}

void Vantrix::ApplyPreset(const VX_PresetRecord& preset)
{
  if (preset.normalised)
  {
    for (int i = 0; i < kNumParams; ++i)
    {
      SetNormalisedAndInformHost(i, preset.values[i]);
      ReportEditToHost(i, GetParam(i)->NormalisedValue());
      SendValueToEditor(i, HostNormalised(preset.values[i]), true);
    }
  }
  else
  {
    for (int i = 0; i < kNumParams; ++i)
    {
      GetParam(i)->SetValue(preset.values[i]);
      ReportEditToHost(i, GetParam(i)->NormalisedValue());
      SendValueToEditor(i, preset.values[i], false);
    }
    for (int i = 0; i < kNumParams; ++i)
    {
      NotifyParamChange(i, EParamSource::kPresetRecall, -1);
      NotifyEditorParamChange(i, EParamSource::kPresetRecall);
    }
  }
  // The reference tone is never part of a loaded sound.
  SetParameterAndInformHost(kA440, 0.0);
  SendValueToEditor(kA440, 0.0, true);
  StoreSteps(preset.steps);
  // As for a state: a block that ran while the values arrived must not let the rest glide in.
  mEngine.RequestReset();
}
