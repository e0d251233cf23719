// The WAV writer: complete files appear under their name only when committed.

#include "render/render_error.h"
#include "render/wav_file.h"

#include "render_scratch_dir.h"

#include <gtest/gtest.h>

#include <sndfile.h>

namespace
{
const std::vector<float> kSamples = {0.0f, 0.5f, -0.25f, 1.0f, 0.125f, -1.0f}; // 3 stereo frames

TEST(WavFileWriter, CommittedFileIsStereoFloatWithTheSamples)
{
  const std::filesystem::path dir = ScratchDir();
  const std::filesystem::path path = dir / "out.wav";
  {
    WavFileWriter writer(path, 44100, 2);
    writer.Write(kSamples.data(), 2);
    EXPECT_FALSE(std::filesystem::exists(path)); // still in the temporary file
    writer.Write(kSamples.data() + 4, 1);
    writer.Commit();
  }
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"out.wav"});

  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.samplerate, 44100);
  EXPECT_EQ(info.frames, 3);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  std::vector<float> read(6);
  EXPECT_EQ(sf_readf_float(file, read.data(), 3), 3);
  sf_close(file);
  EXPECT_EQ(read, kSamples);
}

TEST(WavFileWriter, UncommittedWriterLeavesNothingAndKeepsAnOldFile)
{
  const std::filesystem::path dir = ScratchDir();
  {
    WavFileWriter writer(dir / "new.wav", 48000, 2);
    writer.Write(kSamples.data(), 3);
  }
  EXPECT_TRUE(DirEntries(dir).empty());

  WriteText(dir / "old.wav", "previous render");
  {
    WavFileWriter writer(dir / "old.wav", 48000, 2);
    writer.Write(kSamples.data(), 3);
  }
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"old.wav"});
  EXPECT_EQ(std::filesystem::file_size(dir / "old.wav"), std::string("previous render").size());
}

TEST(WavFileWriter, UnwritableTargetIsAFileErrorNamingIt)
{
  const std::filesystem::path dir = ScratchDir();
  for (const std::filesystem::path& target : {dir / "missing" / "out.wav", dir})
  {
    SCOPED_TRACE(target.string());
    try
    {
      WavFileWriter writer(target, 48000, 2);
      ADD_FAILURE() << "no error";
    }
    catch (const FileError& e)
    {
      EXPECT_EQ(std::string(e.what()).rfind(target.string() + ": ", 0), 0u) << e.what();
    }
  }
  EXPECT_TRUE(DirEntries(dir).empty());
}
} // namespace
