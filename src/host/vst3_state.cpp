#include "host/vst3_state.h"

#include "host/host_detection.h"
#include "plugin/byte_chunk.h"
#include "plugin/vantrix.h"

using namespace vst3;

namespace
{
constexpr int32 kReadBlockSize = 128;

bool WriteAll(IBStream& stream, const uint8* bytes, int32 count)
{
  while (count > 0)
  {
    int32 written = 0;
    if (stream.write(const_cast<uint8*>(bytes), count, &written) != kResultOk || written <= 0)
      return false;
    bytes += written;
    count -= written;
  }
  return true;
}

/** Everything from the stream's current position on. */
IByteChunk ReadRest(IBStream& stream, int hostId)
{
  IByteChunk chunk;
  uint8 block[kReadBlockSize];
  for (;;)
  {
    int32 got = 0;
    const tresult result = stream.read(block, kReadBlockSize, &got);
    if (got <= 0) break;
    chunk.PutBytes(block, got);
    // WaveLab reports failure for reads that still deliver bytes.
    if (result != kResultOk && hostId != kHostWaveLab) break;
  }
  return chunk;
}

bool ReadBypassFlag(IBStream& stream, int64 position, int hostId, int32& flag)
{
  if (stream.seek(position, IBStream::kIBSeekSet, nullptr) != kResultOk) return false;
  IByteChunk bytes;
  bytes.Resize(sizeof(int32));
  int32 got = 0;
  const tresult result = stream.read(bytes.GetData(), sizeof(int32), &got);
  if (got != sizeof(int32) || (result != kResultOk && hostId != kHostWaveLab)) return false;
  return bytes.Get(&flag, 0) > 0;
}
} // namespace

void AppendBypassFlag(IByteChunk& chunk)
{
  const int32 bypassed = 0; // an instrument exports no bypass
  chunk.Put(&bypassed);
}

bool WriteStateToStream(const Vantrix& plug, IBStream& stream)
{
  IByteChunk chunk;
  if (!plug.WriteState(chunk)) return false;
  AppendBypassFlag(chunk);
  return WriteAll(stream, chunk.GetData(), chunk.Size());
}

bool ReadStateFromStream(Vantrix& plug, IBStream& stream, int hostId)
{
  // Chunk positions count from where the host's stream starts.
  int64 start = 0;
  if (stream.tell(&start) != kResultOk) start = 0;
  const IByteChunk chunk = ReadRest(stream, hostId);
  const int end = plug.ReadState(chunk, 0);
  int32 bypassed = 0;
  return end >= 0 && ReadBypassFlag(stream, start + end, hostId, bypassed);
}
