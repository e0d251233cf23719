// The MIDI file reader and the timing of its ticks, on hand-built files.

#include "render/midi_file.h"
#include "render/render_error.h"
#include "render/score.h"

#include "render_scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes Header(int format, int tracks, int division)
{
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<uint8_t>(format),
          0,
          static_cast<uint8_t>(tracks),
          static_cast<uint8_t>(division >> 8),
          static_cast<uint8_t>(division & 0xFF)};
}

Bytes Chunk(const char* id, const Bytes& body)
{
  const auto n = static_cast<uint32_t>(body.size());
  Bytes chunk(8 + body.size());
  for (int i = 0; i < 4; ++i)
  {
    chunk[i] = static_cast<uint8_t>(id[i]);
    chunk[4 + i] = static_cast<uint8_t>(n >> (24 - 8 * i));
  }
  std::copy(body.begin(), body.end(), chunk.begin() + 8);
  return chunk;
}

Bytes Track(const Bytes& events)
{
  return Chunk("MTrk", events);
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
  Bytes all;
  for (const Bytes& part : parts)
    all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

MidiFile ReadFixture(const Bytes& bytes)
{
  const std::filesystem::path path = ScratchDir() / "fixture.mid";
  WriteBytes(path, bytes);
  return ReadMidiFile(path);
}

struct Expected
{
  uint64_t tick;
  uint8_t status, data1, data2;
};

struct ValidCase
{
  const char* what;
  Bytes file;
  std::vector<Expected> events;
  uint64_t endTick;
};

// Delta times: 0x60 = 96, 0x83 0x00 = 384 (two-byte variable-length quantity).
const std::vector<ValidCase> kValidCases = {
    {"format 0 with a two-byte delta",
     Concat({Header(0, 1, 96), Track({0x00, 0x90, 0x3C, 0x64, 0x83, 0x00, 0x80, 0x3C, 0x40, 0x00,
                                      0xFF, 0x2F, 0x00})}),
     {{0, 0x90, 60, 100}, {384, 0x80, 60, 64}},
     384},
    {"running status, one-byte messages keep it too",
     Concat({Header(0, 1, 96),
             Track({0x00, 0x91, 0x3C, 0x64, 0x60, 0x3E, 0x50, 0x00, 0xC2, 0x05, 0x00, 0x07,
                    0x00, 0xE3, 0x00, 0x40, 0x60, 0x7F, 0x7F, 0x00, 0xFF, 0x2F, 0x00})}),
     {{0, 0x91, 60, 100},
      {96, 0x91, 62, 80},
      {96, 0xC2, 5, 0},
      {96, 0xC2, 7, 0},
      {96, 0xE3, 0, 64},
      {192, 0xE3, 127, 127}},
     192},
    {"sysex and meta events skipped, then a new status",
     Concat({Header(0, 1, 96),
             Track({0x00, 0xF0, 0x03, 0x7E, 0x01, 0xF7, 0x10, 0xFF, 0x01, 0x02, 'h',  'i',
                    0x00, 0xF7, 0x01, 0x00, 0x00, 0xB0, 0x01, 0x40, 0x00, 0xFF, 0x2F, 0x00})}),
     {{16, 0xB0, 1, 64}},
     16},
    {"format 1 merged by tick, equal ticks in track order, unknown chunk skipped",
     Concat({Header(1, 2, 96),
             Track({0x00, 0x90, 0x30, 0x01, 0x60, 0x90, 0x31, 0x02, 0x00, 0xFF, 0x2F, 0x00}),
             Chunk("XYZW", {1, 2, 3}),
             Track({0x00, 0x90, 0x40, 0x03, 0x30, 0x90, 0x41, 0x04, 0x30, 0x90, 0x42, 0x05, 0x60,
                    0xFF, 0x2F, 0x00})}),
     {{0, 0x90, 48, 1}, {0, 0x90, 64, 3}, {48, 0x90, 65, 4}, {96, 0x90, 49, 2}, {96, 0x90, 66, 5}},
     192},
    {"track without end-of-track ends with its chunk",
     Concat({Header(0, 1, 96), Track({0x05, 0x90, 0x3C, 0x64})}),
     {{5, 0x90, 60, 100}},
     5},
};

TEST(MidiFileReader, ReadsEventsOfValidFiles)
{
  for (const ValidCase& c : kValidCases)
  {
    SCOPED_TRACE(c.what);
    const MidiFile file = ReadFixture(c.file);
    ASSERT_EQ(file.events.size(), c.events.size());
    for (std::size_t i = 0; i < c.events.size(); ++i)
    {
      SCOPED_TRACE(i);
      EXPECT_EQ(file.events[i].tick, c.events[i].tick);
      EXPECT_EQ(file.events[i].status, c.events[i].status);
      EXPECT_EQ(file.events[i].data1, c.events[i].data1);
      EXPECT_EQ(file.events[i].data2, c.events[i].data2);
    }
    EXPECT_EQ(file.endTick, c.endTick);
  }
}

// 480 ticks per quarter; 120 bpm until tick 960 (1 s), then 240 bpm.
const Bytes kTempoChangeFile =
    Concat({Header(1, 2, 480),
            Track({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,       // 500000 us: 120 bpm
                   0x87, 0x40, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, // at 960: 250000 us: 240 bpm
                   0x00, 0xFF, 0x2F, 0x00}),
            Track({0x83, 0x60, 0x90, 0x3C, 0x64,     // 480
                   0x87, 0x40, 0x80, 0x3C, 0x00,     // 1440
                   0x83, 0x60, 0xFF, 0x2F, 0x00})}); // end at 1920

TEST(MidiFileTiming, TempoMapTimesTicksAndHostTempo)
{
  const MidiFile file = ReadFixture(kTempoChangeFile);
  ASSERT_EQ(file.tempoChanges.size(), 2u);
  const Score score = Score::FromMidiFile(file, std::nullopt);
  ASSERT_EQ(score.Events().size(), 2u);
  EXPECT_DOUBLE_EQ(score.Events()[0].seconds, 0.5);  // one quarter at 120 bpm
  EXPECT_DOUBLE_EQ(score.Events()[1].seconds, 1.25); // 1 s, then one quarter at 240 bpm
  EXPECT_DOUBLE_EQ(score.EndSeconds(), 1.5);
  EXPECT_DOUBLE_EQ(score.TempoAt(0.0), 120.0);
  EXPECT_DOUBLE_EQ(score.TempoAt(0.999), 120.0);
  EXPECT_DOUBLE_EQ(score.TempoAt(1.0), 240.0);
  EXPECT_DOUBLE_EQ(score.TempoAt(5.0), 240.0);
}

TEST(MidiFileTiming, FixedTempoReplacesTheTempoMap)
{
  const Score score = Score::FromMidiFile(ReadFixture(kTempoChangeFile), 60.0);
  EXPECT_DOUBLE_EQ(score.Events()[0].seconds, 1.0); // quarters of 1 s
  EXPECT_DOUBLE_EQ(score.Events()[1].seconds, 3.0);
  EXPECT_DOUBLE_EQ(score.EndSeconds(), 4.0);
  EXPECT_DOUBLE_EQ(score.TempoAt(2.0), 60.0);
}

TEST(MidiFileTiming, WithoutTempoEventsTheTempoIs120)
{
  const Score score = Score::FromMidiFile(ReadFixture(kValidCases[0].file), std::nullopt);
  EXPECT_DOUBLE_EQ(score.Events()[1].seconds, 2.0); // 4 quarters at 120 bpm
  EXPECT_DOUBLE_EQ(score.TempoAt(1.0), 120.0);
}

TEST(MidiFileTiming, SmpteDivisionIsAbsoluteTime)
{
  // 25 frames per second of 40 ticks: 1000 ticks per second, whatever the tempo says.
  const Bytes file =
      Concat({Header(0, 1, 0xE728),
              Track({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,                 // 1000000 us: 60 bpm
                     0x83, 0x74, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00})}); // tick 500
  const MidiFile midi = ReadFixture(file);
  EXPECT_DOUBLE_EQ(midi.smpteTicksPerSecond, 1000.0);
  const Score score = Score::FromMidiFile(midi, std::nullopt);
  ASSERT_EQ(score.Events().size(), 1u);
  EXPECT_DOUBLE_EQ(score.Events()[0].seconds, 0.5);
  EXPECT_DOUBLE_EQ(score.TempoAt(0.25), 60.0);
}

TEST(MidiFileTiming, DropFrameSmpteRate)
{
  // 0xE3 is -29: 30 drop-frame, 29.97 frames per second; 2 ticks each.
  const Bytes file = Concat({Header(0, 1, 0xE302), Track(kEndOfTrack)});
  EXPECT_DOUBLE_EQ(ReadFixture(file).smpteTicksPerSecond, 2 * 30000.0 / 1001.0);
}

struct MalformedCase
{
  const char* what;
  Bytes file;
  const char* reason;
};

const std::vector<MalformedCase> kMalformedCases = {
    {"empty file", {}, "not a Standard MIDI File"},
    {"bad header id",
     Concat({{'M', 'T', 'h', 'x', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96}, Track(kEndOfTrack)}),
     "not a Standard MIDI File"},
    {"header cut short", {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, "ends inside the header"},
    {"format 2", Concat({Header(2, 1, 96), Track(kEndOfTrack)}), "format 2"},
    {"format 0 with two tracks", Concat({Header(0, 2, 96), Track(kEndOfTrack), Track(kEndOfTrack)}),
     "format 0 file with 2 tracks"},
    {"zero division", Concat({Header(0, 1, 0), Track(kEndOfTrack)}), "division of 0"},
    {"track longer than the file",
     Concat({Header(0, 1, 96), {'M', 'T', 'r', 'k', 0, 0, 0, 20, 0x00, 0x90, 0x3C}}),
     "track 1 is truncated"},
    {"event cut by the chunk end", Concat({Header(0, 1, 96), Track({0x00, 0x90, 0x3C})}),
     "track 1 is truncated"},
    {"missing track", Concat({Header(1, 2, 96), Track(kEndOfTrack)}), "only 1 of 2 tracks"},
    {"data byte 0x80 or above", Concat({Header(0, 1, 96), Track({0x00, 0x90, 0x3C, 0x90, 0x00})}),
     "data byte 0x90"},
    {"running status before any status",
     Concat({Header(0, 1, 96), Track({0x00, 0x3C, 0x64, 0xFF, 0x2F, 0x00})}), "running status"},
    {"running status after sysex",
     Concat({Header(0, 1, 96),
             Track({0x00, 0x90, 0x3C, 0x64, 0x00, 0xF0, 0x01, 0xF7, 0x00, 0x3C, 0x00})}),
     "running status"},
    {"system common byte", Concat({Header(0, 1, 96), Track({0x00, 0xF2, 0x00, 0x00})}),
     "unexpected status byte 0xF2"},
    {"five-byte delta", Concat({Header(0, 1, 96), Track({0x81, 0x81, 0x81, 0x81, 0x00})}),
     "longer than 4 bytes"},
    {"set-tempo of length 2",
     Concat(
         {Header(0, 1, 96), Track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x00, 0xFF, 0x2F, 0x00})}),
     "set-tempo event of length 2"},
};

TEST(MidiFileReader, MalformedFilesGiveFileErrorNamingFileAndReason)
{
  for (const MalformedCase& c : kMalformedCases)
  {
    SCOPED_TRACE(c.what);
    const std::filesystem::path path = ScratchDir() / "broken.mid";
    WriteBytes(path, c.file);
    try
    {
      ReadMidiFile(path);
      ADD_FAILURE() << "no error";
    }
    catch (const FileError& e)
    {
      const std::string message = e.what();
      EXPECT_NE(message.find(path.string()), std::string::npos) << message;
      EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
  }
}

TEST(MidiFileReader, MissingFileIsAFileError)
{
  const std::filesystem::path path = ScratchDir() / "absent.mid";
  EXPECT_THROW(ReadMidiFile(path), FileError);
  EXPECT_THROW(ReadMidiFile(path.parent_path()), FileError);
}
} // namespace
