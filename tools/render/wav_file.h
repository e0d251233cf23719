#pragma once
// Writing the rendered audio as a 32-bit float WAV file. The data goes into a temporary file
// beside the target, which replaces the target only once everything is written, so a failed or
// interrupted render never leaves a partial WAV under the requested name.

#include <filesystem>

#include <sndfile.h>

class WavFileWriter
{
public:
  /** Creates the temporary file. Throws FileError naming path. */
  WavFileWriter(std::filesystem::path path, int sampleRate, int channels);
  /** Removes the temporary file unless Commit succeeded. */
  ~WavFileWriter();
  WavFileWriter(const WavFileWriter&) = delete;
  WavFileWriter& operator=(const WavFileWriter&) = delete;

  /** Appends frames of interleaved samples. Throws FileError. */
  void Write(const float* interleaved, int frames);
  /** Completes the file and renames it into place. Throws FileError. */
  void Commit();

private:
  [[noreturn]] void Fail(const std::string& problem);

  std::filesystem::path mPath;
  std::filesystem::path mTempPath;
  SNDFILE* mFile = nullptr;
  bool mCommitted = false;
};
