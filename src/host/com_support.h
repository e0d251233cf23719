#pragma once
// Small helpers for COM objects on both sides of the VST3 boundary: a reference count for the
// objects this code implements, a holder of the host's objects, interface queries, and a guard
// that keeps exceptions from crossing into the host.

#include "host/vst3/vst3_base.h"

#include <atomic>
#include <new>
#include <utility>

/** The reference count of an object that deletes itself when the count reaches 0.
    Any thread. */
class ComRefCount
{
public:
  /** Any thread: one more reference; returns the new count. */
  vst3::uint32 AddRef() { return mCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  /** Any thread: one reference less; returns the new count (0: delete the object). */
  vst3::uint32 Release() { return mCount.fetch_sub(1, std::memory_order_acq_rel) - 1; }
  /** Any thread: AddRef unless the count has already reached 0. */
  bool TryAddRef()
  {
    vst3::uint32 count = mCount.load(std::memory_order_relaxed);
    while (count != 0)
      if (mCount.compare_exchange_weak(count, count + 1, std::memory_order_relaxed)) return true;
    return false;
  }

private:
  std::atomic<vst3::uint32> mCount{1};
};

/** Holds one reference to a COM object of interface I (typically the host's). The holder's
    owner decides the thread; the object's own contract applies to calls through it. */
template <class I>
class ComPtr
{
public:
  ComPtr() = default;
  /** Takes a new reference to object (nullptr allowed). */
  static ComPtr Share(I* object)
  {
    if (object) object->addRef();
    return ComPtr(object);
  }
  /** Takes over a reference the caller already owns. */
  static ComPtr Adopt(I* object) { return ComPtr(object); }

  ComPtr(const ComPtr& other) : ComPtr(Share(other.mObject)) {}
  ComPtr(ComPtr&& other) noexcept : mObject(std::exchange(other.mObject, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept
  {
    std::swap(mObject, other.mObject);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset()
  {
    if (mObject) std::exchange(mObject, nullptr)->release();
  }
  I* Get() const { return mObject; }
  I* operator->() const { return mObject; }
  explicit operator bool() const { return mObject != nullptr; }

private:
  explicit ComPtr(I* object) : mObject(object) {}
  I* mObject = nullptr;
};

/** Asks object for interface I; empty when it has none. */
template <class I>
ComPtr<I> QueryComInterface(vst3::FUnknown* object)
{
  void* found = nullptr;
  if (!object || object->queryInterface(I::iid.bytes, &found) != vst3::kResultOk || !found)
    return {};
  return ComPtr<I>::Adopt(static_cast<I*>(found));
}

/** Runs call (which returns a tresult) and turns any exception into an error code, so none
    crosses into the host. */
template <class Call>
vst3::tresult GuardedCall(Call&& call) noexcept
{
  try
  {
    return call();
  }
  catch (const std::bad_alloc&)
  {
    return vst3::kOutOfMemory;
  }
  catch (...)
  {
    return vst3::kInternalError;
  }
}
