// Vst3Plugin as IEditController, IMidiMapping and channel-context listener.

#include "host/vst3_plugin.h"

#include "host/host_values.h"
#include "host/midi_mapping.h"
#include "host/vst3_strings.h"
#include "plugin/vantrix.h"

using namespace vst3;

namespace
{
// Hosts pass text fields of at most 128 characters.
constexpr std::size_t kHostTextCapacity = 128;
} // namespace

tresult Vst3Plugin::setComponentState(IBStream* /*state*/)
{
  // Component and controller are one object with one state, restored by setState.
  return kResultOk;
}

int32 Vst3Plugin::getParameterCount()
{
  return mParams.Count();
}

tresult Vst3Plugin::getParameterInfo(int32 paramIndex, ParameterInfo& info)
{
  const ExportedParam* param = mParams.At(paramIndex);
  if (!param) return kInvalidArgument;
  info.id = param->id;
  CopyToField(info.title, param->title);
  CopyToField(info.shortTitle, "");
  CopyToField(info.units, param->units);
  info.stepCount = param->stepCount;
  info.defaultNormalizedValue = param->defaultNormalised;
  info.unitId = param->unitId;
  info.flags = param->flags;
  return kResultOk;
}

tresult Vst3Plugin::getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string)
{
  if (!string || !mParams.Find(id)) return kInvalidArgument;
  return GuardedCall(
      [&]
      {
        CopyToField(string, kHostTextCapacity, mParams.ToText(id, valueNormalized));
        return kResultOk;
      });
}

tresult Vst3Plugin::getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized)
{
  if (!string || !mParams.Find(id)) return kInvalidArgument;
  return GuardedCall(
      [&]
      {
        const std::optional<double> value =
            mParams.FromText(id, Utf8FromUtf16(string, kHostTextCapacity));
        if (!value) return kResultFalse;
        valueNormalized = *value;
        return kResultOk;
      });
}

ParamValue Vst3Plugin::normalizedParamToPlain(ParamID id, ParamValue valueNormalized)
{
  return mParams.Find(id) ? mParams.ToPlain(id, valueNormalized) : valueNormalized;
}

ParamValue Vst3Plugin::plainParamToNormalized(ParamID id, ParamValue plainValue)
{
  return mParams.Find(id) ? mParams.ToNormalised(id, plainValue) : plainValue;
}

ParamValue Vst3Plugin::getParamNormalized(ParamID id)
{
  const ExportedParam* param = mParams.Find(id);
  return param ? param->normalised : 0.0;
}

tresult Vst3Plugin::setParamNormalized(ParamID id, ParamValue value)
{
  ExportedParam* param = mParams.Find(id);
  if (!param) return kResultFalse;
  param->normalised = value;
  if (mParams.IsInstrumentParam(id))
  {
    // The engine learns host values through processing; here only the parameter and the
    // editor follow.
    const int index = static_cast<int>(id);
    SetFromHostValue(*mPlug->GetParam(index), value);
    mPlug->NotifyEditorParamChange(index, EParamSource::kHost);
    mPlug->SendValueToEditor(index, value, true);
  }
  return kResultOk;
}

tresult Vst3Plugin::setComponentHandler(IComponentHandler* handler)
{
  mHandler = ComPtr<IComponentHandler>::Share(handler);
  return kResultOk;
}

IPlugView* Vst3Plugin::createView(FIDString /*name*/)
{
  // No editor view yet: hosts show their generic parameter editor.
  return nullptr;
}

tresult Vst3Plugin::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                CtrlNumber midiControllerNumber, ParamID& id)
{
  const std::optional<ParamID> assigned =
      midi_mapping::Assignment(busIndex, channel, midiControllerNumber);
  if (!assigned) return kResultFalse;
  id = *assigned;
  return kResultTrue;
}

tresult Vst3Plugin::setChannelContextInfos(IAttributeList* list)
{
  if (!list) return kInvalidArgument;
  return GuardedCall(
      [&]
      {
        ITrackInfo track;
        String128 name = {};
        if (list->getString(ChannelContext::kChannelNameKey, name, sizeof(name)) == kResultOk)
          track.mName = Utf8FromUtf16(name, kHostTextCapacity);
        int64 value = 0;
        if (list->getInt(ChannelContext::kChannelColorKey, value) == kResultOk)
          track.mColour = static_cast<uint32>(value);
        if (list->getInt(ChannelContext::kChannelIndexKey, value) == kResultOk)
          track.mIndex = value;
        mPlug->SetTrackInfo(std::move(track));
        return kResultOk;
      });
}
