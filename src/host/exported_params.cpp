#include "host/exported_params.h"

#include "host/midi_controller_names.h"
#include "host/midi_mapping.h"
#include "plugin/plug_processor.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace
{
// Text conversions give at most 128 characters.
constexpr std::size_t kMaxTextLength = 128;
// MIDI controller values are shown as normalised numbers with this many decimals.
constexpr int kControllerPrecision = 4;

ExportedParam FromInstrumentParam(int index, const IParam& param)
{
  ExportedParam p;
  p.id = static_cast<vst3::ParamID>(index);
  p.title = std::string(param.Name());
  p.units = std::string(param.HostUnitLabel());
  const bool isList = param.Type() == IParam::kTypeEnum;
  p.stepCount = isList ? static_cast<int>(param.Max() - param.Min()) : 0;
  p.defaultNormalised = param.DefaultValue(true);
  p.flags = (param.CanAutomate() ? ExportedParam::kCanAutomate : 0) |
            (isList ? ExportedParam::kIsList : 0);
  p.unitId = ExportedParams::kInstrumentUnit;
  p.normalised = p.defaultNormalised;
  return p;
}

ExportedParam ControllerParam(int controller, std::string_view title, double defaultNormalised)
{
  ExportedParam p;
  p.id = midi_mapping::ControllerParamId(0, controller);
  p.title = std::string(title);
  p.defaultNormalised = defaultNormalised;
  p.unitId = ExportedParams::kControllerUnit;
  p.normalised = defaultNormalised;
  return p;
}
} // namespace

void ExportedParams::Build()
{
  mParams.clear();
  mParams.reserve(static_cast<std::size_t>(mPlug.NParams() + midi_mapping::kControllersPerChannel));
  for (int i = 0; i < mPlug.NParams(); ++i)
    mParams.push_back(FromInstrumentParam(i, *mPlug.GetParam(i)));
  for (int controller = 0; controller < 128; ++controller)
    mParams.push_back(ControllerParam(controller, MidiControllerName(controller), 0.0));
  mParams.push_back(ControllerParam(vst3::kAfterTouch, "Channel Aftertouch", 0.0));
  mParams.push_back(ControllerParam(vst3::kPitchBend, "Pitch Bend", 0.5));
}

const ExportedParam* ExportedParams::At(int index) const
{
  return (index >= 0 && index < Count()) ? &mParams[static_cast<std::size_t>(index)] : nullptr;
}

ExportedParam* ExportedParams::Find(vst3::ParamID id)
{
  return const_cast<ExportedParam*>(std::as_const(*this).Find(id));
}

const ExportedParam* ExportedParams::Find(vst3::ParamID id) const
{
  const auto numInstrument = static_cast<vst3::ParamID>(mPlug.NParams());
  if (mParams.empty()) return nullptr;
  if (id < numInstrument) return &mParams[id];
  const vst3::ParamID first = midi_mapping::kFirstControllerParamId;
  if (id >= first && id < first + midi_mapping::kControllersPerChannel)
    return &mParams[numInstrument + (id - first)];
  return nullptr;
}

bool ExportedParams::IsInstrumentParam(vst3::ParamID id) const
{
  return id < static_cast<vst3::ParamID>(mPlug.NParams());
}

std::string ExportedParams::ToText(vst3::ParamID id, double normalised) const
{
  std::string text;
  if (IsInstrumentParam(id))
    text = std::string(mPlug.GetParam(static_cast<int>(id))->FormatValue(normalised, true).view());
  else
  {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%.*f", kControllerPrecision, normalised);
    text = buf;
  }
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
  return text;
}

std::optional<double> ExportedParams::FromText(vst3::ParamID id, std::string_view text) const
{
  const std::string terminated(text);
  if (IsInstrumentParam(id))
  {
    const IParam& param = *mPlug.GetParam(static_cast<int>(id));
    return param.NormalisedFromReal(param.ParseText(terminated));
  }
  char* end = nullptr;
  const double value = std::strtod(terminated.c_str(), &end);
  if (end == terminated.c_str()) return std::nullopt;
  return value;
}

double ExportedParams::ToPlain(vst3::ParamID id, double normalised) const
{
  return IsInstrumentParam(id)
             ? mPlug.GetParam(static_cast<int>(id))->RealFromNormalised(normalised)
             : normalised;
}

double ExportedParams::ToNormalised(vst3::ParamID id, double plain) const
{
  return IsInstrumentParam(id) ? mPlug.GetParam(static_cast<int>(id))->NormalisedFromReal(plain)
                               : plain;
}

void ExportedParams::TakeInstrumentValues()
{
  for (int i = 0; i < mPlug.NParams() && i < Count(); ++i)
    mParams[static_cast<std::size_t>(i)].normalised = mPlug.GetParam(i)->NormalisedValue();
}
