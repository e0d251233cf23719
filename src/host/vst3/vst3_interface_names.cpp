#include "host/vst3/vst3_interface_names.h"

#include "host/vst3/vst3_controller.h"
#include "host/vst3/vst3_factory.h"
#include "host/vst3/vst3_host_interfaces.h"
#include "host/vst3/vst3_processor.h"

namespace vst3
{
namespace
{
struct NamedId
{
  const Uid* uid;
  const char* name;
};

constexpr NamedId kKnownIds[] = {
    {&FUnknown::iid, "FUnknown"},
    {&IPluginBase::iid, "IPluginBase"},
    {&IPluginFactory::iid, "IPluginFactory"},
    {&IPluginFactory2::iid, "IPluginFactory2"},
    {&IPluginFactory3::iid, "IPluginFactory3"},
    {&IComponent::iid, "IComponent"},
    {&IAudioProcessor::iid, "IAudioProcessor"},
    {&IProcessContextRequirements::iid, "IProcessContextRequirements"},
    {&IEditController::iid, "IEditController"},
    {&IUnitInfo::iid, "IUnitInfo"},
    {&IMidiMapping::iid, "IMidiMapping"},
    {&ChannelContext::IInfoListener::iid, "IInfoListener"},
    {&IBStream::iid, "IBStream"},
    {&IAttributeList::iid, "IAttributeList"},
    {&IEventList::iid, "IEventList"},
    {&IParamValueQueue::iid, "IParamValueQueue"},
    {&IParameterChanges::iid, "IParameterChanges"},
    {&IHostApplication::iid, "IHostApplication"},
    {&IComponentHandler::iid, "IComponentHandler"},
    {&IEventHandler::iid, "IEventHandler"},
    {&ITimerHandler::iid, "ITimerHandler"},
    {&IRunLoop::iid, "IRunLoop"},
};
} // namespace

const char* InterfaceName(const char8* iid)
{
  for (const NamedId& known : kKnownIds)
    if (SameUid(iid, *known.uid)) return known.name;
  return nullptr;
}

} // namespace vst3
