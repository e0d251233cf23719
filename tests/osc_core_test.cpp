// The oscillator base: pitch table and caches, unison spread, cycle positions and restarts,
// and the two band-limiting modes at their edge cases.

#include "dsp/audio_oscillators.h"
#include "dsp/lfo_waveforms.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace
{

using OscFactory = std::function<std::unique_ptr<VX_BlepOsc>()>;

template <class T>
OscFactory Make()
{
  return [] { return std::make_unique<T>(); };
}

struct Waveform
{
  const char* name;
  OscFactory make;
};

const Waveform kAudioWaveforms[] = {
    {"triangle", Make<VX_BlepOscTri>()},     {"saw", Make<VX_BlepOscSaw>()},
    {"pulse", Make<VX_BlepOscPWM>()},        {"sync pulse", Make<VX_BlepOscPulseSync>()},
    {"sync saw", Make<VX_BlepOscSawSync>()}, {"saw to pulse", Make<VX_BlepOscVariable>()},
};

double EqualTemperedIncrement(double note, double sampleRate)
{
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0) / sampleRate;
}

/** Sets the main increment exactly, leaving the rest of the state alone. */
void SetMainIncrement(VX_BlepOsc& osc, float increment)
{
  VX_OscState s;
  osc.LaneToRecord(-1, s);
  s.increment = increment;
  osc.RecordToLane(s, -1);
}

std::vector<float> Blocks(VX_BlepOsc& osc, bool table, int blocks)
{
  std::vector<float> out;
  for (int b = 0; b < blocks; ++b)
  {
    table ? osc.RenderBlockTable() : osc.RenderBlockPoly();
    out.insert(out.end(), osc.Output(), osc.Output() + VX_BlepOsc::kBlockSize);
  }
  return out;
}

} // namespace

TEST(OscState, LayoutAndFreshValues)
{
  static_assert(sizeof(VX_OscState) == 43 * sizeof(float));
  EXPECT_EQ(offsetof(VX_OscState, increment), 36 * sizeof(float));
  EXPECT_EQ(offsetof(VX_OscState, param), 40 * sizeof(float));
  EXPECT_EQ(offsetof(VX_OscState, amplitude), 42 * sizeof(float));
  const VX_OscState s;
  for (int i = 0; i < VX_OscState::kLanes; ++i)
  {
    EXPECT_EQ(s.laneIncrement[i], 0.1f);
    EXPECT_EQ(s.laneSecondIncrement[i], 0.1f);
    EXPECT_EQ(s.lanePhase[i], 0.0f);
    EXPECT_EQ(s.laneValue[i], 0.0f);
    EXPECT_EQ(s.laneDirection[i], 1.0f);
    EXPECT_EQ(s.laneAmplitude[i], 1.0f);
  }
  EXPECT_EQ(s.increment, 0.1f);
  EXPECT_EQ(s.direction, 1.0f);
}

TEST(OscPitch, TableFollowsEqualTemperament)
{
  struct Row
  {
    float sampleRate;
    int note;
  };
  const Row rows[] = {{44100, 69},    {44100, 0},    {48000, 60}, {192000, 108},
                      {192000, -300}, {176400, 127}, {96000, 150}};
  for (const Row& row : rows)
  {
    VX_BlepOscSaw saw;
    saw.SetSampleRate(row.sampleRate);
    const float x = row.note / 128.0f;
    const double expected = EqualTemperedIncrement(row.note, row.sampleRate);
    EXPECT_NEAR(saw.LookupIncrement(x) / expected, 1.0, 2e-6) << row.note;
    EXPECT_NEAR(saw.NormalizedPitchToIncrement(x) / expected, 1.0, 2e-6) << row.note;
    // The sync types' table is one octave lower.
    VX_BlepOscPulseSync sync;
    sync.SetSampleRate(row.sampleRate);
    EXPECT_NEAR(sync.LookupIncrement(x) / (expected / 2), 1.0, 2e-6) << row.note;
  }
}

