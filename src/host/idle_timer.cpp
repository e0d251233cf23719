#include "host/idle_timer.h"

#include "plugin/plug_processor.h"

#include <mutex>

using namespace vst3;

/** The COM object the host's run loop calls; it forwards to the plug-in until detached, so a
    late call after Stop does nothing. */
class IdleTimer::RunLoopHandler final : public ITimerHandler
{
public:
  explicit RunLoopHandler(IPlugProcessor& plug) : mPlug(&plug) {}

  /** Any thread: the COM plumbing. */
  tresult VST3_CALL queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    if (SameUid(iid, FUnknown::iid) || SameUid(iid, ITimerHandler::iid))
    {
      addRef();
      *obj = static_cast<ITimerHandler*>(this);
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  uint32 VST3_CALL release() override
  {
    const uint32 count = mRefs.Release();
    if (count == 0) delete this;
    return count;
  }

  /** UI thread (the host's run loop): one idle tick. */
  void VST3_CALL onTimer() override
  {
    const std::lock_guard<std::mutex> lock(mMutex);
    if (mPlug) mPlug->OnIdleTimer();
  }

  /** UI thread: no more ticks reach the plug-in. */
  void Detach()
  {
    const std::lock_guard<std::mutex> lock(mMutex);
    mPlug = nullptr;
  }

private:
  ~RunLoopHandler() = default;

  ComRefCount mRefs;
  std::mutex mMutex;
  IPlugProcessor* mPlug;
};

void IdleTimer::Start(ComPtr<IRunLoop> runLoop)
{
  Stop();
  if (runLoop)
  {
    auto* handler = new RunLoopHandler(mPlug);
    if (runLoop->registerTimer(handler, static_cast<TimerInterval>(kInterval.count())) == kResultOk)
    {
      mRunLoop = std::move(runLoop);
      mHandler = handler;
      return;
    }
    handler->release();
  }
  mOwnTimer.Start(kInterval, [this] { mPlug.DrainMidiToEditor(); });
}

void IdleTimer::Stop()
{
  mOwnTimer.Stop();
  if (mHandler)
  {
    mRunLoop->unregisterTimer(mHandler);
    mHandler->Detach();
    mHandler->release();
    mHandler = nullptr;
  }
  mRunLoop.Reset();
}
