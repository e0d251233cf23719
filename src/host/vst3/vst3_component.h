#pragma once
// The component interface (buses, activation, state) and its records, as published.

#include "host/vst3/vst3_base.h"

namespace vst3
{
class IBStream;

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;

enum MediaTypes : MediaType
{
  kAudio = 0,
  kEvent = 1,
};

enum BusDirections : BusDirection
{
  kInput = 0,
  kOutput = 1,
};

enum BusTypes : BusType
{
  kMain = 0,
  kAux = 1,
};

enum IoModes : IoMode
{
  kSimple = 0,
  kAdvanced = 1,
  kOfflineProcessing = 2,
};

VST3_ABI_PACK_BEGIN

struct BusInfo
{
  enum BusFlags : uint32
  {
    kDefaultActive = 1 << 0,
    kIsControlVoltage = 1 << 1,
  };

  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};

struct RoutingInfo
{
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};

VST3_ABI_PACK_END

static_assert(sizeof(BusInfo) == 276 && offsetof(BusInfo, name) == 12 &&
              offsetof(BusInfo, busType) == 268 && offsetof(BusInfo, flags) == 272);
static_assert(sizeof(RoutingInfo) == 12);

class IComponent : public IPluginBase
{
public:
  virtual tresult VST3_CALL getControllerClassId(TUID classId) = 0;
  virtual tresult VST3_CALL setIoMode(IoMode mode) = 0;
  virtual int32 VST3_CALL getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult VST3_CALL getBusInfo(MediaType type, BusDirection dir, int32 index,
                                       BusInfo& bus) = 0;
  virtual tresult VST3_CALL getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult VST3_CALL activateBus(MediaType type, BusDirection dir, int32 index,
                                        TBool state) = 0;
  virtual tresult VST3_CALL setActive(TBool state) = 0;
  virtual tresult VST3_CALL setState(IBStream* state) = 0;
  virtual tresult VST3_CALL getState(IBStream* state) = 0;

  static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
};

/** The class category of audio processing components. */
inline constexpr const char8* kVstAudioEffectClass = "Audio Module Class";

} // namespace vst3
