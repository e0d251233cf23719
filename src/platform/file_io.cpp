#include "platform/file_io.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>

namespace
{
namespace fs = std::filesystem;

fs::path PathFromUtf8(std::string_view utf8)
{
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const fs::path& path)
{
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

/** What the last failed stream operation left in errno, or a plain input/output error. */
std::error_code LastStreamError()
{
  return errno != 0 ? std::error_code(errno, std::generic_category())
                    : std::make_error_code(std::errc::io_error);
}

/** A name beside path that no other writer picks at the same time. */
fs::path TemporaryPathBeside(const fs::path& path)
{
  std::random_device random;
  fs::path temp = path;
  temp += ".tmp" + std::to_string(random());
  return temp;
}

/** The file that a write to path replaces: the target of a symbolic link, else path itself. */
fs::path ReplacedFile(const fs::path& path)
{
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  fs::path target = fs::weakly_canonical(path, ec);
  return ec ? path : target;
}
} // namespace

std::optional<std::vector<uint8_t>> ReadFileBytes(std::string_view utf8Path, std::size_t maxBytes,
                                                  std::error_code& error)
{
  const fs::path path = PathFromUtf8(utf8Path);
  error.clear();
  if (fs::is_directory(path, error))
  {
    error = std::make_error_code(std::errc::is_a_directory);
    return std::nullopt;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in)
  {
    error = LastStreamError();
    return std::nullopt;
  }
  try
  {
    std::vector<uint8_t> bytes;
    constexpr std::size_t kPiece = 64 * 1024;
    while (bytes.size() < maxBytes && in)
    {
      const std::size_t old = bytes.size();
      bytes.resize(old + std::min(kPiece, maxBytes - old));
      in.read(reinterpret_cast<char*>(bytes.data() + old),
              static_cast<std::streamsize>(bytes.size() - old));
      bytes.resize(old + static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
    {
      error = LastStreamError();
      return std::nullopt;
    }
    return bytes;
  }
  catch (const std::bad_alloc&)
  {
    error = std::make_error_code(std::errc::not_enough_memory);
    return std::nullopt;
  }
}

std::error_code WriteFileBytes(std::string_view utf8Path, std::span<const uint8_t> bytes)
{
  const fs::path path = ReplacedFile(PathFromUtf8(utf8Path));
  std::error_code ec;
  if (fs::is_directory(path, ec)) return std::make_error_code(std::errc::is_a_directory);

  const fs::path temp = TemporaryPathBeside(path);
  {
    errno = 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return LastStreamError();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
    {
      const std::error_code writeError = LastStreamError();
      fs::remove(temp, ec);
      return writeError;
    }
  }
  fs::rename(temp, path, ec);
  if (ec)
  {
    std::error_code ignored;
    fs::remove(temp, ignored);
  }
  return ec;
}

std::error_code CreateFolders(std::string_view utf8Path)
{
  std::error_code ec;
  fs::create_directories(PathFromUtf8(utf8Path), ec);
  return ec;
}

std::string JoinPath(std::string_view utf8Folder, std::string_view utf8Name)
{
  return Utf8FromPath(PathFromUtf8(utf8Folder) / PathFromUtf8(utf8Name));
}
