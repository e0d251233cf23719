#pragma once
// A timer that calls a function at a fixed interval on a thread of its own.
//
// Thread contract: Start and Stop on the owner's thread; the callback runs on the timer's
// thread, never after Stop has returned.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class PeriodicTimer
{
public:
  PeriodicTimer() = default;
  ~PeriodicTimer() { Stop(); }
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  /** Calls tick every interval from now on (restarts a running timer). */
  void Start(std::chrono::milliseconds interval, std::function<void()> tick);
  /** Stops the timer and waits for a tick in progress to finish. */
  void Stop();

private:
  void Run(std::chrono::milliseconds interval);

  std::function<void()> mTick;
  std::mutex mMutex;
  std::condition_variable mWake;
  bool mStopping = false;
  std::thread mThread;
};
