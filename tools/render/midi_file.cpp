#include "render/midi_file.h"

#include "render/render_error.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace
{
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExContinuation = 0xF7;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaSetTempo = 0x51;

std::string Hex(unsigned value)
{
  char buf[8];
  std::snprintf(buf, sizeof(buf), "0x%02X", value);
  return buf;
}

/** Bounds-checked big-endian reading over one region of the file; throws on running out. */
class ByteReader
{
public:
  ByteReader(std::span<const uint8_t> bytes, std::size_t begin, std::size_t end,
             std::string truncatedMessage)
      : mBytes(bytes), mPos(begin), mEnd(end), mTruncatedMessage(std::move(truncatedMessage))
  {
  }

  bool AtEnd() const { return mPos >= mEnd; }
  std::size_t Position() const { return mPos; }

  uint8_t Byte()
  {
    Need(1);
    return mBytes[mPos++];
  }

  uint32_t BigEndian(int count)
  {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
      value = (value << 8) | Byte();
    return value;
  }

  void Skip(std::size_t count)
  {
    Need(count);
    mPos += count;
  }

  /** A variable-length quantity: 7 bits per byte, high bit set on all but the last, at most 4. */
  uint32_t VariableLength(const std::string& context)
  {
    const std::size_t start = mPos;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
    {
      const uint8_t b = Byte();
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return value;
    }
    throw FileError(context + "variable-length quantity longer than 4 bytes at byte " +
                    std::to_string(start));
  }

private:
  void Need(std::size_t count) const
  {
    if (mEnd - mPos < count) throw FileError(mTruncatedMessage);
  }

  std::span<const uint8_t> mBytes;
  std::size_t mPos;
  std::size_t mEnd;
  std::string mTruncatedMessage;
};

/** Data bytes following a channel status byte: program change and channel pressure have one. */
int ChannelDataCount(uint8_t status)
{
  const int kind = status >> 4;
  return (kind == 0xC || kind == 0xD) ? 1 : 2;
}

struct TrackEvents
{
  std::vector<MidiFileEvent> events;
  std::vector<MidiTempoChange> tempoChanges;
  uint64_t endTick = 0;
};

class TrackParser
{
public:
  TrackParser(ByteReader& reader, const std::string& context) : mIn(reader), mContext(context) {}

  TrackEvents Parse()
  {
    TrackEvents track;
    uint64_t tick = 0;
    uint8_t runningStatus = 0;
    // A track without its end-of-track event still ends with its chunk.
    while (!mIn.AtEnd())
    {
      tick += mIn.VariableLength(mContext);
      track.endTick = tick;
      const std::size_t eventStart = mIn.Position();
      uint8_t status = mIn.Byte();
      uint8_t firstData = 0;
      bool haveFirstData = false;
      if (status < 0x80)
      {
        if (runningStatus == 0)
          throw FileError(mContext + "running status without a preceding status byte at byte " +
                          std::to_string(eventStart));
        firstData = status;
        haveFirstData = true;
        status = runningStatus;
      }

      if (status < 0xF0)
      {
        runningStatus = status;
        MidiFileEvent event{tick, status, 0, 0};
        event.data1 = haveFirstData ? firstData : DataByte();
        if (ChannelDataCount(status) == 2) event.data2 = DataByte();
        track.events.push_back(event);
        continue;
      }

      // System exclusive and meta events cancel running status.
      runningStatus = 0;
      if (status == kSysEx || status == kSysExContinuation)
      {
        mIn.Skip(mIn.VariableLength(mContext));
      }
      else if (status == kMetaEvent)
      {
        const uint8_t type = mIn.Byte();
        const uint32_t length = mIn.VariableLength(mContext);
        if (type == kMetaEndOfTrack) break;
        if (type == kMetaSetTempo)
          track.tempoChanges.push_back({tick, SetTempo(length, eventStart)});
        else
          mIn.Skip(length);
      }
      else
      {
        throw FileError(mContext + "unexpected status byte " + Hex(status) + " at byte " +
                        std::to_string(eventStart));
      }
    }
    return track;
  }

private:
  uint8_t DataByte()
  {
    const std::size_t pos = mIn.Position();
    const uint8_t b = mIn.Byte();
    if (b >= 0x80)
      throw FileError(mContext + "data byte " + Hex(b) + " (0x80 or above) at byte " +
                      std::to_string(pos));
    return b;
  }

  uint32_t SetTempo(uint32_t length, std::size_t eventStart)
  {
    if (length != 3)
      throw FileError(mContext + "set-tempo event of length " + std::to_string(length) +
                      " at byte " + std::to_string(eventStart));
    const uint32_t micros = mIn.BigEndian(3);
    if (micros == 0)
      throw FileError(mContext + "set-tempo event of 0 microseconds at byte " +
                      std::to_string(eventStart));
    return micros;
  }

  ByteReader& mIn;
  const std::string& mContext;
};

/** Reads the division word: ticks per quarter note, or SMPTE frames per second and ticks. */
void ReadDivision(uint16_t division, MidiFile& file, const std::string& name)
{
  if ((division & 0x8000) == 0)
  {
    if (division == 0) throw FileError(name + ": division of 0 ticks per quarter note");
    file.ticksPerQuarter = division;
    return;
  }
  // The high byte is the negated frame rate; 29 stands for 30 drop-frame, 29.97 frames.
  const int frameRate = -static_cast<int8_t>(division >> 8);
  const int ticksPerFrame = division & 0xFF;
  double framesPerSecond = 0.0;
  switch (frameRate)
  {
  case 24:
  case 25:
  case 30:
    framesPerSecond = frameRate;
    break;
  case 29:
    framesPerSecond = 30000.0 / 1001.0;
    break;
  default:
    throw FileError(name + ": unknown SMPTE frame rate " + std::to_string(frameRate));
  }
  if (ticksPerFrame == 0) throw FileError(name + ": SMPTE division of 0 ticks per frame");
  file.smpteTicksPerSecond = framesPerSecond * ticksPerFrame;
}

template <typename T>
void StableSortByTick(std::vector<T>& items)
{
  std::stable_sort(items.begin(), items.end(),
                   [](const T& a, const T& b) { return a.tick < b.tick; });
}
} // namespace

