#include "render/sound_files.h"

#include "platform/file_io.h"
#include "plugin/vantrix.h"
#include "render/render_error.h"

#include <cstdint>
#include <limits>

namespace
{
std::string Utf8(const std::filesystem::path& path)
{
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void ReportWritten(std::ostream* out, const std::filesystem::path& path, const char* what,
                   std::size_t size)
{
  if (out) *out << "wrote " << path.string() << ": " << what << ", " << size << " bytes\n";
}
} // namespace

void RestoreStateFile(Vantrix& plug, const std::filesystem::path& path)
{
  // A chunk addresses its bytes with int positions.
  constexpr std::size_t kMaxChunkSize = std::numeric_limits<int>::max();
  std::error_code error;
  const auto bytes = ReadFileBytes(Utf8(path), kMaxChunkSize, error);
  if (!bytes) throw FileError(path.string() + ": cannot read the file (" + error.message() + ")");
  if (bytes->size() == kMaxChunkSize)
    throw FileError(path.string() + ": too large for a state chunk");
  IByteChunk chunk;
  chunk.PutBytes(bytes->data(), static_cast<int>(bytes->size()));
  const int end = plug.ReadState(chunk, 0);
  plug.AfterStateRestore();
  if (end < 0)
    throw FileError(path.string() + ": not a complete state chunk (it ends early, after " +
                    std::to_string(bytes->size()) + " bytes)");
}

void LoadPresetFromFile(Vantrix& plug, const std::filesystem::path& path)
{
  const std::string problem = plug.TryLoadPresetFile(Utf8(path));
  if (!problem.empty()) throw FileError(path.string() + ": " + problem);
}

void SavePresetToFile(Vantrix& plug, const std::filesystem::path& path, std::ostream* out)
{
  const std::string problem = plug.TrySavePresetFile(Utf8(path));
  if (!problem.empty()) throw FileError(path.string() + ": " + problem);
  ReportWritten(out, path, "preset file", kPresetFileSize);
}

void SaveStateFile(const Vantrix& plug, const std::filesystem::path& path, std::ostream* out)
{
  IByteChunk chunk;
  plug.WriteState(chunk);
  const std::error_code error =
      WriteFileBytes(Utf8(path), std::span<const uint8_t>(chunk.GetData(),
                                                          static_cast<std::size_t>(chunk.Size())));
  if (error) throw FileError(path.string() + ": cannot write the file (" + error.message() + ")");
  ReportWritten(out, path, "state chunk", static_cast<std::size_t>(chunk.Size()));
}
