#pragma once
// The edit controller with its parameter record, unit information, MIDI mapping and the
// channel-context listener, as published.

#include "host/vst3/vst3_events.h"
#include "host/vst3/vst3_stream.h"

namespace vst3
{
class IComponentHandler;
class IPlugView; // the editor view; no view is created yet

using UnitID = int32;
using ProgramListID = int32;
using CtrlNumber = int16;

inline constexpr UnitID kRootUnitId = 0;
inline constexpr UnitID kNoParentUnitId = -1;
inline constexpr ProgramListID kNoProgramListId = -1;

/** Controller numbers beyond the 128 MIDI controllers, used by MIDI mapping. */
enum ControllerNumbers : CtrlNumber
{
  kAfterTouch = 128,
  kPitchBend = 129,
  kCountCtrlNumber = 130,
};

VST3_ABI_PACK_BEGIN

struct ParameterInfo
{
  enum ParameterFlags : int32
  {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16,
  };

  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32 flags;
};

struct UnitInfo
{
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo
{
  ProgramListID id;
  String128 name;
  int32 programCount;
};

VST3_ABI_PACK_END

static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, title) == 4 &&
              offsetof(ParameterInfo, units) == 516 && offsetof(ParameterInfo, stepCount) == 772 &&
              offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
              offsetof(ParameterInfo, unitId) == 784 && offsetof(ParameterInfo, flags) == 788);
static_assert(sizeof(UnitInfo) == 268 && offsetof(UnitInfo, programListId) == 264);
static_assert(sizeof(ProgramListInfo) == 264 && offsetof(ProgramListInfo, programCount) == 260);

class IEditController : public IPluginBase
{
public:
  virtual tresult VST3_CALL setComponentState(IBStream* state) = 0;
  virtual tresult VST3_CALL setState(IBStream* state) = 0;
  virtual tresult VST3_CALL getState(IBStream* state) = 0;
  virtual int32 VST3_CALL getParameterCount() = 0;
  virtual tresult VST3_CALL getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult VST3_CALL getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                                  String128 string) = 0;
  virtual tresult VST3_CALL getParamValueByString(ParamID id, TChar* string,
                                                  ParamValue& valueNormalized) = 0;
  virtual ParamValue VST3_CALL normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue VST3_CALL plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue VST3_CALL getParamNormalized(ParamID id) = 0;
  virtual tresult VST3_CALL setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult VST3_CALL setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* VST3_CALL createView(FIDString name) = 0;

  static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
};

class IUnitInfo : public FUnknown
{
public:
  virtual int32 VST3_CALL getUnitCount() = 0;
  virtual tresult VST3_CALL getUnitInfo(int32 unitIndex, UnitInfo& info) = 0;
  virtual int32 VST3_CALL getProgramListCount() = 0;
  virtual tresult VST3_CALL getProgramListInfo(int32 listIndex, ProgramListInfo& info) = 0;
  virtual tresult VST3_CALL getProgramName(ProgramListID listId, int32 programIndex,
                                           String128 name) = 0;
  virtual tresult VST3_CALL getProgramInfo(ProgramListID listId, int32 programIndex,
                                           CString attributeId, String128 attributeValue) = 0;
  virtual tresult VST3_CALL hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
  virtual tresult VST3_CALL getProgramPitchName(ProgramListID listId, int32 programIndex,
                                                int16 midiPitch, String128 name) = 0;
  virtual UnitID VST3_CALL getSelectedUnit() = 0;
  virtual tresult VST3_CALL selectUnit(UnitID unitId) = 0;
  virtual tresult VST3_CALL getUnitByBus(int32 type, int32 dir, int32 busIndex, int32 channel,
                                         UnitID& unitId) = 0;
  virtual tresult VST3_CALL setUnitProgramData(int32 listOrUnitId, int32 programIndex,
                                               IBStream* data) = 0;

  static constexpr Uid iid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
};

class IMidiMapping : public FUnknown
{
public:
  virtual tresult VST3_CALL getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                        CtrlNumber midiControllerNumber,
                                                        ParamID& id) = 0;

  static constexpr Uid iid = MakeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
};

namespace ChannelContext
{
class IInfoListener : public FUnknown
{
public:
  virtual tresult VST3_CALL setChannelContextInfos(IAttributeList* list) = 0;

  static constexpr Uid iid = MakeUid(0x0F194781, 0x8D984ADA, 0xBBA0C1EF, 0xC011D8D0);
};

// Keys of the attribute list a host passes to setChannelContextInfos.
inline constexpr CString kChannelNameKey = "channel name";
inline constexpr CString kChannelColorKey = "channel color";
inline constexpr CString kChannelIndexKey = "channel index";
} // namespace ChannelContext

} // namespace vst3
