// The engine's block loop as driven through the processing entry: dispatch of changed
// parameters, smoothing, timed MIDI events, tempo, channel checks and reset requests.

#include "support/hosted_plugin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr double kRate = 44100.0;

class EngineBlock : public ::testing::Test
{
protected:
  HostedPlugin host{kRate, 512};

  void SetUp() override { Settle(); }

  /** Renders until the start-up values have glided to their targets. */
  void Settle() { host.RenderLeft(44100, 512); }
  const VX_ParamSlot& Slot(int index) { return host.Slot(index); }
  const NoteTable& Notes() { return host.Engine().Notes(); }
};
} // namespace

TEST_F(EngineBlock, SmoothingCoefficientMatchesTheOnePoleTime)
{
  const double expected = 1.0 - std::exp(-1000.0 / ((150.0 / (2 * M_PI)) * kRate));
  EXPECT_NEAR(host.Engine().SmoothingCoefficient(), expected, 1e-7);
}

TEST_F(EngineBlock, FirstBlockDeliversEveryStartValue)
{
  HostedPlugin fresh(kRate, 64);
  EXPECT_EQ(fresh.Slot(kVolume).target, 0.0f);
  fresh.Render(64);
  EXPECT_FLOAT_EQ(fresh.Slot(kVolume).target, 0.25f);
  EXPECT_EQ(fresh.Engine().Settings().polyphony, 8);
  EXPECT_FLOAT_EQ(fresh.Slot(kTranspose).target, 0.0f);
  EXPECT_FLOAT_EQ(fresh.Slot(kSlotDelayTime).target, 250.0f); // "1/8" synced at 120 bpm
}

TEST_F(EngineBlock, SmoothedValueFollowsAOnePoleAndSnaps)
{
  ASSERT_EQ(Slot(kVolume).current, 0.25f);
  host.Set(kVolume, 1.0);
  host.Render(64);
  const double c = host.Engine().SmoothingCoefficient();
  const double expected = 1.0 - 0.75 * std::pow(1.0 - c, 64);
  EXPECT_NEAR(Slot(kVolume).current, expected, 1e-5);
  EXPECT_TRUE(Slot(kVolume).smoothing);

  Settle();
  EXPECT_EQ(Slot(kVolume).current, 1.0f);
  EXPECT_FALSE(Slot(kVolume).smoothing);
  EXPECT_EQ(host.Engine().NumSmoothingSlots(), 0) << "settled slots cost nothing per sample";
}

TEST_F(EngineBlock, InstantSlotsJumpAtDispatch)
{
  host.SetText(kTranspose, "+1");
  host.Render(1);
  EXPECT_FLOAT_EQ(Slot(kTranspose).current, 12.0f / 128.0f);
  host.SetText(kTranspose, "-3");
  host.Render(1);
  EXPECT_FLOAT_EQ(Slot(kTranspose).current, -36.0f / 128.0f);
}

TEST_F(EngineBlock, UnchangedValueIsNotDispatchedAgain)
{
  host.NoteOn(0, 60);
  host.Render(16);
  ASSERT_TRUE(Notes().IsHeld(60));
  // "Polyphony" releases every note when it is applied; the same value must not be applied.
  host.Set(kPolyphony, host.Plug().GetParam(kPolyphony)->Value());
  host.Render(16);
  EXPECT_TRUE(Notes().IsHeld(60));
}

TEST_F(EngineBlock, ChangeAndChangeBackWithinABlockIsAppliedOnceWithTheFinalValue)
{
  host.NoteOn(0, 60);
  host.Render(16);
  host.Set(kPolyphony, 2);
  host.Set(kPolyphony, 7);
  host.Render(16);
  EXPECT_EQ(host.Engine().Settings().polyphony, 8);
  EXPECT_FALSE(Notes().IsHeld(60)) << "a changed polyphony releases held notes";
}