MidiFile ParseMidiFile(std::span<const uint8_t> bytes, const std::string& name)
{
  const std::string truncated = name + ": file ends inside the header";
  ByteReader header(bytes, 0, bytes.size(), truncated);
  if (bytes.size() < 4 || header.BigEndian(4) != 0x4D546864) // "MThd"
    throw FileError(name + ": not a Standard MIDI File (no MThd header)");
  const uint32_t headerLength = header.BigEndian(4);
  if (headerLength < 6)
    throw FileError(name + ": header chunk of " + std::to_string(headerLength) +
                    " bytes, expected 6");

  MidiFile file;
  file.format = static_cast<int>(header.BigEndian(2));
  file.numTracks = static_cast<int>(header.BigEndian(2));
  const auto division = static_cast<uint16_t>(header.BigEndian(2));
  header.Skip(headerLength - 6);

  if (file.format == 2)
    throw FileError(name + ": format 2 (independent sequences) is not supported");
  if (file.format > 2) throw FileError(name + ": unknown format " + std::to_string(file.format));
  if (file.format == 0 && file.numTracks != 1)
    throw FileError(name + ": format 0 file with " + std::to_string(file.numTracks) +
                    " tracks, expected 1");
  ReadDivision(division, file, name);

  std::size_t pos = header.Position();
  int tracksRead = 0;
  while (tracksRead < file.numTracks)
  {
    const std::string trackName = name + ": track " + std::to_string(tracksRead + 1);
    ByteReader chunkHeader(bytes, pos, bytes.size(),
                           name + ": only " + std::to_string(tracksRead) + " of " +
                               std::to_string(file.numTracks) + " tracks present");
    const uint32_t id = chunkHeader.BigEndian(4);
    const uint32_t length = chunkHeader.BigEndian(4);
    const std::size_t bodyStart = chunkHeader.Position();
    if (bytes.size() - bodyStart < length)
      throw FileError(id == 0x4D54726B
                          ? trackName + " is truncated"
                          : name + ": chunk at byte " + std::to_string(pos) + " is truncated");
    pos = bodyStart + length;
    if (id != 0x4D54726B) // not "MTrk": an unknown chunk, skipped as the format demands
      continue;

    ByteReader body(bytes, bodyStart, pos, trackName + " is truncated");
    const std::string context = trackName + ": ";
    TrackEvents track = TrackParser(body, context).Parse();
    file.events.insert(file.events.end(), track.events.begin(), track.events.end());
    file.tempoChanges.insert(file.tempoChanges.end(), track.tempoChanges.begin(),
                             track.tempoChanges.end());
    file.endTick = std::max(file.endTick, track.endTick);
    ++tracksRead;
  }

  // Tracks were appended in order, so a stable sort keeps track order, then file order.
  StableSortByTick(file.events);
  StableSortByTick(file.tempoChanges);
  return file;
}

MidiFile ReadMidiFile(const std::filesystem::path& path)
{
  const std::string name = path.string();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) throw FileError(name + ": no such file");
  if (std::filesystem::is_directory(path, ec))
    throw FileError(name + ": is a directory, not a MIDI file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FileError(name + ": cannot open for reading");
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  if (in.bad()) throw FileError(name + ": read error");
  return ParseMidiFile(bytes, name);
}
