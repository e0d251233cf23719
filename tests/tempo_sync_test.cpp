// Note divisions at a tempo.

#include "engine/tempo_sync.h"

#include <gtest/gtest.h>

TEST(TempoSync, StartsAtTheShortestDivisionAtTempoOne)
{
  const VX_TempoSync sync;
  EXPECT_EQ(sync.DurationMs(), 3750.0f);
  EXPECT_EQ(sync.RateHz(), 0.26666668f);
  EXPECT_EQ(sync.Tempo(), 1.0f);
  EXPECT_EQ(sync.Division(), 19);
}

TEST(TempoSync, DivisionsAt120Bpm)
{
  const struct
  {
    int division;
    double beats;
  } cases[] = {
      {0, 32},         {1, 16},   {3, 4},           {4, 3},         {5, 2},
      {6, 1.5},        {7, 4.0 / 3}, {8, 1},        {9, 0.75},      {10, 2.0 / 3},
      {11, 0.5},       {13, 1.0 / 3}, {14, 0.25},   {16, 1.0 / 6},  {17, 0.125},
      {18, 1.0 / 12},  {19, 0.0625},
      {20, 0.5},       {-1, 0.5}, // unknown divisions count as "1/8"
  };
  for (const auto& c : cases)
  {
    VX_TempoSync sync;
    sync.SetTempo(120.0f);
    const float rate = sync.Select(c.division);
    EXPECT_NEAR(sync.DurationMs(), c.beats * 500.0, 1e-4 * c.beats * 500.0) << c.division;
    EXPECT_NEAR(rate, 2.0 / c.beats, 1e-4 * 2.0 / c.beats) << c.division;
    EXPECT_EQ(rate, sync.RateHz());
  }
}

TEST(TempoSync, QuarterTripletAt90Bpm)
{
  VX_TempoSync sync;
  sync.SetTempo(90.0f);
  EXPECT_NEAR(sync.Select(10), 2.25f, 1e-5);
  EXPECT_NEAR(sync.DurationMs(), 444.44f, 0.01f);
}

TEST(TempoSync, NoTempoCountsAs120)
{
  for (float bpm : {0.0f, -50.0f})
  {
    VX_TempoSync sync;
    sync.SetTempo(bpm);
    sync.Select(8);
    EXPECT_FLOAT_EQ(sync.DurationMs(), 500.0f) << bpm;
  }
}
