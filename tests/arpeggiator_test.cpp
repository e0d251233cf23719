// Arpeggiator and step sequencer patterns, as lists of generated notes.

#include "engine/arpeggiator.h"
#include "support/hosted_plugin.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr float kRate = 1000.0f;

/** An arpeggiator whose clock fires at every call, over its own held-key table. */
struct Arp
{
  NoteTable keys;
  VX_Arpeggiator arp{keys};

  Arp(int mode, int octaves)
  {
    arp.SetSampleRate(kRate);
    arp.SetMode(mode);
    arp.SetOctaves(octaves);
    arp.SetRate(kRate);
  }

  void Hold(std::initializer_list<int> notes)
  {
    for (int note : notes)
    {
      keys.Press(note, 100);
      if (keys.heldCount == 1)
        arp.RestartForFirstKey();
    }
  }

  std::vector<int> Notes(int count)
  {
    std::vector<int> notes;
    for (int i = 0; i < count; ++i)
      notes.push_back(arp.Step());
    return notes;
  }
};

using Notes = std::vector<int>;
} // namespace

TEST(Arpeggiator, Patterns)
{
  const struct
  {
    const char* name;
    int mode, octaves;
    std::initializer_list<int> held;
    Notes expected;
  } cases[] = {
      {"up, 2 octaves", VX_Arpeggiator::kUp, 2, {60, 64, 67}, {60, 64, 67, 72, 76, 79, 60, 64}},
      {"up, 1 octave", VX_Arpeggiator::kUp, 1, {67, 60, 64}, {60, 64, 67, 60, 64}},
      {"down, 1 octave", VX_Arpeggiator::kDown, 1, {60, 64, 67}, {67, 64, 60, 67, 64}},
      {"down, 2 octaves", VX_Arpeggiator::kDown, 2, {60, 64, 67}, {79, 76, 72, 67, 64, 60, 79}},
      {"up down, 1 octave", VX_Arpeggiator::kUpDown, 1, {60, 64, 67},
       {60, 64, 67, 64, 60, 64, 67, 64}},
      {"up down, 2 octaves", VX_Arpeggiator::kUpDown, 2, {60, 67},
       {60, 67, 72, 79, 72, 67, 60, 67}},
      {"up down, one key, 2 octaves", VX_Arpeggiator::kUpDown, 2, {60}, {60, 72, 60, 72, 60}},
  };
  for (const auto& c : cases)
  {
    Arp a(c.mode, c.octaves);
    a.Hold(c.held);
    EXPECT_EQ(a.Notes(static_cast<int>(c.expected.size())), c.expected) << c.name;
  }
}

TEST(Arpeggiator, NoHeldKeyPlaysNothing)
{
  Arp a(VX_Arpeggiator::kUp, 1);
  EXPECT_EQ(a.Notes(3), Notes({-1, -1, -1}));
}

TEST(Arpeggiator, RecordedSequencePlaysFromTheLatestKey)
{
  Arp a(VX_Arpeggiator::kSeqRecord, 2);
  for (int note : {48, 50, 55})
    a.arp.RecordStep(note);
  EXPECT_EQ(a.arp.StepNote(0), 48);
  EXPECT_EQ(a.arp.StepNote(1), 50);
  EXPECT_EQ(a.arp.StepNote(2), 55);
  for (int step = 3; step < VX_Arpeggiator::kNumStoredSteps; ++step)
    ASSERT_EQ(a.arp.StepNote(step), VX_Arpeggiator::kEmptyStep) << step;

  a.arp.SetMode(VX_Arpeggiator::kSeqPlaySeq);
  a.Hold({64});
  EXPECT_EQ(a.Notes(7), Notes({64, 66, 71, 76, 78, 83, 64}));
  EXPECT_EQ(a.arp.Transposition(), 0.0f);
  EXPECT_EQ(a.arp.PitchToNote(), 64);
}

TEST(Arpeggiator, PolySequenceTransposesTheChord)
{
  Arp a(VX_Arpeggiator::kSeqRecord, 1);
  for (int note : {48, 50, 55})
    a.arp.RecordStep(note);
  a.arp.SetMode(VX_Arpeggiator::kSeqPlayPoly);
  a.Hold({60, 64, 67});
  std::vector<float> semitones;
  for (int i = 0; i < 4; ++i)
  {
    ASSERT_GE(a.arp.Step(), 0);
    semitones.push_back(a.arp.Transposition() * 128.0f);
  }
  EXPECT_EQ(semitones, std::vector<float>({0, 2, 7, 0}));
}

