#pragma once
// Replaces the global allocation functions with counting ones. Include it in exactly one source
// file of a test executable (the replacements are ordinary definitions). A module loaded with
// dlopen uses these replacements too, since the executable defines them.

#include <atomic>
#include <cstdlib>
#include <new>

namespace allocation_guard
{
inline std::atomic<bool> gCounting{false};
inline std::atomic<long> gAllocations{0};

inline void* CountedAlloc(std::size_t size)
{
  if (gCounting.load(std::memory_order_relaxed))
    gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
} // namespace allocation_guard

/** Counts allocations made between construction (or Resume) and Stop(). */
class AllocationCounter
{
public:
  AllocationCounter()
  {
    allocation_guard::gAllocations = 0;
    Resume();
  }
  ~AllocationCounter() { allocation_guard::gCounting = false; }
  void Resume() { allocation_guard::gCounting = true; }
  void Pause() { allocation_guard::gCounting = false; }
  long Stop()
  {
    Pause();
    return allocation_guard::gAllocations.load();
  }
};

void* operator new(std::size_t size)
{
  return allocation_guard::CountedAlloc(size);
}
void* operator new[](std::size_t size)
{
  return allocation_guard::CountedAlloc(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
  try
  {
    return allocation_guard::CountedAlloc(size);
  }
  catch (...)
  {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
  return operator new(size, tag);
}
void operator delete(void* p) noexcept
{
  std::free(p);
}
void operator delete[](void* p) noexcept
{
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
  std::free(p);
}
