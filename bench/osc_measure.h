#pragma once
// Measurements on rendered oscillator signals, shared by the oscillator tests, the alias
// report and the benchmarks: rendering in each mode, the frequency of the fundamental, and the
// energy that aliasing folds below the host's Nyquist frequency.

#include "dsp/blep_osc.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace osc_measure
{

enum class Mode
{
  kPoly,
  kTable
};

inline const char* ModeName(Mode m)
{
  return m == Mode::kPoly ? "poly" : "table";
}

/** Renders count samples of the main state in blocks of four. */
inline std::vector<float> RenderBlocks(VX_BlepOsc& osc, Mode mode, int count)
{
  std::vector<float> out;
  out.reserve(count);
  while (static_cast<int>(out.size()) < count)
  {
    mode == Mode::kPoly ? osc.RenderBlockPoly() : osc.RenderBlockTable();
    for (int t = 0; t < VX_BlepOsc::kBlockSize && static_cast<int>(out.size()) < count; ++t)
      out.push_back(osc.Output()[t]);
  }
  return out;
}

/** Renders count single ticks of the main state. */
inline std::vector<float> RenderTicks(VX_BlepOsc& osc, Mode mode, int count)
{
  std::vector<float> out(count);
  for (float& v : out)
    v = mode == Mode::kPoly ? osc.TickPoly() : osc.TickTable();
  return out;
}

/** Hann-weighted correlation with a complex exponential of frequency f (cycles per sample)
 *  over length samples from start. */
inline std::complex<double> Demodulate(const std::vector<float>& x, double f, int start, int length)
{
  std::complex<double> sum = 0.0;
  for (int n = 0; n < length; ++n)
  {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * (n + 0.5) / length);
    const double arg = -2.0 * M_PI * f * (start + n);
    sum += w * x[start + n] * std::complex<double>(std::cos(arg), std::sin(arg));
  }
  return sum;
}

/** Frequency of the fundamental near nominal (hertz), from the phase drift of the
 *  fundamental between windows, first close together, then across the whole signal. */
inline double MeasureFrequency(const std::vector<float>& x, double nominalHz, double sampleRate)
{
  // At least 16 periods, so that the window separates the fundamental from its harmonics.
  double f = nominalHz / sampleRate;
  const int length = std::clamp(static_cast<int>(16.0 / f), 8192, static_cast<int>(x.size()) / 4);
  for (int gap : {length, static_cast<int>(x.size()) - length})
  {
    const std::complex<double> a = Demodulate(x, f, 0, length);
    const std::complex<double> b = Demodulate(x, f, gap, length);
    f += std::arg(b / a) / (2.0 * M_PI * gap);
  }
  return f * sampleRate;
}

inline double Cents(double measured, double expected)
{
  return 1200.0 * std::log2(measured / expected);
}

struct AliasFigures
{
  double harmonicEnergy = 0.0; // at the harmonics below the limit
  double aliasEnergy = 0.0;    // everywhere else below the limit
  double RatioDb() const { return 10.0 * std::log10(aliasEnergy / harmonicEnergy); }
};

/** Splits the spectrum below limitHz into harmonics of f0Hz and the rest. Blackman-Harris
 *  window: its sidelobes (-92 dB) set the lowest ratio this can measure. Bins within 8 of a
 *  harmonic count as the harmonic; those around 0 Hz (the offset) count as neither. */
inline AliasFigures MeasureAliasing(const std::vector<float>& x, double f0Hz, double sampleRate,
                                    double limitHz)
{
  const int n = static_cast<int>(x.size());
  std::vector<double> in(n);
  for (int i = 0; i < n; ++i)
  {
    const double p = 2.0 * M_PI * i / n;
    const double w =
        0.35875 - 0.48829 * std::cos(p) + 0.14128 * std::cos(2 * p) - 0.01168 * std::cos(3 * p);
    in[i] = w * x[i];
  }
  std::vector<std::complex<double>> spectrum(n / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(
      n, in.data(), reinterpret_cast<fftw_complex*>(spectrum.data()), FFTW_ESTIMATE);
  fftw_execute(plan);
  fftw_destroy_plan(plan);

  const double binHz = sampleRate / n;
  const int lastBin = static_cast<int>(limitHz / binHz);
  AliasFigures figures;
  for (int k = 0; k <= lastBin; ++k)
  {
    const double hz = k * binHz;
    const double harmonic = std::round(hz / f0Hz);
    if (std::abs(hz - harmonic * f0Hz) > 8.0 * binHz)
      figures.aliasEnergy += std::norm(spectrum[k]);
    else if (harmonic >= 1.0) // the offset (harmonic 0) is neither
      figures.harmonicEnergy += std::norm(spectrum[k]);
  }
  return figures;
}

/** Frequency at which the plain waveforms sound for a normalised pitch x. */
inline double PitchToHz(double x)
{
  return 220.0 * std::pow(2.0, (128.0 * x - 69.0) / 12.0);
}

/** Naive saw and pulse (no band limiting) at the same increment, for comparison. */
inline std::vector<float> NaiveSaw(float increment, int count)
{
  std::vector<float> out(count);
  float phase = 0.0f;
  for (float& v : out)
  {
    v = phase;
    phase += increment;
    if (phase >= 1.0f) phase -= 2.0f;
  }
  return out;
}

inline std::vector<float> NaiveSquare(float increment, int count)
{
  std::vector<float> out(count);
  float phase = 0.0f;
  for (float& v : out)
  {
    v = phase < 0.0f ? -1.0f : 1.0f;
    phase += increment;
    if (phase >= 1.0f) phase -= 2.0f;
  }
  return out;
}

} // namespace osc_measure
