// Automation points in the offline host: a parameter changes at its time, as host automation
// does.

#include "render/offline_host.h"
#include "render/score.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(OfflineHostAutomation, ParameterChangesAtItsTime)
{
  constexpr int kRate = 48000;
  OfflineHost host(kRate, 256);
  Score score;
  score.AddParamChange({0.5, kA440, 1.0}); // the reference tone needs no notes
  std::vector<float> left;
  host.Render(score, kRate,
              [&](const float* interleaved, int frames)
              {
                for (int i = 0; i < frames; ++i)
                  left.push_back(interleaved[2 * i]);
              });
  const auto peak = [&](double from, double to)
  {
    float p = 0.0f;
    for (auto i = static_cast<size_t>(from * kRate); i < static_cast<size_t>(to * kRate); ++i)
      p = std::max(p, std::abs(left[i]));
    return p;
  };
  EXPECT_EQ(peak(0.0, 0.5), 0.0f);
  EXPECT_GT(peak(0.7, 1.0), 0.2f);
}
