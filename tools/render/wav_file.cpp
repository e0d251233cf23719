#include "render/wav_file.h"

#include "render/render_error.h"

#include <cstdio>
#include <random>

namespace
{
/** A name beside path that no other render picks at the same time. */
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path)
{
  std::random_device random;
  char suffix[32];
  std::snprintf(suffix, sizeof(suffix), ".%08x.part", static_cast<unsigned>(random()));
  std::filesystem::path temp = path;
  temp += suffix;
  return temp;
}
} // namespace

WavFileWriter::WavFileWriter(std::filesystem::path path, int sampleRate, int channels)
    : mPath(std::move(path)), mTempPath(TemporaryPathFor(mPath))
{
  std::error_code ec;
  if (std::filesystem::is_directory(mPath, ec))
    throw FileError(mPath.string() + ": is a directory");
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  mFile = sf_open(mTempPath.c_str(), SFM_WRITE, &info);
  if (!mFile)
    throw FileError(mPath.string() + ": cannot create file (" + sf_strerror(nullptr) + ")");
}

WavFileWriter::~WavFileWriter()
{
  if (mFile) sf_close(mFile);
  if (!mCommitted)
  {
    std::error_code ec;
    std::filesystem::remove(mTempPath, ec);
  }
}

void WavFileWriter::Write(const float* interleaved, int frames)
{
  if (sf_writef_float(mFile, interleaved, frames) != frames)
    Fail(std::string("write error (") + sf_strerror(mFile) + ")");
}

void WavFileWriter::Commit()
{
  const int closeError = sf_close(mFile);
  mFile = nullptr;
  if (closeError != 0) Fail(std::string("write error (") + sf_error_number(closeError) + ")");
  std::error_code ec;
  std::filesystem::rename(mTempPath, mPath, ec);
  if (ec) Fail("cannot replace the file (" + ec.message() + ")");
  mCommitted = true;
}

void WavFileWriter::Fail(const std::string& problem)
{
  throw FileError(mPath.string() + ": " + problem);
}