TEST(Arpeggiator, SeventeenthRecordedKeyStartsANewRecording)
{
  Arp a(VX_Arpeggiator::kSeqRecord, 1);
  for (int i = 0; i < 16; ++i)
    a.arp.RecordStep(40 + i);
  EXPECT_EQ(a.arp.StepNote(15), 55);
  a.arp.RecordStep(70);
  EXPECT_EQ(a.arp.StepNote(0), 70);
  EXPECT_EQ(a.arp.StepNote(1), VX_Arpeggiator::kEmptyStep);
}

TEST(Arpeggiator, SequenceNotesOutsideTheMidiRangeAreSkipped)
{
  Arp a(VX_Arpeggiator::kSeqRecord, 1);
  for (int note : {0, 60, 2})
    a.arp.RecordStep(note);
  a.arp.SetMode(VX_Arpeggiator::kSeqPlaySeq);
  a.Hold({100});
  EXPECT_EQ(a.Notes(4), Notes({100, -1, 102, 100})); // 160 does not exist
}

TEST(Arpeggiator, EmptySequenceRepeatsTheLatestKey)
{
  Arp a(VX_Arpeggiator::kSeqPlaySeq, 1);
  a.Hold({62, 57});
  EXPECT_EQ(a.Notes(3), Notes({57, 57, 57}));
}

namespace
{
/** The notes voice 0 starts while rendering, with the frame of each start. */
struct NoteStart
{
  int frame, note;
};

std::vector<NoteStart> RenderNoteStarts(HostedPlugin& host, int frames)
{
  std::vector<NoteStart> starts;
  int last = -1;
  bool gate = false;
  for (int i = 0; i < frames; ++i)
  {
    host.Render(1);
    const VX_Voice& v = host.Engine().Voices().Voice(0);
    if (v.Gate() && (v.Note() != last || !gate))
      starts.push_back({i, v.Note()});
    last = v.Note();
    gate = v.Gate();
  }
  return starts;
}
} // namespace

TEST(ArpeggiatorInEngine, SixteenthsAt120BpmGiveEightStepsPerSecond)
{
  HostedPlugin host(48000, 64);
  host.SetTempo(120);
  host.SetText(kPolyphony, "1  ");
  host.SetText(kArpMode, "Up");
  host.SetText(kArpRange, "1");
  host.SetText(kArpTempoSynced, "1/16");
  host.Render(64);
  host.NoteOn(0, 60);
  host.NoteOn(0, 64);
  const auto starts = RenderNoteStarts(host, 48000);
  ASSERT_EQ(starts.size(), 8u);
  for (size_t k = 0; k < starts.size(); ++k)
  {
    EXPECT_NEAR(starts[k].frame, k * 6000.0, 4.0) << k; // a float clock
    EXPECT_EQ(starts[k].note, k % 2 ? 64 : 60) << k;
  }
}

TEST(ArpeggiatorInEngine, ReleasingAllKeysStopsTheClock)
{
  HostedPlugin host(48000, 64);
  host.SetText(kPolyphony, "1  ");
  host.SetText(kArpMode, "Up");
  host.SetText(kArpTempoSync, "OFF");
  host.Set(kArpTempo, 10);
  host.Render(64);
  host.NoteOn(0, 60);
  host.RenderLeft(1000, 64);
  host.NoteOff(0, 60);
  host.Render(2);
  EXPECT_FALSE(host.Engine().Voices().Voice(0).Gate());
  EXPECT_EQ(host.Engine().Notes().heldCount, 0);
  EXPECT_TRUE(RenderNoteStarts(host, 24000).empty());
}

TEST(ArpeggiatorInEngine, PedalKeepsReleasedKeysInThePattern)
{
  HostedPlugin host(48000, 64);
  host.SetText(kPolyphony, "1  ");
  host.SetText(kArpMode, "Up");
  host.SetText(kArpRange, "1");
  host.SetText(kArpTempoSync, "OFF");
  host.Set(kArpTempo, 10); // a step every 4800 frames
  host.Render(64);
  host.NoteOn(0, 60);
  host.NoteOn(0, 67);
  host.Midi(0, 11, 64, 127);
  host.NoteOff(0, 67);
  auto starts = RenderNoteStarts(host, 4 * 4800);
  ASSERT_EQ(starts.size(), 4u);
  EXPECT_EQ(starts[1].note, 67);
  EXPECT_EQ(starts[3].note, 67);

  host.Midi(0, 11, 64, 0);
  starts = RenderNoteStarts(host, 4 * 4800);
  for (const NoteStart& s : starts)
    EXPECT_EQ(s.note, 60);
}
