#include "dsp/decimator.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace
{
// c0 ... c29 of the half-band design, outermost first; they alternate in sign and sum to just
// under 0.5, so the DC gain 1 + 2·sum is 2 to within 1.1e-4.
constexpr float kHalf[30] = {
    -2.82071705e-04f, 4.42830060e-04f,  -6.48065703e-04f, 9.04742454e-04f,  -1.22040405e-03f,
    1.60321849e-03f,  -2.06204411e-03f, 2.60652555e-03f,  -3.24723334e-03f, 3.99586139e-03f,
    -4.86550527e-03f, 5.87105472e-03f,  -7.02974433e-03f, 8.36192910e-03f,  -9.89219081e-03f,
    1.16509255e-02f,  -1.36766648e-02f, 1.60195343e-02f,  -1.87465511e-02f, 2.19499432e-02f,
    -2.57607792e-02f, 3.03721800e-02f,  -3.60811390e-02f, 4.33689244e-02f,  -5.30691445e-02f,
    6.67599067e-02f,  -8.78281072e-02f, 1.25087917e-01f,  -2.10873008e-01f, 6.36234164e-01f};

constexpr int kNumSideTaps = VX_Decimator::kNumSideTaps;
// The centre tap sits between side taps 29 and 30: it meets the second sample of the pair 30
// pairs ago.
constexpr int kCentreDelay = kNumSideTaps / 2;

/** The side taps in delay order: c0 ... c29, c29 ... c0. */
constexpr std::array<float, kNumSideTaps> MakeSideTaps()
{
  std::array<float, kNumSideTaps> taps{};
  for (int i = 0; i < kNumSideTaps / 2; ++i)
    taps[i] = taps[kNumSideTaps - 1 - i] = kHalf[i];
  return taps;
}
constexpr std::array<float, kNumSideTaps> kSideTaps = MakeSideTaps();
} // namespace

float VX_Decimator::Process(float first, float second)
{
  constexpr int kLast = kNumSideTaps - 1;
  const float out = mState[0] + kSideTaps[0] * first;
  for (int i = 0; i < kLast - 1; ++i)
    mState[i] = mState[i + 1] + kSideTaps[i + 1] * first;
  mState[kLast - 1] = kSideTaps[kLast] * first;
  mState[kCentreDelay - 1] += second;
  return out;
}

void VX_Decimator::Clear()
{
  std::fill(std::begin(mState), std::end(mState), 0.0f);
}
