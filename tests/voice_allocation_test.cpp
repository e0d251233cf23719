// Voice allocation, stealing, mono legato and glide, the sustain pedal and note-start settings,
// observed through the voices of an instrument driven like a host drives it.

#include "support/hosted_plugin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 64;

class VoiceAllocation : public ::testing::Test
{
protected:
  HostedPlugin host{kRate, kBlock};

  void SetUp() override { host.RenderLeft(4800, kBlock); }

  const VX_Voice& Voice(int v) { return host.Engine().Voices().Voice(v); }
  void Play(int note) { host.NoteOn(0, note); }
  void Stop(int note) { host.NoteOff(0, note); }
  void RenderMs(double ms) { host.RenderLeft(static_cast<int>(ms * kRate / 1000.0), kBlock); }

  /** The voice that plays note with its key held, or -1. */
  int VoiceHolding(int note)
  {
    for (int v = 0; v < VX_VoiceManager::kNumVoices; ++v)
      if (Voice(v).Gate() && Voice(v).Note() == note) return v;
    return -1;
  }
};
} // namespace

TEST_F(VoiceAllocation, NearestNoteIsStolenWhenEveryKeyIsHeld)
{
  host.SetText(kPolyphony, "3  ");
  RenderMs(1);
  for (int note : {60, 64, 67}) // C4 E4 G4
    Play(note);
  RenderMs(10);
  ASSERT_EQ(VoiceHolding(60), 0);
  ASSERT_EQ(VoiceHolding(64), 1);
  ASSERT_EQ(VoiceHolding(67), 2);
  Play(62); // D4: C4 and E4 are equally near, the lower voice wins
  RenderMs(1);
  EXPECT_EQ(VoiceHolding(62), 0);
  EXPECT_EQ(VoiceHolding(64), 1);
}

TEST_F(VoiceAllocation, QuietestReleasedVoiceIsStolenBeforeHeldOnes)
{
  host.SetText(kPolyphony, "2  ");
  host.Set(kAmpEnvRelease, 2000);
  RenderMs(1);
  Play(60);
  Play(64);
  RenderMs(20);
  Stop(60);
  RenderMs(50);
  Play(67);
  RenderMs(1);
  EXPECT_EQ(VoiceHolding(67), 0);
  EXPECT_EQ(VoiceHolding(64), 1);
}

TEST_F(VoiceAllocation, RepeatedKeyReusesItsVoiceOrTakesAnother)
{
  const struct
  {
    const char* assign;
    int secondVoice;
    bool firstStillSounds;
  } cases[] = {
      {"Reuse voice for same notes", 0, false},
      {"New voice for each note", 1, true},
  };
  for (const auto& c : cases)
  {
    HostedPlugin h(kRate, kBlock);
    h.SetText(kVoiceAssign, c.assign);
    h.Set(kAmpEnvRelease, 1000);
    h.RenderLeft(480, kBlock);
    h.NoteOn(0, 60);
    h.RenderLeft(960, kBlock);
    h.NoteOff(0, 60);
    h.RenderLeft(960, kBlock); // releasing
    h.NoteOn(0, 60);
    h.RenderLeft(kBlock, kBlock);
    const VX_VoiceManager& voices = h.Engine().Voices();
    EXPECT_TRUE(voices.Voice(c.secondVoice).Gate()) << c.assign;
    EXPECT_EQ(voices.NumActiveVoices(), c.firstStillSounds ? 2 : 1) << c.assign;
  }
}

namespace
{
struct GlideCase
{
  const char* mode;
  bool legato;
  bool glides;
  bool restartsEnvelopes;
};

std::string Describe(const GlideCase& c)
{
  return std::string(c.mode) + (c.legato ? ", legato" : ", detached");
}
} // namespace

