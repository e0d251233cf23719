#pragma once
// What the renderer plays: channel messages timed in seconds and the host tempo over time, built
// from a MIDI file (ticks timed by its tempo map or by a fixed tempo) and from single notes.

#include "render/midi_file.h"

#include <cstdint>
#include <optional>
#include <vector>

/** One note given on the command line; times in seconds. */
struct NoteSpec
{
  int note = 60;
  int velocity = 100;
  double start = 0.0;
  double length = 1.0;
};

struct ScoreEvent
{
  double seconds = 0.0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

/** An automation point: parameter index takes real value at a time in seconds. */
struct ScoreParamChange
{
  double seconds = 0.0;
  int index = 0;
  double value = 0.0;
};

class Score
{
public:
  static constexpr double kDefaultTempo = 120.0;

  /** An empty score at a constant host tempo. */
  explicit Score(double bpm = kDefaultTempo);
  /** The file's events; fixedTempo, when given, replaces its tempo map for the host tempo and,
      with a musical division, for timing the ticks. */
  static Score FromMidiFile(const MidiFile& file, std::optional<double> fixedTempo);

  /** Adds note on and note off pairs on channel 1. */
  void AddNotes(const std::vector<NoteSpec>& notes);

  /** Adds an automation point; points at the same time keep the order in which they were added. */
  void AddParamChange(const ScoreParamChange& change);

  /** Events by time; events at the same time keep the order in which they were added. */
  const std::vector<ScoreEvent>& Events() const { return mEvents; }
  /** Automation points by time. */
  const std::vector<ScoreParamChange>& ParamChanges() const { return mParamChanges; }
  /** Host tempo in beats per minute in effect at time seconds. */
  double TempoAt(double seconds) const;
  /** Time of the last event (for a MIDI file: of its latest end-of-track). */
  double EndSeconds() const { return mEndSeconds; }

private:
  struct TempoPoint
  {
    double seconds;
    double bpm;
  };

  void SortEvents();

  std::vector<ScoreEvent> mEvents;
  std::vector<ScoreParamChange> mParamChanges; // by time
  std::vector<TempoPoint> mTempo;              // by time, the first at 0
  double mEndSeconds = 0.0;
};
