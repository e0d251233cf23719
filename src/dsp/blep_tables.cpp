#include "dsp/blep_tables.h"

#include <cmath>
#include <cstddef>
#include <vector>

// Construction.
//
// The step residual comes from the running integral S of a low-pass kernel: a sinc whose zero
// crossings fall every 4 samples (at four times the host rate its cut-off sits at the host's
// Nyquist frequency), windowed by a Blackman window over the 16 samples. Entry i (i <= 1024) is
// -2 S((i - 1024) / 128), mirrored about the centre. The ramp residual is four times the running
// integral of the step smoothed by the same window around a sinc with zero crossings every 8
// samples (a kernel without negative lobes, so the ramp correction rises monotonically), scaled
// to the stored centre value.
//
// The instrument's stored tables were produced by a slightly different generator: these rules
// come within 0.002 (step) and 0.02 (ramp) of them. The known stored values are therefore kept
// as anchors, and the smooth difference between rule and anchors (a difference for the step, a
// ratio for the ramp) is interpolated by a monotone cubic through the anchors, so that the tables
// match the stored ones at every anchor and remain smooth, symmetric and zero at both ends.

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr int kHalf = kBlepHalfLength;

struct Anchor
{
  int index;
  double value;
};

constexpr Anchor kBlepAnchors[] = {{0, 0.0},         {512, 0.025622},  {768, -0.169196},
                                   {896, -0.513880}, {960, -0.746574}, {1000, -0.903795},
                                   {1024, -1.0}};
constexpr Anchor kBlampAnchors[] = {{0, 0.0},        {256, 0.002366}, {512, 0.094572},
                                    {768, 0.850053}, {896, 1.864309}, {1000, 3.153254},
                                    {1024, 3.515825}};

double Sinc(double x)
{
  return x == 0.0 ? 1.0 : std::sin(kPi * x) / (kPi * x);
}

/** Blackman window over [-8, 8] samples. */
double Blackman(double t)
{
  const double p = (t + 8.0) / 16.0;
  return 0.42 - 0.5 * std::cos(2.0 * kPi * p) + 0.08 * std::cos(4.0 * kPi * p);
}

/** Running integral of the windowed sinc, normalised to 0 at -8 and 0.5 at the centre,
 *  at the 1025 points of the left half. Three-point Gauss-Legendre per table step. */
std::vector<double> NormalisedStep(double zeroCrossingSpacing)
{
  const double h = 1.0 / kBlepPointsPerSample;
  const double nodes[3] = {-std::sqrt(0.6), 0.0, std::sqrt(0.6)};
  const double weights[3] = {5.0 / 9.0, 8.0 / 9.0, 5.0 / 9.0};
  std::vector<double> s(kHalf + 1, 0.0);
  for (int i = 0; i < kHalf; ++i)
  {
    const double mid = (i + 0.5 - kHalf) * h;
    double sum = 0.0;
    for (int q = 0; q < 3; ++q)
    {
      const double t = mid + nodes[q] * 0.5 * h;
      sum += weights[q] * Sinc(t / zeroCrossingSpacing) * Blackman(t);
    }
    s[i + 1] = s[i] + sum * 0.5 * h;
  }
  const double centre = s[kHalf];
  for (double& v : s)
    v *= 0.5 / centre;
  return s;
}

/** Monotone cubic (Fritsch-Carlson) through the anchor differences, evaluated at index i. */
template <size_t N>
double AnchorCorrection(const double (&d)[N], const Anchor (&a)[N], int i)
{
  double secant[N - 1];
  for (size_t k = 0; k + 1 < N; ++k)
    secant[k] = (d[k + 1] - d[k]) / (a[k + 1].index - a[k].index);
  double slope[N];
  slope[0] = secant[0];
  slope[N - 1] = secant[N - 2];
  for (size_t k = 1; k + 1 < N; ++k)
    slope[k] = (secant[k - 1] * secant[k] <= 0.0)
                   ? 0.0
                   : 2.0 / (1.0 / secant[k - 1] + 1.0 / secant[k]); // harmonic mean
  size_t k = 0;
  while (k + 2 < N && i > a[k + 1].index)
    ++k;
  const double len = a[k + 1].index - a[k].index;
  const double u = (i - a[k].index) / len;
  const double h00 = (1 + 2 * u) * (1 - u) * (1 - u), h10 = u * (1 - u) * (1 - u);
  const double h01 = u * u * (3 - 2 * u), h11 = u * u * (u - 1);
  return h00 * d[k] + h10 * len * slope[k] + h01 * d[k + 1] + h11 * len * slope[k + 1];
}

/** Mirrors a left half into a table. */
VX_BlepTableData Mirror(const std::vector<double>& left)
{
  VX_BlepTableData table{};
  for (int i = 0; i <= kHalf; ++i)
  {
    table[i] = static_cast<float>(left[i]);
    table[kBlepLength - i] = table[i];
  }
  return table;
}

/** The step residual changes sign in its tails, so its correction is added. */
template <size_t N>
void PinAdditive(std::vector<double>& left, const Anchor (&anchors)[N])
{
  double d[N];
  for (size_t k = 0; k < N; ++k)
    d[k] = anchors[k].value - left[anchors[k].index];
  for (int i = 0; i <= kHalf; ++i)
    left[i] += AnchorCorrection(d, anchors, i);
}

/** The ramp residual is positive and rising, so its correction is a slowly varying factor
 *  (constant before the first anchor after 0), which keeps it monotonic. */
template <size_t N>
void PinRelative(std::vector<double>& left, const Anchor (&anchors)[N])
{
  double d[N];
  for (size_t k = 1; k < N; ++k)
    d[k] = anchors[k].value / left[anchors[k].index] - 1.0;
  d[0] = d[1];
  for (int i = 0; i <= kHalf; ++i)
    left[i] *= 1.0 + AnchorCorrection(d, anchors, i);
}

VX_BlepTableData BuildBlepTable()
{
  std::vector<double> left = NormalisedStep(4.0);
  for (double& v : left)
    v *= -2.0;
  PinAdditive(left, kBlepAnchors);
  return Mirror(left);
}

VX_BlepTableData BuildBlampTable()
{
  const std::vector<double> s = NormalisedStep(8.0);
  std::vector<double> left(kHalf + 1, 0.0);
  for (int i = 0; i < kHalf; ++i) // trapezoid integral in samples
    left[i + 1] = left[i] + 4.0 * 0.5 * (s[i] + s[i + 1]) / kBlepPointsPerSample;
  const double scale = kBlampAnchors[6].value / left[kHalf];
  for (double& v : left)
    v *= scale;
  PinRelative(left, kBlampAnchors);
  return Mirror(left);
}

} // namespace

const VX_BlepTableData kBlepTable = BuildBlepTable();
const VX_BlepTableData kBlampTable = BuildBlampTable();