TEST_F(VoiceAllocation, MonoGlideAndLegatoByGlideMode)
{
  const GlideCase cases[] = {
      {"Off", true, false, true},
      {"Auto", true, true, false},
      {"Auto & Retrigger Envelopes", true, true, true},
      {"On", true, true, false},
      {"Off", false, false, true},
      {"Auto", false, false, true},
      {"Auto & Retrigger Envelopes", false, false, true},
      {"On", false, true, true},
  };
  for (const GlideCase& c : cases)
  {
    HostedPlugin h(kRate, kBlock);
    h.SetText(kPolyphony, "1  ");
    h.SetText(kGlideMode, c.mode);
    h.Set(kGlide, 200);
    h.Set(kAmpEnvAttack, 5);
    h.Set(kAmpEnvDecay, 20);
    h.Set(kAmpEnvSustain, 0.5);
    h.Set(kAmpEnvRelease, 50);
    h.RenderLeft(4800, kBlock);
    h.NoteOn(0, 60);
    h.RenderLeft(9600, kBlock); // settled on C, sustaining
    if (!c.legato)
    {
      h.NoteOff(0, 60);
      h.RenderLeft(9600, kBlock); // released and silent
    }
    h.NoteOn(0, 62);
    h.Render(1);
    const VX_Voice& v = h.Engine().Voices().Voice(0);
    const float follower = v.GlideA().followers[0];
    const float target = 62.0f / 128.0f;
    if (c.glides)
    {
      EXPECT_LT(follower, target - 0.5f / 128.0f) << Describe(c);
    }
    else
    {
      EXPECT_NEAR(follower, target, 1e-6) << Describe(c);
    }
    const bool restarted = v.AmpEnvelope().Stage() == VX_Envelope::kAttack;
    EXPECT_EQ(restarted, c.restartsEnvelopes) << Describe(c);
  }
}

TEST_F(VoiceAllocation, ReleasingTheLatestKeyReturnsToThePreviousOne)
{
  host.SetText(kPolyphony, "1  ");
  host.SetText(kGlideMode, "Auto");
  host.Set(kGlide, 100);
  RenderMs(1);
  Play(60);
  RenderMs(20);
  Play(64);
  RenderMs(500);
  Stop(64);
  RenderMs(1);
  const VX_Voice& v = Voice(0);
  EXPECT_TRUE(v.Gate());
  EXPECT_EQ(v.Note(), 60);
  EXPECT_GT(v.GlideA().followers[0], 61.0f / 128.0f) << "it glides back";
  Stop(60);
  RenderMs(1);
  EXPECT_FALSE(v.Gate());
}

TEST_F(VoiceAllocation, ChangingPolyphonyReleasesHeldKeys)
{
  Play(60);
  Play(64);
  RenderMs(10);
  host.SetText(kPolyphony, "4  ");
  RenderMs(1);
  EXPECT_EQ(VoiceHolding(60), -1);
  EXPECT_EQ(VoiceHolding(64), -1);
  EXPECT_EQ(host.Engine().Notes().heldCount, 0);
  Play(67);
  RenderMs(1);
  EXPECT_NE(VoiceHolding(67), -1) << "new keys play again";
}

TEST_F(VoiceAllocation, TransposeAppliesToNotesStartedAfterwards)
{
  Play(60);
  RenderMs(1);
  host.SetText(kTranspose, "+1");
  RenderMs(1);
  EXPECT_FLOAT_EQ(Voice(VoiceHolding(60)).Pitch(), 60.0f / 128.0f) << "a sounding note keeps";
  Play(64);
  RenderMs(1);
  EXPECT_FLOAT_EQ(Voice(VoiceHolding(64)).Pitch(), 76.0f / 128.0f);
}

TEST_F(VoiceAllocation, SustainPedalKeepsReleasedVoicesGated)
{
  Play(60);
  host.Midi(0, 11, 64, 127);
  Stop(60);
  RenderMs(10);
  EXPECT_NE(VoiceHolding(60), -1);
  host.Midi(0, 11, 64, 0);
  RenderMs(1);
  EXPECT_EQ(VoiceHolding(60), -1);
}

TEST_F(VoiceAllocation, VoiceEndsWhenItsReleaseHasFaded)
{
  host.Set(kAmpEnvRelease, 50);
  Play(60);
  RenderMs(20);
  Stop(60);
  RenderMs(50);
  EXPECT_EQ(host.Engine().Voices().NumActiveVoices(), 1);
  RenderMs(20); // 50 ms x ln(2000) / 2pi: about 60 ms after the note off
  EXPECT_EQ(host.Engine().Voices().NumActiveVoices(), 0);
}
