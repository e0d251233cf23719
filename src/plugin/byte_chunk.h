#pragma once
// A growable byte buffer for stored state: values go in and come out little-endian, whatever the
// machine, and every read is bounds-checked.
//
// Thread contract: none of its own; one thread at a time (the host's state calls).

#include <array>
#include <bit>
#include <cstdint>
#include <type_traits>
#include <vector>

/** Numbers that a chunk stores: integers and floating-point values of 2, 4 or 8 bytes. */
template <class T>
concept ChunkNumber = std::is_arithmetic_v<T> && !std::is_same_v<T, bool> &&
                      (sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

class IByteChunk
{
public:
  /** Appends count bytes from src; returns the new size (the size unchanged for count < 0). */
  int PutBytes(const void* src, int count);
  /** Copies count bytes at startPos into dst; returns the position after them, or -1 (dst
      untouched) when they are not all inside the chunk. */
  int GetBytes(void* dst, int count, int startPos) const;

  /** Appends *value little-endian; returns the new size. */
  template <ChunkNumber T>
  int Put(const T* value)
  {
    std::array<uint8_t, sizeof(T)> bytes = std::bit_cast<std::array<uint8_t, sizeof(T)>>(*value);
    if constexpr (std::endian::native == std::endian::big) ReverseBytes(bytes.data(), sizeof(T));
    return PutBytes(bytes.data(), sizeof(T));
  }

  /** Reads a little-endian value at startPos into *value; returns the position after it, or -1
      (*value untouched) when the chunk ends first. */
  template <ChunkNumber T>
  int Get(T* value, int startPos) const
  {
    std::array<uint8_t, sizeof(T)> bytes;
    const int next = GetBytes(bytes.data(), sizeof(T), startPos);
    if (next < 0) return -1;
    if constexpr (std::endian::native == std::endian::big) ReverseBytes(bytes.data(), sizeof(T));
    *value = std::bit_cast<T>(bytes);
    return next;
  }

  int Size() const { return static_cast<int>(mBytes.size()); }
  /** Grows (with zeros) or shrinks to size bytes; returns the old size. */
  int Resize(int size);
  void Clear() { mBytes.clear(); }
  uint8_t* GetData() { return mBytes.data(); }
  const uint8_t* GetData() const { return mBytes.data(); }

private:
  static void ReverseBytes(uint8_t* bytes, int count);

  std::vector<uint8_t> mBytes;
};
