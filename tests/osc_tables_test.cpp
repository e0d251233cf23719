// The band-limiting tables against their stored values and against the windowed-sinc step
// they stand for.

#include "dsp/blep_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

struct StoredValue
{
  const VX_BlepTableData* table;
  const char* name;
  int index;
  double value;
};

const StoredValue kStoredValues[] = {
    {&kBlepTable, "blep", 512, 0.025622},    {&kBlepTable, "blep", 768, -0.169196},
    {&kBlepTable, "blep", 896, -0.513880},   {&kBlepTable, "blep", 960, -0.746574},
    {&kBlepTable, "blep", 1000, -0.903795},  {&kBlepTable, "blep", 1024, -1.0},
    {&kBlampTable, "blamp", 256, 0.002366},  {&kBlampTable, "blamp", 512, 0.094572},
    {&kBlampTable, "blamp", 768, 0.850053},  {&kBlampTable, "blamp", 896, 1.864309},
    {&kBlampTable, "blamp", 1000, 3.153254}, {&kBlampTable, "blamp", 1024, 3.515825},
};

/** Running integral of sinc(t / spacing) under a Blackman window over [-8, 8], normalised to
 *  1 at +8, at the table's points of the left half (midpoint rule, 16 points per entry). */
std::vector<double> WindowedSincStep(double spacing)
{
  const double pi = 3.14159265358979323846;
  std::vector<double> s(kBlepHalfLength + 1, 0.0);
  const int sub = 16;
  for (int i = 0; i < kBlepHalfLength; ++i)
  {
    double sum = 0.0;
    for (int q = 0; q < sub; ++q)
    {
      const double t = (i + (q + 0.5) / sub - kBlepHalfLength) / kBlepPointsPerSample;
      const double x = pi * t / spacing;
      const double sinc = x == 0.0 ? 1.0 : std::sin(x) / x;
      const double p = (t + 8.0) / 16.0;
      sum += sinc * (0.42 - 0.5 * std::cos(2 * pi * p) + 0.08 * std::cos(4 * pi * p));
    }
    s[i + 1] = s[i] + sum / sub;
  }
  const double half = s[kBlepHalfLength];
  for (double& v : s)
    v *= 0.5 / half;
  return s;
}

} // namespace

TEST(BlepTables, MatchStoredValues)
{
  for (const StoredValue& row : kStoredValues)
    EXPECT_NEAR((*row.table)[row.index], row.value, 1e-6) << row.name << " entry " << row.index;
}

TEST(BlepTables, SymmetricWithZeroEnds)
{
  for (const VX_BlepTableData* table : {&kBlepTable, &kBlampTable})
  {
    EXPECT_EQ((*table)[0], 0.0f);
    EXPECT_EQ((*table)[kBlepLength], 0.0f);
    for (int i = 0; i <= kBlepLength; ++i)
      ASSERT_EQ((*table)[i], (*table)[kBlepLength - i]) << i;
  }
}

TEST(BlepTables, StepIsTheWindowedSincIntegral)
{
  // Residual of a falling step of height 2 before its centre: -2 S(t).
  const std::vector<double> s = WindowedSincStep(4.0);
  double worst = 0.0;
  for (int i = 0; i <= kBlepHalfLength; ++i)
    worst = std::max(worst, std::abs(kBlepTable[i] + 2.0 * s[i]));
  EXPECT_LT(worst, 0.0025);
  EXPECT_EQ(kBlepTable[kBlepHalfLength], -1.0f);
}

TEST(BlepTables, RampRisesMonotonicallyAndIsTheIntegratedSmoothedStep)
{
  for (int i = 0; i < kBlepHalfLength; ++i)
    ASSERT_LE(kBlampTable[i], kBlampTable[i + 1]) << i;

  // Four times the integral (in samples) of the step smoothed by the 8-sample sinc, scaled to
  // the stored centre.
  const std::vector<double> s = WindowedSincStep(8.0);
  std::vector<double> ramp(kBlepHalfLength + 1, 0.0);
  for (int i = 0; i < kBlepHalfLength; ++i)
    ramp[i + 1] = ramp[i] + 2.0 * (s[i] + s[i + 1]) / kBlepPointsPerSample;
  const double scale = kBlampTable[kBlepHalfLength] / ramp[kBlepHalfLength];
  double worst = 0.0;
  for (int i = 0; i <= kBlepHalfLength; ++i)
    worst = std::max(worst, std::abs(kBlampTable[i] - scale * ramp[i]));
  EXPECT_LT(worst, 0.02);
  // Just before the centre the ramp's slope per sample is -2 times the step residual (2).
  const double slope = (kBlampTable[1024] - kBlampTable[1023]) * kBlepPointsPerSample;
  EXPECT_NEAR(slope, -2.0 * kBlepTable[1024], 0.01);
}