TEST_F(EngineBlock, PitchBendReachesTheSelectedRange)
{
  host.SetText(kPitchBendRange, "12");
  host.Render(64);
  const struct
  {
    int lsb, msb;
    double semitones;
  } cases[] = {
      {0x7F, 0x7F, 12.0 * 8191.0 / 8192.0}, // just under twelve semitones
      {0, 64, 0.0},                         // centre
      {0, 0, -12.0},
  };
  for (const auto& c : cases)
  {
    host.Midi(0, 14, c.lsb, c.msb);
    Settle();
    EXPECT_NEAR(Slot(kSlotPitchBend).current * 128.0, c.semitones, 1e-3)
        << c.lsb << "/" << c.msb;
  }
}

TEST_F(EngineBlock, ControllerEventStartsGlidingAtTheNextBlock)
{
  host.Midi(32, 14, 0, 127);
  host.Render(64);
  EXPECT_GT(Slot(kSlotPitchBend).target, 0.0f);
  EXPECT_EQ(Slot(kSlotPitchBend).current, 0.0f) << "the wheel was at rest when the block began";
  host.Render(64);
  const double c = host.Engine().SmoothingCoefficient();
  EXPECT_NEAR(Slot(kSlotPitchBend).current,
              Slot(kSlotPitchBend).target * (1.0 - std::pow(1.0 - c, 64)), 1e-6);
}

TEST_F(EngineBlock, ControllersSetTheirSlots)
{
  host.Set(kAftertouch, 0.5);
  host.Render(64);
  Settle();
  host.Midi(0, 11, 1, 64); // modulation wheel
  host.Midi(0, 13, 100, 0); // channel pressure
  host.Render(64);
  EXPECT_FLOAT_EQ(Slot(kModWheel).target, 64.0f / 127.0f);
  EXPECT_FLOAT_EQ(Slot(kSlotAftertouchAmount).target, 100.0f / 127.0f * 0.5f);
}

TEST_F(EngineBlock, IgnoredMessagesQueueNothing)
{
  const struct
  {
    int kind, data1, data2;
  } ignored[] = {{11, 7, 100}, {11, 10, 0}, {10, 60, 50}, {12, 5, 0}, {15, 0, 0}};
  for (const auto& m : ignored)
    host.Midi(0, m.kind, m.data1, m.data2);
  EXPECT_EQ(host.Engine().NumQueuedEvents(), 0u);
}

TEST_F(EngineBlock, NoteOnWithVelocityZeroIsANoteOff)
{
  host.NoteOn(0, 64);
  host.Render(8);
  ASSERT_TRUE(Notes().IsHeld(64));
  host.NoteOn(0, 64, 0);
  host.Render(8);
  EXPECT_FALSE(Notes().IsHeld(64));
  EXPECT_EQ(Notes().heldCount, 0);
}

TEST_F(EngineBlock, SustainPedalHoldsReleasedKeysUntilLifted)
{
  host.NoteOn(0, 60);
  host.Midi(1, 11, 64, 127);
  host.NoteOff(2, 60);
  host.NoteOn(3, 62);
  host.Render(8);
  EXPECT_TRUE(Notes().IsHeld(60));
  EXPECT_TRUE(Notes().entries[60].sustained);
  host.Midi(0, 11, 64, 0);
  host.Render(8);
  EXPECT_FALSE(Notes().IsHeld(60));
  EXPECT_TRUE(Notes().IsHeld(62)) << "a key still down stays held";
}

TEST_F(EngineBlock, EventBeyondAShortBlockWaitsForItsFrame)
{
  host.NoteOn(37, 60);
  host.Render(37);
  EXPECT_FALSE(Notes().IsHeld(60));
  EXPECT_EQ(host.Engine().NumQueuedEvents(), 1u);
  host.Render(38);
  EXPECT_TRUE(Notes().IsHeld(60));
}

TEST_F(EngineBlock, OffsetsBeyondTheMaximumBlockAreClampedToItsLastFrame)
{
  host.NoteOn(100000, 60);
  host.Render(511);
  EXPECT_FALSE(Notes().IsHeld(60));
  host.Render(512);
  EXPECT_TRUE(Notes().IsHeld(60));
}