TEST(OscPitch, TableEntriesAboveOneAreClampedAndPitchesHeldInRange)
{
  VX_BlepOscSaw saw;
  saw.SetSampleRate(8000.0f);
  EXPECT_EQ(saw.LookupIncrement(3.98f), 1.0f); // note 509 at 8 kHz
  for (float x : {-100.0f, -4.0f, 3.984375f, 4.5f, 100.0f, std::nanf("")})
  {
    const float inc = saw.LookupIncrement(x);
    EXPECT_TRUE(std::isfinite(inc) && inc >= 0.0f && inc <= 1.0f) << x;
  }
}

TEST(OscPitch, SettersCacheUntilInvalidated)
{
  VX_BlepOscSaw saw;
  saw.SetSampleRate(48000.0f);
  const float x = 60 / 128.0f;
  saw.SetPitch(x);
  const float tuned = saw.Increment();
  SetMainIncrement(saw, 0.25f);
  saw.SetPitch(x); // unchanged: left alone
  EXPECT_EQ(saw.Increment(), 0.25f);
  saw.SetSampleRate(96000.0f); // invalidates: recomputed from the new table
  saw.SetPitch(x);
  EXPECT_NEAR(saw.Increment(), tuned / 2, 1e-9);

  saw.SetFrequency(440.0f);
  EXPECT_FLOAT_EQ(saw.Increment(), 2.0f * 440.0f / 96000.0f);
  SetMainIncrement(saw, 0.25f);
  saw.SetFrequency(440.0f);
  EXPECT_EQ(saw.Increment(), 0.25f);
  saw.Restart(); // invalidates too
  saw.SetFrequency(440.0f);
  EXPECT_FLOAT_EQ(saw.Increment(), 2.0f * 440.0f / 96000.0f);

  // Lane pitches are keyed on pitch and detune.
  saw.InvalidatePitchCaches();
  saw.SetPitchLanes(x, 2, 0.5f);
  const float lane0 = saw.LaneIncrement(0);
  saw.SetPitchLanes(x, 2, 0.5f);
  EXPECT_EQ(saw.LaneIncrement(0), lane0);
  saw.SetPitchLanes(x, 2, 1.0f);
  EXPECT_NE(saw.LaneIncrement(0), lane0);
}

TEST(OscPitch, UnisonLanesSpreadBySemitoneSteps)
{
  struct Row
  {
    int lanes;
    std::vector<double> factors;
  };
  const Row rows[] = {{2, {-1 / 3.4, 1 / 3.4}},
                      {4, {-1 / 2.8, -1 / 4.4, 1 / 5.2, 1 / 6.8}},
                      {6, {-1 / 1.8, -1 / 3.0, -1 / 4.2, 1 / 6.6, 1 / 7.8, 1 / 10.2}}};
  const float x = 57 / 128.0f;
  const float detune = 0.8f;
  for (const Row& row : rows)
  {
    VX_BlepOscSaw saw;
    saw.SetSampleRate(192000.0f);
    saw.SetPitchLanes(x, row.lanes, detune);
    const double base = EqualTemperedIncrement(57, 192000.0);
    const double semitone = EqualTemperedIncrement(58, 192000.0) - base;
    EXPECT_NEAR(saw.Increment(), base, base * 2e-6);
    for (int i = 0; i < row.lanes; ++i)
      EXPECT_NEAR(saw.LaneIncrement(i), base + row.factors[i] * detune * semitone, base * 2e-6)
          << row.lanes << " lanes, lane " << i;
  }
}

TEST(OscPitch, IntegerRatios)
{
  struct Row
  {
    float main, other;
    bool integer;
  };
  const Row rows[] = {
      {0.01f, 0.02f, true},   {0.01f, 0.03f, true},       {0.03f, 0.01f, true},
      {0.01f, 0.015f, false}, {0.01f, 0.01f, true},       {0.01f, 0.0f, true},
      {0.0f, 0.37f, true},    {0.01f, 0.0100001f, false}, {0.02f, 0.0133333f, false}};
  for (const Row& row : rows)
  {
    VX_BlepOscSaw saw;
    SetMainIncrement(saw, row.main);
    EXPECT_EQ(saw.IsIntegerRatio(row.other), row.integer) << row.main << " : " << row.other;
  }
}

