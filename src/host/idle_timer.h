#pragma once
// The plug-in's 20 ms idle timer. Where the host offers a run loop (Linux hosts do through
// their host context or the editor's frame), the timer runs there, on the host's
// user-interface thread, and each tick is the full idle tick. Without one, a thread of the
// timer's own does the one duty that needs no editor: draining the processor-to-editor MIDI
// queue into OnMidiMsgUI, which touches only atomic parameter values.
//
// Thread contract: Start and Stop on the host's user-interface thread.

#include "host/com_support.h"
#include "host/vst3/vst3_host_interfaces.h"
#include "platform/periodic_timer.h"

#include <chrono>

class IPlugProcessor;

class IdleTimer
{
public:
  static constexpr std::chrono::milliseconds kInterval{20};

  explicit IdleTimer(IPlugProcessor& plug) : mPlug(plug) {}
  ~IdleTimer() { Stop(); }
  IdleTimer(const IdleTimer&) = delete;
  IdleTimer& operator=(const IdleTimer&) = delete;

  /** UI thread: ticks from now on, through runLoop when given, else on a thread of its own. */
  void Start(ComPtr<vst3::IRunLoop> runLoop);
  /** UI thread: no tick runs after this returns. */
  void Stop();

private:
  class RunLoopHandler;

  IPlugProcessor& mPlug;
  ComPtr<vst3::IRunLoop> mRunLoop;
  RunLoopHandler* mHandler = nullptr;
  PeriodicTimer mOwnTimer;
};
