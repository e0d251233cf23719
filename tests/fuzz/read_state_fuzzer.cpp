// ReadState and AfterStateRestore on any bytes as a host's state chunk; what was restored must
// survive WriteState and ReadState unchanged.

#include "fuzz_check.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Several megabytes each: made once, reused by every input.
  static const std::unique_ptr<Vantrix> plug = std::make_unique<Vantrix>(std::string_view());
  static const std::unique_ptr<Vantrix> copy = std::make_unique<Vantrix>(std::string_view());
  if (size > INT_MAX) return 0;

  IByteChunk chunk;
  chunk.PutBytes(data, static_cast<int>(size));
  const int end = plug->ReadState(chunk, 0);
  plug->AfterStateRestore();
  Require(end == -1 || (end >= 4854 && end <= chunk.Size()), "end position inside the chunk");
  RequireValidSound(*plug);

  IByteChunk written;
  plug->WriteState(written);
  Require(copy->ReadState(written, 0) == written.Size(), "a written chunk reads to its end");
  Require(SameBits(*plug, *copy), "a written chunk restores the same sound");
  Require(copy->CurrentPresetPath() == plug->CurrentPresetPath(), "the same preset path");
  return 0;
}