TEST(OscCyclePosition, RoundTripsThroughEachWaveform)
{
  struct Row
  {
    const char* name;
    OscFactory make;
  };
  const Row rows[] = {{"triangle", Make<VX_BlepOscTri>()},
                      {"saw", Make<VX_BlepOscSaw>()},
                      {"pulse", Make<VX_BlepOscPWM>()},
                      {"saw to pulse", Make<VX_BlepOscVariable>()},
                      {"off", Make<VX_BlepOscOff>()}};
  for (const Row& row : rows)
    for (float c : {0.0f, 0.1f, 0.7f, 1.3f, 1.9f})
    {
      auto osc = row.make();
      osc->SetParam(0.3f);
      VX_OscState s;
      osc->LaneToRecord(-1, s);
      s.phase = c;
      s.direction = osc->TypeId() == 1 ? 2.0f : 1.0f;
      osc->FromCyclePosition(s);
      osc->ToCyclePosition(s);
      EXPECT_NEAR(std::fmod(s.phase, 2.0f), c, 1e-5) << row.name;
    }
}

TEST(OscRestart, LanesOfAUnisonStackStartSpread)
{
  // Lanes 0..3 of four restart at reference positions 0, 0.25, 0.5, 0.75 times the ratio of
  // their increment to the reference's.
  for (float ratio : {1.0f, 0.5f, 2.0f})
  {
    VX_BlepOscSaw saw;
    saw.SetPitchLanes(60 / 128.0f, 4, 0.0f);
    for (int lane = 0; lane < 4; ++lane)
    {
      VX_OscState reference;
      reference.phase = 0.0f;
      reference.increment = saw.LaneIncrement(lane) / ratio;
      saw.RestartLane(reference, 0.0f, false, lane, 4);
      VX_OscState s;
      saw.LaneToRecord(lane, s);
      saw.ToCyclePosition(s);
      EXPECT_NEAR(s.phase, ratio * lane / 4.0f, 1e-6) << "ratio " << ratio << " lane " << lane;
    }
  }
}

TEST(OscRestart, SyncTypesMapTheOffsetAndSilentReferencesCountAsRatioOne)
{
  VX_BlepOscSawSync sync;
  sync.SetPitch(60 / 128.0f);
  sync.SetParam(0.0f);
  VX_OscState reference;
  reference.phase = 0.0f;
  sync.RestartLane(reference, 0.0f, true, -1, 0);
  VX_OscState s;
  sync.LaneToRecord(-1, s);
  EXPECT_NEAR(s.phase, 0.5f, 1e-6); // 0.5 * 0 + 0.5

  VX_BlepOscSaw saw;
  reference.increment = 0.0f;
  reference.phase = 0.6f;
  saw.RestartLane(reference, 0.0f, true, -1, 0);
  saw.LaneToRecord(-1, s);
  ASSERT_TRUE(std::isfinite(s.phase));
  saw.ToCyclePosition(s);
  EXPECT_NEAR(s.phase, 0.6f, 1e-6);
}

TEST(OscBandLimiting, ExactWrapGivesTheStepMidpointInBothModes)
{
  // A saw at increment 0.5 wraps exactly on every fourth sample: the first sample after each
  // reset (naive -1) comes out at the step's midpoint 0, in table mode seven samples later.
  VX_BlepOscSaw poly, table;
  for (VX_BlepOsc* osc : {static_cast<VX_BlepOsc*>(&poly), static_cast<VX_BlepOsc*>(&table)})
  {
    osc->SetSampleRate(44100.0f);
    osc->Restart();
    osc->SetFrequency(11025.0f);
    ASSERT_EQ(osc->Increment(), 0.5f);
  }
  const std::vector<float> p = Blocks(poly, false, 32);
  const std::vector<float> t = Blocks(table, true, 32);
  // Naive sequence from phase -1: -1, -0.5, 0, 0.5, reset, ...
  for (size_t n = 4; n + kBlepLatency < p.size(); n += 4)
  {
    EXPECT_EQ(p[n], 0.0f) << n;
    if (n >= 16) // once the previous and the next steps both overlap this one
    {
      EXPECT_NEAR(t[n + kBlepLatency], 0.0f, 1e-6) << n;
    }
  }
  EXPECT_EQ(p[5], -0.5f); // uncorrected between the resets
}