TEST_F(EngineBlock, NothingIsRenderedOrLostWithoutTwoOutputs)
{
  host.Connect(1);
  host.NoteOn(0, 60);
  host.Set(kVolume, 0.5);
  host.Render(64);
  EXPECT_FALSE(Notes().IsHeld(60));
  EXPECT_EQ(Slot(kVolume).target, 0.25f);

  host.Connect(2);
  host.Render(64);
  EXPECT_TRUE(Notes().IsHeld(60));
  EXPECT_EQ(Slot(kVolume).target, 0.5f);
}

TEST_F(EngineBlock, TempoSyncedSettingsFollowTheHostTempo)
{
  host.SetText(kFxTimeSynced, "1/4");
  host.SetText(kLfo2TempoSync, "ON");
  host.SetText(kLfo2FreqSynced, "1/4");

  const struct
  {
    double bpm;
    float delayMs, lfo2Hz;
  } cases[] = {
      {120, 500, 2}, {60, 1000, 1}, {0, 500, 2}, {-10, 500, 2}, {90, 666.6667f, 1.5f},
  };
  for (const auto& c : cases)
  {
    host.SetTempo(c.bpm);
    host.Render(64); // the tempo reaches the synced settings in the same block
    EXPECT_NEAR(Slot(kSlotDelayTime).target, c.delayMs, 1e-3) << c.bpm;
    EXPECT_NEAR(Slot(kSlotLfo2Rate).target, c.lfo2Hz, 1e-4) << c.bpm;
  }
}

TEST_F(EngineBlock, InvalidTempoCountsAsNoTempo)
{
  host.SetText(kLfo1TempoSync, "ON");
  for (double bpm : {std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()})
  {
    host.SetTempo(bpm);
    host.Render(64);
    EXPECT_TRUE(std::isfinite(Slot(kSlotLfo1Rate).target));
    EXPECT_NEAR(Slot(kSlotDelayTime).target, 250.0f, 1e-3); // "1/8" at 120 bpm
  }
}

TEST_F(EngineBlock, FreeAndSyncedRatesSwitchWithTheirSyncParameter)
{
  host.Set(kLfo1Freq, 7.5);
  host.Render(16);
  EXPECT_FLOAT_EQ(Slot(kSlotLfo1Rate).target, 7.5f);
  host.SetText(kLfo1TempoSync, "ON"); // default "1/8" at 120 bpm: 4 Hz
  host.Render(16);
  EXPECT_FLOAT_EQ(Slot(kSlotLfo1Rate).target, 4.0f);
  host.SetText(kFxTempoSync, "OFF");
  host.Set(kFxTime, 2.0); // shortest delay is 5 ms
  host.Render(16);
  EXPECT_FLOAT_EQ(Slot(kSlotDelayTime).target, 5.0f);
}

TEST_F(EngineBlock, ResetRequestReachesNewValuesAtOnceAndReleasesNotes)
{
  host.NoteOn(0, 60);
  host.Render(16);
  host.Set(kVolume, 0.9);
  host.Engine().RequestReset();
  host.Render(16);
  EXPECT_EQ(Slot(kVolume).current, Slot(kVolume).target);
  EXPECT_FALSE(Slot(kVolume).smoothing);
  EXPECT_FALSE(Notes().IsHeld(60));
  EXPECT_FALSE(host.Engine().ResetRequested());
}

TEST_F(EngineBlock, ModWheelMessageOnTheEditorSideMirrorsIntoItsParameter)
{
  host.Plug().OnMidiMsgUI(IMidiMsg::Make(0, 11, 0, 1, 127));
  EXPECT_EQ(host.Plug().GetParam(kModWheel)->Value(), 1.0);
  host.Plug().OnMidiMsgUI(IMidiMsg::Make(0, 11, 0, 7, 0)); // other controllers are ignored
  EXPECT_EQ(host.Plug().GetParam(kModWheel)->Value(), 1.0);
  EXPECT_EQ(host.Engine().Slot(kModWheel).target, 0.0f) << "the engine is not told";
}
