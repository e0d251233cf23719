// LoadPresetFile on any bytes as a preset file; a file that loads must survive SavePresetFile
// and LoadPresetFile unchanged, one that does not must change nothing.

#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

namespace
{
/** A folder of its own for the files of one fuzzing process, removed at the end. */
struct ScratchFolder
{
  ScratchFolder()
      : path(std::filesystem::temp_directory_path() /
             ("vantrix-fuzz-preset-" + std::to_string(std::random_device()())))
  {
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder()
  {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string File(const char* name) const { return (path / name).string(); }

  std::filesystem::path path;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const ScratchFolder folder;
  static const std::unique_ptr<Vantrix> plug = std::make_unique<Vantrix>(std::string_view());
  static const std::unique_ptr<Vantrix> copy = std::make_unique<Vantrix>(std::string_view());

  const std::string input = folder.File("input.vxp");
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  plug->GetParam(kA440)->SetValue(1.0);
  IByteChunk before;
  plug->WriteState(before);

  const bool loaded = plug->TryLoadPresetFile(input).empty();
  RequireValidSound(*plug);
  Require(loaded == (size >= 4856 && data[0] == 1 && data[1] == 0), "loads exactly the presets");
  if (!loaded)
  {
    copy->ReadState(before, 0);
    Require(SameBits(*plug, *copy), "a file that does not load changes nothing");
    return 0;
  }
  Require(plug->GetParam(kA440)->Value() == 0.0, "the reference tone is off after a load");

  const std::string saved = folder.File("saved.vxp");
  plug->SavePresetFile(saved);
  Require(copy->TryLoadPresetFile(saved).empty(), "a saved preset loads");
  Require(SameBits(*plug, *copy), "a saved preset loads the same sound");
  return 0;
}
