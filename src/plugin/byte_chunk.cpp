#include "plugin/byte_chunk.h"

#include <algorithm>
#include <cstring>

int IByteChunk::PutBytes(const void* src, int count)
{
  if (count > 0)
  {
    const auto* first = static_cast<const uint8_t*>(src);
    mBytes.insert(mBytes.end(), first, first + count);
  }
  return Size();
}

int IByteChunk::GetBytes(void* dst, int count, int startPos) const
{
  // In 64 bits, so that no position or count near the int limits can wrap around.
  const int64_t end = int64_t{startPos} + count;
  if (startPos < 0 || count < 0 || end > Size()) return -1;
  if (count > 0) std::memcpy(dst, mBytes.data() + startPos, static_cast<std::size_t>(count));
  return static_cast<int>(end);
}

int IByteChunk::Resize(int size)
{
  const int old = Size();
  mBytes.resize(static_cast<std::size_t>(std::max(size, 0)));
  return old;
}

void IByteChunk::ReverseBytes(uint8_t* bytes, int count)
{
  std::reverse(bytes, bytes + count);
}
