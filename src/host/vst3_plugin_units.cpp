// Vst3Plugin as IUnitInfo: the unit tree that groups the parameters, and the reserved preset
// list (one internal preset, so no program list is exported).

#include "host/vst3_plugin.h"

#include "host/exported_params.h"
#include "host/midi_mapping.h"
#include "host/plugin_identity.h"
#include "host/vst3_strings.h"

using namespace vst3;

namespace
{
struct Unit
{
  UnitID id;
  UnitID parent;
  const char* name;
};

// Unit 1 would be the first parameter group; the instrument's parameters have none.
constexpr UnitID kMidiControllersUnit = 2;
constexpr Unit kUnits[] = {
    {kRootUnitId, kNoParentUnitId, "Root"},
    {kMidiControllersUnit, kRootUnitId, "MIDI CCs"},
    {ExportedParams::kControllerUnit, kMidiControllersUnit, "CH1"},
};

bool IsPresetList(ProgramListID listId)
{
  return listId == static_cast<ProgramListID>(midi_mapping::kPresetParamId);
}
} // namespace

int32 Vst3Plugin::getUnitCount()
{
  return static_cast<int32>(std::size(kUnits));
}

tresult Vst3Plugin::getUnitInfo(int32 unitIndex, UnitInfo& info)
{
  if (unitIndex < 0 || unitIndex >= getUnitCount()) return kInvalidArgument;
  const Unit& unit = kUnits[unitIndex];
  info.id = unit.id;
  info.parentUnitId = unit.parent;
  CopyToField(info.name, unit.name);
  info.programListId = kNoProgramListId;
  return kResultOk;
}

int32 Vst3Plugin::getProgramListCount()
{
  return 0;
}

tresult Vst3Plugin::getProgramListInfo(int32 /*listIndex*/, ProgramListInfo& /*info*/)
{
  return kInvalidArgument;
}

tresult Vst3Plugin::getProgramName(ProgramListID listId, int32 programIndex, String128 name)
{
  if (!name || !IsPresetList(listId) || programIndex < 0 ||
      programIndex >= plugin_identity::kNumPresets)
    return kInvalidArgument;
  CopyToField(name, 128, plugin_identity::kPresetName);
  return kResultOk;
}

tresult Vst3Plugin::getProgramInfo(ProgramListID /*listId*/, int32 /*programIndex*/,
                                   CString /*attributeId*/, String128 /*attributeValue*/)
{
  return kResultFalse;
}

tresult Vst3Plugin::hasProgramPitchNames(ProgramListID /*listId*/, int32 /*programIndex*/)
{
  return kResultFalse;
}

tresult Vst3Plugin::getProgramPitchName(ProgramListID /*listId*/, int32 /*programIndex*/,
                                        int16 /*midiPitch*/, String128 /*name*/)
{
  return kResultFalse;
}

UnitID Vst3Plugin::getSelectedUnit()
{
  return mSelectedUnit;
}

tresult Vst3Plugin::selectUnit(UnitID unitId)
{
  mSelectedUnit = unitId;
  return kResultOk;
}

tresult Vst3Plugin::getUnitByBus(int32 /*type*/, int32 /*dir*/, int32 /*busIndex*/,
                                 int32 /*channel*/, UnitID& /*unitId*/)
{
  return kResultFalse;
}

tresult Vst3Plugin::setUnitProgramData(int32 /*listOrUnitId*/, int32 /*programIndex*/,
                                       IBStream* /*data*/)
{
  return kResultFalse;
}
