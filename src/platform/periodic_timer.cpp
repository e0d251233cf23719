#include "platform/periodic_timer.h"

#include <algorithm>

void PeriodicTimer::Start(std::chrono::milliseconds interval, std::function<void()> tick)
{
  Stop();
  mTick = std::move(tick);
  mStopping = false;
  mThread = std::thread([this, interval] { Run(interval); });
}

void PeriodicTimer::Stop()
{
  if (!mThread.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mMutex);
    mStopping = true;
  }
  mWake.notify_all();
  mThread.join();
}

void PeriodicTimer::Run(std::chrono::milliseconds interval)
{
  auto due = std::chrono::steady_clock::now() + interval;
  std::unique_lock<std::mutex> lock(mMutex);
  while (!mWake.wait_until(lock, due, [this] { return mStopping; }))
  {
    // Ticks keep their rhythm; after a stall the next one comes one interval later.
    due = std::max(due + interval, std::chrono::steady_clock::now());
    lock.unlock();
    mTick();
    lock.lock();
  }
}
