#include "engine/osc_slot.h"

void VX_OscSlot::Init(std::initializer_list<VX_BlepOsc*> types, VX_BlepOsc* off)
{
  mNumTypes = 0;
  for (VX_BlepOsc* osc : types)
    mTypes[mNumTypes++] = osc;
  mOff = off;
  mActive = mTypes[0];
}

void VX_OscSlot::Install(VX_BlepOsc& next)
{
  if (&next == mActive) return;
  for (int lane = -1; lane < VX_BlepOsc::kMaxLanes; ++lane)
  {
    VX_OscState record;
    mActive->LaneToRecord(lane, record);
    mActive->ToCyclePosition(record);
    record.param = next.Param(); // each waveform keeps its own parameter
    next.FromCyclePosition(record);
    next.RecordToLane(record, lane);
  }
  next.InvalidatePitchCaches();
  mActive = &next;
}

void VX_OscSlot::SelectType(int type)
{
  mType = (type >= 0 && type < mNumTypes) ? type : 0;
  Install(*mTypes[mType]);
}

void VX_OscSlot::SetEnabled(bool enabled)
{
  Install(enabled ? *mTypes[mType] : *mOff);
}
