#include "render/score.h"

#include <algorithm>

namespace
{
constexpr double kMicrosPerMinute = 60.0e6;
constexpr uint32_t kDefaultMicrosPerQuarter = 500000; // 120 beats per minute

/** Maps ticks to seconds for one of the three ways a file can be timed. */
class TickClock
{
public:
  TickClock(const MidiFile& file, std::optional<double> fixedTempo)
  {
    if (file.smpteTicksPerSecond > 0.0)
    {
      // Absolute time: ticks are fractions of frames and no tempo changes their length.
      mSegments.push_back({0, 0.0, 1.0 / file.smpteTicksPerSecond});
      return;
    }
    const double ticksPerQuarter = file.ticksPerQuarter;
    if (fixedTempo)
    {
      mSegments.push_back({0, 0.0, 60.0 / (*fixedTempo * ticksPerQuarter)});
      return;
    }
    mSegments.push_back({0, 0.0, kDefaultMicrosPerQuarter / 1.0e6 / ticksPerQuarter});
    for (const MidiTempoChange& change : file.tempoChanges)
    {
      const Segment next{change.tick, Seconds(change.tick),
                         change.microsPerQuarter / 1.0e6 / ticksPerQuarter};
      // Of several tempo changes at one tick the last one counts.
      if (mSegments.back().tick == change.tick)
        mSegments.back() = next;
      else
        mSegments.push_back(next);
    }
  }

  double Seconds(uint64_t tick) const
  {
    const auto after =
        std::upper_bound(mSegments.begin(), mSegments.end(), tick,
                         [](uint64_t t, const Segment& segment) { return t < segment.tick; });
    const Segment& segment = *(after - 1);
    return segment.seconds + static_cast<double>(tick - segment.tick) * segment.secondsPerTick;
  }

private:
  struct Segment
  {
    uint64_t tick;
    double seconds;
    double secondsPerTick;
  };
  std::vector<Segment> mSegments;
};
} // namespace

Score::Score(double bpm) : mTempo{{0.0, bpm}} {}

Score Score::FromMidiFile(const MidiFile& file, std::optional<double> fixedTempo)
{
  Score score(fixedTempo.value_or(kDefaultTempo));
  const TickClock clock(file, fixedTempo);
  if (!fixedTempo)
    for (const MidiTempoChange& change : file.tempoChanges)
    {
      const TempoPoint point{clock.Seconds(change.tick),
                             kMicrosPerMinute / change.microsPerQuarter};
      if (point.seconds == score.mTempo.back().seconds)
        score.mTempo.back() = point;
      else
        score.mTempo.push_back(point);
    }
  score.mEvents.reserve(file.events.size());
  for (const MidiFileEvent& event : file.events)
    score.mEvents.push_back({clock.Seconds(event.tick), event.status, event.data1, event.data2});
  score.mEndSeconds = clock.Seconds(file.endTick);
  return score;
}

void Score::AddNotes(const std::vector<NoteSpec>& notes)
{
  constexpr uint8_t kNoteOn = 0x90;
  constexpr uint8_t kNoteOff = 0x80;
  // All note offs go in before the note ons: the stable sort then ends a note before a new one
  // starts at the same moment, so back-to-back repeats of one key both sound.
  for (const NoteSpec& n : notes)
    mEvents.push_back({n.start + n.length, kNoteOff, static_cast<uint8_t>(n.note), 0});
  for (const NoteSpec& n : notes)
  {
    mEvents.push_back(
        {n.start, kNoteOn, static_cast<uint8_t>(n.note), static_cast<uint8_t>(n.velocity)});
    mEndSeconds = std::max(mEndSeconds, n.start + n.length);
  }
  SortEvents();
}

void Score::AddParamChange(const ScoreParamChange& change)
{
  const auto after =
      std::upper_bound(mParamChanges.begin(), mParamChanges.end(), change.seconds,
                       [](double t, const ScoreParamChange& point) { return t < point.seconds; });
  mParamChanges.insert(after, change);
}

double Score::TempoAt(double seconds) const
{
  const auto after =
      std::upper_bound(mTempo.begin(), mTempo.end(), seconds,
                       [](double t, const TempoPoint& point) { return t < point.seconds; });
  return after == mTempo.begin() ? mTempo.front().bpm : (after - 1)->bpm;
}

void Score::SortEvents()
{
  std::stable_sort(mEvents.begin(), mEvents.end(),
                   [](const ScoreEvent& a, const ScoreEvent& b) { return a.seconds < b.seconds; });
}