TEST(OscBandLimiting, TableModeStartsWithSevenZeros)
{
  for (const Waveform& w : kAudioWaveforms)
  {
    auto table = w.make();
    auto poly = w.make();
    for (VX_BlepOsc* osc : {table.get(), poly.get()})
    {
      osc->SetSampleRate(192000.0f);
      osc->SetPitch(36 / 128.0f); // no discontinuity within the first samples
      osc->SetParam(0.3f);
      osc->ClearBlepState();
    }
    const std::vector<float> t = Blocks(*table, true, 4);
    const std::vector<float> p = Blocks(*poly, false, 4);
    for (int n = 0; n < kBlepLatency; ++n)
      EXPECT_EQ(t[n], 0.0f) << w.name << " sample " << n;
    for (int n = 0; n + kBlepLatency < 16; ++n)
      EXPECT_NEAR(t[n + kBlepLatency], p[n], 1e-6) << w.name << " sample " << n;
  }
}

TEST(OscBandLimiting, EveryRenderFormAppliesTheSameRules)
{
  // Blocks of the main state, blocks of a lane holding the same state, and single ticks.
  for (const Waveform& w : kAudioWaveforms)
    for (bool tableMode : {false, true})
    {
      auto main = w.make();
      auto lanes = w.make();
      auto ticks = w.make();
      for (VX_BlepOsc* osc : {main.get(), lanes.get(), ticks.get()})
      {
        osc->SetSampleRate(192000.0f);
        osc->SetPitch(100 / 128.0f);
        osc->SetParam(0.4f);
        osc->Restart();
        osc->SetPitch(100 / 128.0f);
        osc->SetParam(0.4f);
      }
      VX_OscState s;
      main->LaneToRecord(-1, s);
      lanes->RecordToLane(s, 3);
      const bool ticking = main->TypeId() <= 4; // the sync saw and saw to pulse only render blocks
      for (int b = 0; b < 200; ++b)
      {
        tableMode ? main->RenderBlockTable() : main->RenderBlockPoly();
        tableMode ? lanes->RenderLanesTable(4) : lanes->RenderLanesPoly(4);
        for (int t = 0; t < VX_BlepOsc::kBlockSize; ++t)
        {
          ASSERT_EQ(lanes->Output()[3 * VX_BlepOsc::kBlockSize + t], main->Output()[t])
              << w.name << (tableMode ? " table" : " poly") << " block " << b;
          if (ticking)
          {
            ASSERT_EQ(tableMode ? ticks->TickTable() : ticks->TickPoly(), main->Output()[t])
                << w.name << " tick in block " << b;
          }
        }
      }
    }
}

TEST(OscOff, RendersZerosWhileThePhaseRuns)
{
  VX_BlepOscOff off;
  off.SetPitch(60 / 128.0f);
  off.SetPitchLanes(60 / 128.0f, 6, 0.3f);
  off.ClearBlepState();
  VX_OscState before;
  off.LaneToRecord(-1, before);
  for (int b = 0; b < 50; ++b)
  {
    off.RenderBlockPoly();
    off.RenderBlockTable();
    off.RenderLanesPoly(6);
    off.RenderLanesTable(6);
    for (int i = 0; i < VX_BlepOsc::kMaxLanes * VX_BlepOsc::kBlockSize; ++i)
      ASSERT_EQ(off.Output()[i], 0.0f);
    EXPECT_EQ(off.TickPoly(), 0.0f);
    EXPECT_EQ(off.TickTable(), 0.0f);
  }
  VX_OscState after;
  off.LaneToRecord(-1, after);
  EXPECT_NE(after.phase, before.phase);
  EXPECT_GE(after.phase, -0.25f);
  EXPECT_LT(after.phase, 0.25f);
}
