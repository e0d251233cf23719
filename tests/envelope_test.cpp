// Envelope stages and timing, LFO delay ramps and the drift generator.

#include "engine/drift.h"
#include "engine/envelope.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr float kRate = 44100.0f;

VX_Envelope MakeEnvelope(float attack, float decay, float sustain, float release)
{
  VX_Envelope env;
  env.SetSampleRate(kRate);
  env.SetAttack(attack);
  env.SetDecay(decay);
  env.SetSustain(sustain);
  env.SetRelease(release);
  return env;
}

/** Samples until the envelope leaves stage, at most limit. */
int SamplesIn(VX_Envelope& env, VX_Envelope::EStage stage, int limit = 1000000)
{
  int n = 0;
  while (env.Stage() == stage && n < limit)
  {
    env.Process();
    ++n;
  }
  return n;
}
} // namespace

TEST(Envelope, ShortestAttackReachesThePeakInAboutAMillisecond)
{
  VX_Envelope env = MakeEnvelope(1, 300, 1, 50); // "Amp Env Attack" 0 is held at 1 ms
  env.Trigger(1.0f, true);
  const int n = SamplesIn(env, VX_Envelope::kAttack);
  EXPECT_NEAR(n, 44, 1);
  EXPECT_EQ(env.Level(), 1.0f);
}

TEST(Envelope, AttackIsLinear)
{
  VX_Envelope env = MakeEnvelope(10, 300, 1, 50);
  env.Trigger(0.8f, true);
  for (int i = 1; i <= 100; ++i)
    ASSERT_NEAR(env.Process(), 0.8f * i / 441.0f, 1e-5) << i;
}

TEST(Envelope, DecaySettlesOnTheSustainLevelOfThePeak)
{
  VX_Envelope env = MakeEnvelope(1, 100, 0.5f, 50);
  env.Trigger(0.8f, true);
  for (int i = 0; i < 44100; ++i)
    env.Process();
  EXPECT_EQ(env.Stage(), VX_Envelope::kDecay);
  EXPECT_NEAR(env.Level(), 0.4f, 1e-4);
  env.SetSustain(0.25f); // effective at once
  for (int i = 0; i < 44100; ++i)
    env.Process();
  EXPECT_NEAR(env.Level(), 0.2f, 1e-4);
}

TEST(Envelope, ReleaseEndsAboutSixtyMillisecondsAfterTheNoteOff)
{
  VX_Envelope env = MakeEnvelope(1, 300, 1, 50);
  env.Trigger(1.0f, true);
  for (int i = 0; i < 4410; ++i)
    env.Process();
  env.Release();
  const int n = SamplesIn(env, VX_Envelope::kRelease);
  const double expectedMs = 50.0 * std::log(2000.0) / (2.0 * M_PI);
  EXPECT_NEAR(n / 44.1, expectedMs, 0.5);
  EXPECT_EQ(env.Process(), 0.0f);
}

TEST(Envelope, LegatoRetriggerBelowTheLevelSettlesThenDecays)
{
  VX_Envelope env = MakeEnvelope(1, 200, 0.5f, 50);
  env.Trigger(1.0f, true);
  for (int i = 0; i < 100; ++i)
    env.Process();
  const float before = env.Level();
  env.Trigger(0.6f, false);
  EXPECT_EQ(env.Stage(), VX_Envelope::kSettle);
  EXPECT_LT(env.Process(), before) << "glides down, no jump to zero";
  SamplesIn(env, VX_Envelope::kSettle);
  EXPECT_EQ(env.Stage(), VX_Envelope::kDecay);
  for (int i = 0; i < 44100; ++i)
    env.Process();
  EXPECT_NEAR(env.Level(), 0.3f, 1e-4);
}

TEST(Envelope, RetriggerFromTheCurrentLevelWhenBelowThePeak)
{
  VX_Envelope env = MakeEnvelope(10, 200, 0.5f, 50);
  env.Trigger(1.0f, true);
  for (int i = 0; i < 44100; ++i)
    env.Process();
  env.Trigger(1.0f, false);
  EXPECT_EQ(env.Stage(), VX_Envelope::kAttack);
  EXPECT_NEAR(env.Process(), 0.5f + 1.0f / 441.0f, 1e-4);
}

TEST(LfoDelayRamp, RisesLinearlyToHalfOverTheDelay)
{
  VX_Envelope ramp;
  ramp.SetSampleRate(kRate);
  ramp.SetAttack(1000);
  ramp.RestartRamp();
  for (int i = 1; i <= 44100; ++i)
  {
    const float level = ramp.AdvanceRamp();
    if (i % 4410 == 0)
    {
      EXPECT_NEAR(level, 0.5f * i / 44100.0f, 1e-3) << i;
    }
  }
  for (int i = 0; i < 100; ++i)
    ramp.AdvanceRamp();
  EXPECT_EQ(ramp.AdvanceRamp(), 0.5f) << "held at the peak";

  ramp.SetAttack(0); // no delay: full depth from the first sample
  ramp.RestartRamp();
  EXPECT_EQ(ramp.AdvanceRamp(), 0.5f);
}

TEST(Drift, WandersWithinAThirdOfASemitoneAndRecentres)
{
  VX_Drift drift;
  drift.SetSampleRate(kRate);
  float largest = 0.0f;
  for (int i = 0; i < 200000; ++i)
  {
    drift.Update(99.0f / 99.0f);
    largest = std::max(largest, std::abs(drift.Output()));
  }
  EXPECT_GT(largest, 0.0f);
  EXPECT_LE(largest, 1.0f / 384.0f);
  drift.Reset();
  EXPECT_EQ(drift.Output(), 0.0f);
}
