// Vst3Plugin as IComponent: buses, activation and the state.

#include "host/vst3_plugin.h"

#include "host/vst3_state.h"
#include "host/vst3_strings.h"
#include "plugin/vantrix.h"

using namespace vst3;

namespace
{
bool ToLayoutKind(MediaType type, BusLayout::EKind& kind)
{
  if (type != kAudio && type != kEvent) return false;
  kind = type == kAudio ? BusLayout::kAudio : BusLayout::kEvent;
  return true;
}

bool ToLayoutDirection(BusDirection dir, BusLayout::EDirection& direction)
{
  if (dir != kInput && dir != kOutput) return false;
  direction = dir == kInput ? BusLayout::kInput : BusLayout::kOutput;
  return true;
}
} // namespace

tresult Vst3Plugin::getControllerClassId(TUID /*classId*/)
{
  // The controller is this object; hosts find it through queryInterface.
  return kResultFalse;
}

tresult Vst3Plugin::setIoMode(IoMode /*mode*/)
{
  return kNotImplemented;
}

int32 Vst3Plugin::getBusCount(MediaType type, BusDirection dir)
{
  BusLayout::EKind kind;
  BusLayout::EDirection direction;
  if (!ToLayoutKind(type, kind) || !ToLayoutDirection(dir, direction)) return 0;
  return mBuses.Count(kind, direction);
}

tresult Vst3Plugin::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
  BusLayout::EKind kind;
  BusLayout::EDirection direction;
  if (!ToLayoutKind(type, kind) || !ToLayoutDirection(dir, direction)) return kInvalidArgument;
  const BusLayout::Bus* found = mBuses.Find(kind, direction, index);
  if (!found) return kInvalidArgument;
  bus.mediaType = type;
  bus.direction = dir;
  bus.channelCount = found->channels;
  CopyToField(bus.name, found->name);
  bus.busType = kMain;
  bus.flags = BusInfo::kDefaultActive;
  return kResultOk;
}

tresult Vst3Plugin::getRoutingInfo(RoutingInfo& /*inInfo*/, RoutingInfo& /*outInfo*/)
{
  return kNotImplemented;
}

tresult Vst3Plugin::activateBus(MediaType type, BusDirection dir, int32 index, TBool state)
{
  BusLayout::EKind kind;
  BusLayout::EDirection direction;
  if (!ToLayoutKind(type, kind) || !ToLayoutDirection(dir, direction)) return kInvalidArgument;
  return mBuses.Activate(kind, direction, index, state != 0) ? kResultOk : kInvalidArgument;
}

tresult Vst3Plugin::setActive(TBool /*state*/)
{
  // The instrument has nothing to do on activation.
  return kResultOk;
}

tresult Vst3Plugin::SetComponentState(IBStream* state)
{
  if (!state) return kInvalidArgument;
  return GuardedCall(
      [&]
      {
        if (!ReadStateFromStream(*mPlug, *state, mPlug->GetHost())) return kResultFalse;
        // The restore finishes first (it may change values), then the host-visible values
        // follow, so that the host reads back what the instrument now holds.
        mPlug->AfterStateRestore();
        mParams.TakeInstrumentValues();
        return kResultOk;
      });
}

tresult Vst3Plugin::GetComponentState(IBStream* state)
{
  if (!state) return kInvalidArgument;
  return GuardedCall([&] { return WriteStateToStream(*mPlug, *state) ? kResultOk : kResultFalse; });
}
