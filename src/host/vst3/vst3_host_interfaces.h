#pragma once
// Interfaces that the host implements and the plug-in calls: host application, component
// handler and, on Linux, the run loop with its timer and event handlers, as published.

#include "host/vst3/vst3_events.h"

namespace vst3
{

class IHostApplication : public FUnknown
{
public:
  virtual tresult VST3_CALL getName(String128 name) = 0;
  virtual tresult VST3_CALL createInstance(TUID cid, TUID iid, void** obj) = 0;

  static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
};

class IComponentHandler : public FUnknown
{
public:
  enum RestartFlags : int32
  {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
    kMidiCCAssignmentChanged = 1 << 5,
  };

  virtual tresult VST3_CALL beginEdit(ParamID id) = 0;
  virtual tresult VST3_CALL performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult VST3_CALL endEdit(ParamID id) = 0;
  virtual tresult VST3_CALL restartComponent(int32 flags) = 0;

  static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
};

// Linux: the host's user-interface thread runs the plug-in's timers and file-descriptor
// handlers through its run loop.
using FileDescriptor = int;
using TimerInterval = uint64;

class IEventHandler : public FUnknown
{
public:
  virtual void VST3_CALL onFDIsSet(FileDescriptor fd) = 0;

  static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
};

class ITimerHandler : public FUnknown
{
public:
  virtual void VST3_CALL onTimer() = 0;

  static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
};

class IRunLoop : public FUnknown
{
public:
  virtual tresult VST3_CALL registerEventHandler(IEventHandler* handler, FileDescriptor fd) = 0;
  virtual tresult VST3_CALL unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult VST3_CALL registerTimer(ITimerHandler* handler, TimerInterval milliseconds) = 0;
  virtual tresult VST3_CALL unregisterTimer(ITimerHandler* handler) = 0;

  static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
};

} // namespace vst3
