#include "render/demo_song.h"

#include "render/render_error.h"

namespace
{
DemoSong SongIn(const std::filesystem::path& dir)
{
  return {dir / "demo.mid", dir / "demo.params"};
}

bool IsComplete(const DemoSong& song)
{
  std::error_code ec;
  return std::filesystem::is_regular_file(song.midiFile, ec) &&
         std::filesystem::is_regular_file(song.paramsFile, ec);
}
} // namespace

DemoSong FindDemoSong(const std::filesystem::path& executable)
{
  // An installed renderer prefers its own copy; a build-tree renderer finds the sources.
  const std::filesystem::path installed =
      executable.parent_path() / ".." / "share" / "vantrix" / "demo";
  const std::filesystem::path sourceTree = std::filesystem::path(VANTRIX_RESOURCES_DIR) / "demo";
  for (const std::filesystem::path& dir : {installed, sourceTree})
    if (const DemoSong song = SongIn(dir); IsComplete(song)) return song;
  throw FileError("demo song (demo.mid and demo.params) not found in " +
                  installed.lexically_normal().string() + " nor in " + sourceTree.string());
}
