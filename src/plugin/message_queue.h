#pragma once
// MessageQueue: a fixed-capacity ring between exactly one producer thread and one consumer
// thread (single producer, single consumer). Push and Pop never allocate or lock: the slots
// live inside the object, each index is written by one side only, and an element is stored
// before the write index that publishes it.

#include <array>
#include <atomic>
#include <cstddef>

template <class T, std::size_t Capacity>
class MessageQueue
{
public:
  static constexpr std::size_t kCapacity = Capacity;

  /** Producer thread: appends element; false (and the element is dropped) when full. */
  bool Push(const T& element)
  {
    const std::size_t write = mWrite.load(std::memory_order_relaxed);
    const std::size_t next = Advance(write);
    if (next == mRead.load(std::memory_order_acquire)) return false;
    mSlots[write] = element;
    mWrite.store(next, std::memory_order_release);
    return true;
  }

  /** Consumer thread: moves the oldest element into element; false when empty. */
  bool Pop(T& element)
  {
    const std::size_t read = mRead.load(std::memory_order_relaxed);
    if (read == mWrite.load(std::memory_order_acquire)) return false;
    element = mSlots[read];
    mRead.store(Advance(read), std::memory_order_release);
    return true;
  }

private:
  // One slot stays free so that full and empty differ.
  static constexpr std::size_t kSlots = Capacity + 1;
  static constexpr std::size_t Advance(std::size_t index)
  {
    return index + 1 == kSlots ? 0 : index + 1;
  }

  std::array<T, kSlots> mSlots{};
  std::atomic<std::size_t> mWrite{0};
  std::atomic<std::size_t> mRead{0};
};
