// Voice filters, all-pass and cutoff table against their mathematics: one-pole cascades, the
// linearised transfer functions of the resonance loop, the drive path's gains and post-filter,
// and long runs at extreme settings.

#include "dsp/cutoff_table.h"
#include "dsp/filters.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace
{
using Complex = std::complex<double>;
constexpr double kPi = 3.14159265358979323846;
constexpr int kBlock = VX_FilterBase::kBlockSize;
constexpr float kRate = 176400.0f; // 4 x 44100

enum class EType
{
  kLP1,
  kLP2,
  kBP
};

const char* Name(EType type)
{
  return type == EType::kLP1 ? "LP1" : type == EType::kLP2 ? "LP2" : "BP";
}

std::unique_ptr<VX_FilterBase> MakeFilter(EType type, float rate = kRate)
{
  std::unique_ptr<VX_FilterBase> f;
  if (type == EType::kLP1)
    f = std::make_unique<VX_Filter18dBLP_Smooth>();
  else if (type == EType::kLP2)
    f = std::make_unique<VX_Filter18dBLP_Raw>();
  else
    f = std::make_unique<VX_Filter18dBBP_Smooth>();
  f->SetSampleRate(rate);
  return f;
}

// ----- The mathematics the filters are built from.

double NoteHz(double note)
{
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

float Cutoff(double note)
{
  return static_cast<float>(note / 128.0);
}

/** One-pole coefficient of a note: 2·sin(2·pi·f / rate), clamped to 0.00001 ... 0.99999. */
double NoteCoefficient(double note, double rate)
{
  return std::clamp(2.0 * std::sin(2.0 * kPi * NoteHz(note) / rate), 0.00001, 0.99999);
}

/** Resonance giving loop gain r (below every type's limit up to note 122). */
float ResonanceFor(EType type, double r)
{
  return static_cast<float>(r / (type == EType::kLP2 ? 1.8 : 1.25));
}

/** Feedback gain for loop gain r: the loop oscillates from r = 1 on. */
double FeedbackGain(double r, double g)
{
  return r * (2.0 - g) / (1.0 - g);
}

Complex OnePole(double g, Complex z1)
{
  return g / (1.0 - (1.0 - g) * z1);
}

/**
 * Small-signal response: two one-poles into the resonant third stage, whose loop feeds the
 * high-pass part (s3 - s4) back one sample late; the band-pass feeds the stage with s1 - s2 and
 * outputs s3 - s4. The driven LP2 adds the fourth pole, the gains and the state-variable low-pass.
 */
struct LinearModel
{
  EType type;
  double g;
  double k;
  bool driven = false;
  double inputGain = 1.0;
  double outputGain = 1.0;
  double post = 0.0; // state-variable coefficient, damping 1

  Complex Response(double hz, double rate) const
  {
    const Complex z1 = std::polar(1.0, -2.0 * kPi * hz / rate);
    const Complex p = OnePole(g, z1);
    const Complex loop = g / (1.0 - (1.0 - g) * z1 - g * k * z1 * (1.0 - p));
    if (type == EType::kBP) return p * (1.0 - p) * (1.0 - p) * loop;
    if (!driven) return p * p * loop;
    const Complex e = 1.0 - z1;
    const Complex svf = post * post / (e * e + post * post * z1 + post * z1 * e);
    return inputGain * outputGain * p * p * p * loop * svf;
  }

  /** The frequency of the largest response, by a fine scan. */
  double PeakHz(double rate, double loHz, double hiHz) const
  {
    double best = loHz, bestMag = 0.0;
    for (int i = 0; i <= 20000; ++i)
    {
      const double hz = loHz * std::pow(hiHz / loHz, i / 20000.0);
      const double m = std::abs(Response(hz, rate));
      if (m > bestMag) bestMag = m, best = hz;
    }
    return best;
  }
};

LinearModel ModelFor(EType type, double note, double r, double rate = kRate)
{
  const double g = NoteCoefficient(note, rate);
  return {type, g, FeedbackGain(r, g)};
}

// ----- Running a filter.

enum class EPath
{
  kMono,
  kMonoDriven,
  kStereo, // channel A, with channel B fed the same signal
  kStereoDriven
};

bool IsStereo(EPath path)
{
  return path == EPath::kStereo || path == EPath::kStereoDriven;
}

/** Filters a and b (b may be empty for mono) in four-sample blocks. */
void Render(VX_FilterBase& f, EPath path, const std::vector<float>& a, const std::vector<float>& b,
            std::vector<float>& outA, std::vector<float>& outB)
{
  outA.assign(a.size(), 0.0f);
  outB.assign(a.size(), 0.0f);
  for (size_t i = 0; i + kBlock <= a.size(); i += kBlock)
  {
    switch (path)
    {
    case EPath::kMono:
      f.ProcessBlock(&a[i], &outA[i]);
      break;
    case EPath::kMonoDriven:
      f.ProcessBlockDriven(&a[i], &outA[i]);
      break;
    case EPath::kStereo:
      f.ProcessStereoBlock(&a[i], &b[i], &outA[i], &outB[i]);
      break;
    case EPath::kStereoDriven:
      f.ProcessStereoBlockDriven(&a[i], &b[i], &outA[i], &outB[i]);
      break;
    }
  }
}

std::vector<float> Render(VX_FilterBase& f, EPath path, const std::vector<float>& in)
{
  std::vector<float> a, b;
  Render(f, path, in, in, a, b);
  return a;
}

std::vector<float> Impulse(size_t n, float amplitude)
{
  std::vector<float> x(n, 0.0f);
  x[0] = amplitude;
  return x;
}

/** Spectrum of x (zero-padded to n, a power of two), bins 0 ... n/2. */
std::vector<Complex> Spectrum(const std::vector<float>& x, int n)
{
  std::vector<float> in(n, 0.0f);
  std::copy_n(x.begin(), std::min<size_t>(x.size(), n), in.begin());
  std::vector<fftwf_complex> out(n / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in.data(), out.data(), FFTW_ESTIMATE);
  fftwf_execute(plan);
  fftwf_destroy_plan(plan);
  std::vector<Complex> s(n / 2 + 1);
  for (int i = 0; i <= n / 2; ++i)
    s[i] = Complex(out[i][0], out[i][1]);
  return s;
}

/** Frequency of the largest bin between loHz and hiHz, refined by a parabola through its dB. */
double MeasuredPeakHz(const std::vector<Complex>& s, int n, double rate, double loHz, double hiHz)
{
  const int lo = std::max(1, static_cast<int>(loHz * n / rate));
  const int hi = std::min(static_cast<int>(s.size()) - 2, static_cast<int>(hiHz * n / rate));
  int best = lo;
  for (int i = lo; i <= hi; ++i)
    if (std::abs(s[i]) > std::abs(s[best])) best = i;
  const double a = 20.0 * std::log10(std::abs(s[best - 1]));
  const double b = 20.0 * std::log10(std::abs(s[best]));
  const double c = 20.0 * std::log10(std::abs(s[best + 1]));
  const double shift = 0.5 * (a - c) / (a - 2.0 * b + c);
  return (best + shift) * rate / n;
}

double Db(double x)
{
  return 20.0 * std::log10(x);
}

float PeakAbs(const std::vector<float>& x)
{
  float peak = 0.0f;
  for (float v : x)
    peak = std::max(peak, std::abs(v));
  return peak;
}

} // namespace

// ----- Cascades, resonance limit and resonant peak.

TEST(VoiceFilters, NoResonanceIsThreeCascadedOnePoles)
{
  // Three one-poles y += g·(x - y) in series: impulse response g³·C(n + 2, 2)·(1 - g)^n.
  const struct
  {
    EType type;
    double note;
    float rate;
  } cases[] = {
      {EType::kLP1, 60, kRate},     {EType::kLP1, 100, kRate}, {EType::kLP1, 20, 192000.0f},
      {EType::kLP2, 60, kRate},     {EType::kLP2, 110, kRate}, {EType::kLP2, 36, 192000.0f},
      {EType::kLP2, 127, 32000.0f}, // the coefficient clamps just below 1
  };
  for (const auto& c : cases)
  {
    for (EPath path : {EPath::kMono, EPath::kStereo})
    {
      auto f = MakeFilter(c.type, c.rate);
      f->SetParams(Cutoff(c.note), 0.0f);
      const std::vector<float> h = Render(*f, path, Impulse(8192, 1.0f));
      const double g = NoteCoefficient(c.note, c.rate);
      double worst = 0.0, peak = 0.0;
      for (size_t n = 0; n < h.size(); ++n)
      {
        const double expected = g * g * g * (n + 1.0) * (n + 2.0) / 2.0 * std::pow(1.0 - g, n);
        worst = std::max(worst, std::abs(h[n] - expected));
        peak = std::max(peak, std::abs(expected));
      }
      EXPECT_LT(worst, 2e-6 * peak) << Name(c.type) << " note " << c.note << " rate " << c.rate;
    }
  }
}

TEST(VoiceFilters, CutoffsAtOrAboveNote128AllowNoResonance)
{
  for (EType type : {EType::kLP1, EType::kLP2, EType::kBP})
  {
    auto open = MakeFilter(type);
    open->SetParams(1.0f, 0.0f);
    const std::vector<float> reference = Render(*open, EPath::kMono, Impulse(4096, 0.5f));
    for (float cutoff : {1.0f, 1.01f, 1.5f, 4.0f, 7.99f})
    {
      auto f = MakeFilter(type);
      f->SetParams(cutoff, 1.0f);
      EXPECT_EQ(Render(*f, EPath::kMono, Impulse(4096, 0.5f)), reference)
          << Name(type) << " cutoff " << cutoff;
    }
    // Just below, the same resonance changes the response.
    auto below = MakeFilter(type);
    below->SetParams(Cutoff(126), 1.0f);
    open->SetParams(Cutoff(126), 0.0f);
    open->ClearState();
    EXPECT_NE(Render(*below, EPath::kMono, Impulse(4096, 0.5f)),
              Render(*open, EPath::kMono, Impulse(4096, 0.5f)))
        << Name(type);
  }
}

TEST(VoiceFilters, SmallSignalResponseFollowsTheLinearModel)
{
  // The saturations have unit slope at 0, so a small impulse sees the linearised filter. This
  // covers unity gain at DC whatever the resonance (the loop feeds back only the high-pass part).
  const struct
  {
    EType type;
    double note;
    double r;
    float drive; // < 0: plain path
    float rate;
  } cases[] = {
      {EType::kLP1, 40, 0.0, -1, kRate},    {EType::kLP1, 72, 0.6, -1, kRate},
      {EType::kLP1, 100, 0.9, -1, 192000},  {EType::kLP2, 40, 0.6, -1, kRate},
      {EType::kLP2, 72, 0.9, -1, kRate},    {EType::kLP2, 100, 0.3, -1, 192000},
      {EType::kBP, 40, 0.0, -1, kRate},     {EType::kBP, 72, 0.6, -1, kRate},
      {EType::kBP, 100, 0.9, -1, 192000},   {EType::kLP2, 60, 0.0, 0.0f, kRate},
      {EType::kLP2, 60, 0.6, 0.5f, kRate},  {EType::kLP2, 90, 0.9, 1.0f, kRate},
      {EType::kLP2, 90, 0.3, 0.2f, 192000},
  };
  constexpr int kN = 1 << 16;
  constexpr float kAmplitude = 1e-4f;
  for (const auto& c : cases)
  {
    const bool driven = c.drive >= 0.0f;
    for (EPath path : {driven ? EPath::kMonoDriven : EPath::kMono,
                       driven ? EPath::kStereoDriven : EPath::kStereo})
    {
      auto f = MakeFilter(c.type, c.rate);
      LinearModel model = ModelFor(c.type, c.note, c.r, c.rate);
      if (driven)
      {
        auto& raw = static_cast<VX_Filter18dBLP_Raw&>(*f);
        raw.UpdateDrive(c.drive);
        const double postHz = (1.0 - c.drive) * (1.0 - c.drive) * 17000.0 + 4000.0;
        model.driven = true;
        model.inputGain = 1.0 + c.drive;
        model.outputGain = 1.0 + 4.25 * c.drive;
        model.post = 2.0 * std::sin(kPi * postHz / c.rate);
      }
      f->SetParams(Cutoff(c.note), ResonanceFor(c.type, c.r));
      std::vector<float> h = Render(*f, path, Impulse(kN, kAmplitude));
      for (float& v : h)
        v /= kAmplitude;
      const std::vector<Complex> s = Spectrum(h, kN);
      double peak = 0.0;
      for (int i = 0; i <= kN / 2; ++i)
        peak = std::max(peak, std::abs(model.Response(i * c.rate / kN, c.rate)));
      double worstDb = 0.0;
      for (int i = 0; i <= kN / 2; ++i)
      {
        const double expected = std::abs(model.Response(i * c.rate / kN, c.rate));
        if (expected > peak * 1e-3) // down to -60 dB below the peak
          worstDb = std::max(worstDb, std::abs(Db(std::abs(s[i]) / expected)));
      }
      EXPECT_LT(worstDb, 0.01) << Name(c.type) << " note " << c.note << " r " << c.r << " drive "
                               << c.drive << (IsStereo(path) ? " stereo" : " mono");
    }
  }
}

TEST(VoiceFilters, ResonantPeakSitsAtTwiceTheNoteFrequency)
{
  // With g = 2·sin(w) the loop's poles at r = 1 sit at angle 2·asin(g/2) = 2w: the resonance
  // rings at twice the note's frequency; below the threshold the two one-poles before the loop
  // pull the peak slightly down.
  const struct
  {
    EType type;
    double note;
    double r;
    double toleranceTo2f; // how far the model's own peak lies from 2f
  } cases[] = {
      {EType::kLP1, 60, 0.99, 0.001}, {EType::kLP1, 96, 0.99, 0.002},  {EType::kLP1, 84, 0.9, 0.02},
      {EType::kLP2, 60, 0.99, 0.001}, {EType::kLP2, 108, 0.99, 0.003}, {EType::kLP2, 84, 0.9, 0.02},
      {EType::kBP, 60, 0.99, 0.001},  {EType::kBP, 96, 0.99, 0.002},   {EType::kBP, 84, 0.9, 0.02},
  };
  constexpr int kN = 1 << 18;
  for (const auto& c : cases)
  {
    auto f = MakeFilter(c.type);
    f->SetParams(Cutoff(c.note), ResonanceFor(c.type, c.r));
    const std::vector<Complex> s = Spectrum(Render(*f, EPath::kMono, Impulse(kN, 1e-4f)), kN);
    const double twoF = 2.0 * NoteHz(c.note);
    const double measured = MeasuredPeakHz(s, kN, kRate, twoF / 1.5, twoF * 1.5);
    const double expected = ModelFor(c.type, c.note, c.r).PeakHz(kRate, twoF / 1.5, twoF * 1.5);
    EXPECT_NEAR(measured / expected, 1.0, 0.001) << Name(c.type) << " note " << c.note;
    EXPECT_NEAR(measured / twoF, 1.0, c.toleranceTo2f) << Name(c.type) << " note " << c.note;
  }
}

TEST(VoiceFilters, LoopGainOneIsTheSelfOscillationThreshold)
{
  // Just below r = 1 a kick dies away; just above it grows until the saturation holds it at a
  // steady, bounded level.
  for (EType type : {EType::kLP1, EType::kLP2, EType::kBP})
  {
    for (double r : {0.95, 1.05})
    {
      auto f = MakeFilter(type);
      f->SetParams(Cutoff(72), ResonanceFor(type, r));
      const std::vector<float> y = Render(*f, EPath::kMono, Impulse(1 << 19, 1e-3f));
      const float early = PeakAbs({y.begin(), y.begin() + 1000});
      const float late = PeakAbs({y.end() - 10000, y.end()});
      if (r < 1.0)
        EXPECT_LT(late, 1e-9f) << Name(type);
      else
      {
        EXPECT_GT(late, 10.0f * early) << Name(type);
        EXPECT_LT(late, 10.0f) << Name(type);
      }
    }
  }
}

TEST(VoiceFilters, BandPassPeaksNearTheCutoffAndFallsOnBothSides)
{
  // Two high-pass and two low-pass one-pole sections: a peak at the one-poles' corner, which the
  // coefficient table puts at twice the note's frequency, and slopes toward 12 dB per octave on
  // either side (the analogue prototype v²/(1 + v²)² is 24 dB down three octaves away).
  constexpr int kN = 1 << 17;
  for (double note : {36.0, 60.0, 84.0})
  {
    for (double r : {0.0, 0.5, 0.9})
    {
      auto f = MakeFilter(EType::kBP);
      f->SetParams(Cutoff(note), ResonanceFor(EType::kBP, r));
      const std::vector<Complex> s = Spectrum(Render(*f, EPath::kMono, Impulse(kN, 1e-4f)), kN);
      const double twoF = 2.0 * NoteHz(note);
      const double peak = MeasuredPeakHz(s, kN, kRate, twoF / 4.0, twoF * 4.0);
      EXPECT_NEAR(peak / twoF, 1.0, note < 80 ? 0.02 : 0.05) << "note " << note << " r " << r;
      auto level = [&](double hz) { return Db(std::abs(s[static_cast<int>(hz * kN / kRate)])); };
      const double top = level(peak);
      double previousBelow = top, previousAbove = top;
      for (int octave = 1; octave <= 3; ++octave)
      {
        const double below = level(peak / (1 << octave));
        const double above = level(peak * (1 << octave));
        EXPECT_LT(below, previousBelow - 3.0) << "note " << note << " octave " << -octave;
        EXPECT_LT(above, previousAbove - 3.0) << "note " << note << " octave " << octave;
        previousBelow = below;
        previousAbove = above;
      }
      EXPECT_LT(previousBelow, top - 20.0) << "note " << note << " r " << r;
      EXPECT_LT(previousAbove, top - 20.0) << "note " << note << " r " << r;
      EXPECT_LT(Db(std::abs(s[0])), top - 80.0) << "no DC through a band-pass";
    }
  }
}

// ----- The drive record.

TEST(VoiceFilters, DriveRecordGainsAndPostFilter)
{
  const struct
  {
    float drive;
    float inputGain;
    float outputGain;
    double postHz;
  } cases[] = {
      {0.0f, 1.0f, 1.0f, 21000.0},
      {1.0f, 2.0f, 5.25f, 4000.0},
      {0.5f, 1.5f, 3.125f, 8250.0},
      {1.7f, 2.0f, 5.25f, 4000.0}, // beyond the knob's range: as 1
  };
  for (float rate : {kRate, 192000.0f})
  {
    for (const auto& c : cases)
    {
      VX_Filter18dBLP_Raw f;
      f.SetSampleRate(rate);
      f.UpdateDrive(c.drive);
      const VX_FilterDrive& record = f.DriveRecord();
      EXPECT_EQ(record.amount, c.drive);
      EXPECT_FLOAT_EQ(record.inputGain, c.inputGain) << c.drive;
      EXPECT_FLOAT_EQ(record.outputGain, c.outputGain) << c.drive;
      EXPECT_NEAR(record.postCoefficient, 2.0 * std::sin(kPi * c.postHz / rate), 1e-6) << c.drive;
    }
  }
}

TEST(VoiceFilters, DriveRecordIsSharedAndFollowsTheSampleRate)
{
  VX_FilterDrive shared;
  VX_Filter18dBLP_Raw writer, reader;
  writer.SetDriveRecord(shared);
  reader.SetDriveRecord(shared);
  writer.UpdateDrive(0.6f);
  // The reader never updated the record, yet its driven DC gain is the writer's (1 + d)(1 + 4.25d).
  reader.SetParams(Cutoff(100), 0.0f);
  const std::vector<float> y = Render(reader, EPath::kMonoDriven, std::vector<float>(40000, 1e-4f));
  EXPECT_NEAR(y.back() / 1e-4f, 1.6 * 3.55, 1e-3);

  // A rate change leaves the record marked, so the same amount is applied again for the new rate.
  reader.SetSampleRate(96000.0f);
  EXPECT_EQ(shared.amount, VX_FilterDrive::kAmountRateChanged);
  writer.SetSampleRate(96000.0f);
  writer.UpdateDrive(0.6f);
  EXPECT_NEAR(shared.postCoefficient, 2.0 * std::sin(kPi * (0.16 * 17000.0 + 4000.0) / 96000.0),
              1e-5);
}

// ----- State, channels and robustness.

TEST(VoiceFilters, ClearingGivesSilenceFromSilence)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> noise(-4.0f, 4.0f);
  std::vector<float> loud(20000);
  for (float& v : loud)
    v = noise(rng);
  const std::vector<float> silence(40000, 0.0f);
  for (EType type : {EType::kLP1, EType::kLP2, EType::kBP})
  {
    for (EPath path : {EPath::kMono, EPath::kMonoDriven, EPath::kStereo, EPath::kStereoDriven})
    {
      auto f = MakeFilter(type);
      if (type == EType::kLP2) static_cast<VX_Filter18dBLP_Raw&>(*f).UpdateDrive(0.8f);
      f->SetParams(Cutoff(70), ResonanceFor(type, 0.9));
      std::vector<float> a, b;
      Render(*f, path, loud, loud, a, b);
      f->ClearState();
      Render(*f, path, silence, silence, a, b);
      EXPECT_LT(std::max(PeakAbs(a), PeakAbs(b)), 1e-15f)
          << Name(type) << " path " << static_cast<int>(path);
    }
  }
}

TEST(VoiceFilters, StereoChannelsAreIndependentAndMatchMono)
{
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  std::vector<float> signal(8000), silence(8000, 0.0f);
  for (float& v : signal)
    v = noise(rng);
  for (EType type : {EType::kLP1, EType::kLP2, EType::kBP})
  {
    for (bool driven : {false, true})
    {
      auto mono = MakeFilter(type);
      auto stereo = MakeFilter(type);
      for (VX_FilterBase* f : {mono.get(), stereo.get()})
      {
        if (type == EType::kLP2) static_cast<VX_Filter18dBLP_Raw*>(f)->UpdateDrive(0.7f);
        f->SetParams(Cutoff(80), ResonanceFor(type, 0.9));
      }
      const std::vector<float> expected =
          Render(*mono, driven ? EPath::kMonoDriven : EPath::kMono, signal);
      std::vector<float> a, b;
      const EPath path = driven ? EPath::kStereoDriven : EPath::kStereo;
      Render(*stereo, path, signal, silence, a, b);
      EXPECT_EQ(a, expected) << Name(type) << " channel A";
      EXPECT_LT(PeakAbs(b), 1e-15f) << Name(type) << " channel B";
      stereo->ClearState();
      Render(*stereo, path, silence, signal, a, b);
      EXPECT_EQ(b, expected) << Name(type) << " channel B";
      EXPECT_LT(PeakAbs(a), 1e-15f) << Name(type) << " channel A";
    }
  }
}

TEST(VoiceFilters, ExtremeSettingsStayFiniteBoundedAndFreeOfDenormals)
{
  // Full resonance and drive, loud input, every cutoff from the table's ends to values outside
  // it, at oversampled rates from 8 kHz to 192 kHz hosts; then a silent tail.
  const float cutoffs[] = {-8.0f,  -2.0f, 0.0f,  0.5f,   0.95f,  0.999f,   1.0f,
                           7.999f, 9.0f,  -9.0f, 100.0f, -1e30f, INFINITY, NAN};
  const struct
  {
    EType type;
    EPath path;
  } filters[] = {
      {EType::kLP1, EPath::kMono},       {EType::kLP1, EPath::kStereo},
      {EType::kLP2, EPath::kMono},       {EType::kLP2, EPath::kStereo},
      {EType::kLP2, EPath::kMonoDriven}, {EType::kLP2, EPath::kStereoDriven},
      {EType::kBP, EPath::kMono},        {EType::kBP, EPath::kStereo},
  };
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> noise(-8.0f, 8.0f);
  std::vector<float> loud(16000), right(16000);
  for (size_t i = 0; i < loud.size(); ++i)
  {
    loud[i] = ((i / 200) % 2 ? 8.0f : -8.0f) + noise(rng); // square wave plus noise, peak 16
    right[i] = noise(rng);
  }
  const std::vector<float> silence(40000, 0.0f);
  for (float rate : {32000.0f, kRate, 768000.0f})
  {
    for (const auto& c : filters)
    {
      for (float cutoff : cutoffs)
      {
        auto f = MakeFilter(c.type, rate);
        if (c.type == EType::kLP2) static_cast<VX_Filter18dBLP_Raw&>(*f).UpdateDrive(1.0f);
        f->SetParams(cutoff, 1.0f);
        std::vector<float> a, b;
        Render(*f, c.path, loud, right, a, b);
        EXPECT_LT(std::max(PeakAbs(a), PeakAbs(b)), 100.0f)
            << Name(c.type) << " rate " << rate << " cutoff " << cutoff;
        Render(*f, c.path, silence, silence, a, b);
        int subnormal = 0, notFinite = 0;
        for (size_t i = 0; i < a.size(); ++i)
          for (float v : {a[i], b[i]})
          {
            subnormal += std::fpclassify(v) == FP_SUBNORMAL;
            notFinite += !std::isfinite(v);
          }
        EXPECT_EQ(subnormal, 0) << Name(c.type) << " rate " << rate << " cutoff " << cutoff;
        EXPECT_EQ(notFinite, 0) << Name(c.type) << " rate " << rate << " cutoff " << cutoff;
      }
    }
  }
}

TEST(VoiceFilters, SweptCutoffAtFullResonanceStaysBounded)
{
  // An envelope sweeping the cutoff across the whole range every 20 ms, one SetParams per block.
  for (EType type : {EType::kLP1, EType::kLP2, EType::kBP})
  {
    for (bool driven : {false, true})
    {
      auto f = MakeFilter(type);
      if (type == EType::kLP2) static_cast<VX_Filter18dBLP_Raw&>(*f).UpdateDrive(1.0f);
      float in[kBlock], out[kBlock], peak = 0.0f;
      for (int block = 0; block < 100000; ++block)
      {
        const float phase = static_cast<float>(block % 882) / 882.0f;
        f->SetParams(-2.0f + 4.0f * phase, 1.0f);
        for (int j = 0; j < kBlock; ++j)
          in[j] = (block / 50) % 2 ? 4.0f : -4.0f;
        if (driven)
          f->ProcessBlockDriven(in, out);
        else
          f->ProcessBlock(in, out);
        for (float v : out)
          peak = std::max(peak, std::abs(v));
      }
      EXPECT_LT(peak, 100.0f) << Name(type) << (driven ? " driven" : "");
    }
  }
}

// ----- All-pass.

namespace
{
/** First-order all-pass (a + z^-1) / (1 + a·z^-1); (z^-1 - d) / (1 - d·z^-1) is the one with a =
 * -d. */
Complex AllPass(double a, Complex z1)
{
  return (a + z1) / (1.0 + a * z1);
}

/** 2·sin(2·pi·f / rate) clamped to 0 ... 1.4, the phase held at a quarter cycle (f > rate / 4). */
double AllPassCoefficient(double note, double rate)
{
  const double phase = std::min(2.0 * kPi * NoteHz(note) / rate, kPi / 2.0);
  return std::clamp(2.0 * std::sin(phase), 0.0, 1.4);
}

/** Worst distance between the measured spectrum of f's impulse response and model. */
double WorstError(const std::function<float(float)>& f,
                  const std::function<Complex(Complex)>& model)
{
  constexpr int kN = 1 << 14;
  std::vector<float> h(kN);
  for (int n = 0; n < kN; ++n)
    h[n] = f(n == 0 ? 1.0f : 0.0f);
  const std::vector<Complex> s = Spectrum(h, kN);
  double worst = 0.0;
  for (int i = 0; i <= kN / 2; ++i)
    worst = std::max(worst, std::abs(s[i] - model(std::polar(1.0, -2.0 * kPi * i / kN))));
  return worst;
}
} // namespace

TEST(AllPass, CoefficientFollowsTheNoteTable)
{
  for (float rate : {44100.0f, 48000.0f, 22050.0f})
  {
    VX_FilterAllPass f;
    f.SetSampleRate(rate);
    for (double note : {-200.0, 0.0, 38.0, 76.0, 96.0, 115.0, 128.0, 500.0})
    {
      f.SetParams(Cutoff(note));
      const double expected = AllPassCoefficient(std::min(note, 128.0), rate);
      EXPECT_NEAR(f.GetCoefficient(), expected, 1e-6) << "rate " << rate << " note " << note;
    }
    // Between notes the table interpolates linearly.
    f.SetParams(Cutoff(76.8));
    const double between = 0.2 * AllPassCoefficient(76, rate) + 0.8 * AllPassCoefficient(77, rate);
    EXPECT_NEAR(f.GetCoefficient(), between, 2e-6) << "rate " << rate;
    VX_FilterAllPass other;
    other.SetCoefficient(f.GetCoefficient());
    EXPECT_EQ(other.GetCoefficient(), f.GetCoefficient());
  }
}

TEST(AllPass, SectionsMatchTheirTransferFunctions)
{
  // Phase-delay settings: x = 0.6 +- 0.3 at 44.1 kHz covers a from 0.03 to the clamp at 1.4.
  for (double note : {38.4, 76.8, 100.0, 115.2})
  {
    auto make = [&]
    {
      auto f = std::make_shared<VX_FilterAllPass>();
      f->SetParams(Cutoff(note));
      return f;
    };
    const double a = make()->GetCoefficient();
    const double d = 1.0 - a;
    const double fb = 0.3;
    auto two = make(), four = make();
    EXPECT_LT(WorstError([&](float x) { return two->ProcessTwoStageFeedback(x, fb); },
                         [&](Complex z1)
                         {
                           const Complex a2 = std::pow(AllPass(-d, z1), 2);
                           return a2 / (1.0 + fb * z1 * a2);
                         }),
              1e-4)
        << "two-stage feedback, note " << note;
    EXPECT_LT(WorstError([&](float x) { return four->ProcessFourStageFeedback(x, fb); },
                         [&](Complex z1)
                         {
                           const Complex a2 = std::pow(AllPass(-d, z1), 2);
                           return a2 * a2 / std::pow(1.0 + fb * z1 * a2, 2);
                         }),
              1e-4)
        << "four-stage feedback, note " << note;
    auto one = make(), pair = make();
    if (a < 0.99) // near a = 1 it rings longer than the measured response
    {
      EXPECT_LT(WorstError([&](float x) { return one->ProcessSample(x); },
                           [&](Complex z1) { return AllPass(a, z1); }),
                1e-4)
          << "direct, note " << note;
    }
    EXPECT_LT(WorstError([&](float x) { return pair->ProcessTwoStage(x, 0.5f); },
                         [&](Complex z1) { return std::pow(AllPass(0.5, z1), 2); }),
              1e-4)
        << "two-stage, note " << note;
  }
}

TEST(AllPass, LongRunsStayBoundedWhateverTheCoefficient)
{
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> noise(-8.0f, 8.0f);
  // The table reaches 1.4, where a direct-form section (pole at -a) would grow without bound.
  for (float a : {0.0f, 0.5f, 0.99999f, 1.0f, 1.4f})
  {
    VX_FilterAllPass direct, pair, feedback;
    for (VX_FilterAllPass* f : {&direct, &pair, &feedback})
      f->SetCoefficient(a);
    float peak = 0.0f;
    for (int i = 0; i < 200000; ++i)
    {
      const float x = i < 100000 ? noise(rng) : 0.0f;
      peak =
          std::max({peak, std::abs(direct.ProcessSample(x)), std::abs(pair.ProcessTwoStage(x, a)),
                    std::abs(feedback.ProcessFourStageFeedback(x, 0.3f))});
    }
    EXPECT_TRUE(std::isfinite(peak)) << a;
    EXPECT_LT(peak, 1e4f) << a;
  }
}

// ----- Cutoff table.

TEST(CutoffTable, CoefficientIsTwoSinePiFOverRateInterpolatedInHertz)
{
  for (float rate : {44100.0f, 96000.0f, 4.0f * 44100.0f})
  {
    VX_CutoffTable t;
    t.SetRange(rate, 20.0f, 20000.0f);
    const double step = (20000.0 - 20.0) / 99.0;
    for (double hz : {20.0, 20.0 + step, 20.0 + 50 * step, 1000.0, 5000.5, 12345.0, 20000.0})
    {
      t.SetCutoffHz(static_cast<float>(hz));
      const double exact = std::min(2.0 * std::sin(kPi * hz / rate), 0.9999999);
      // Linear interpolation between points 202 Hz apart: error below (202 Hz)²/8 · max|c''|.
      const double bound = step * step / 8.0 * 2.0 * std::pow(kPi / rate, 2.0) + 1e-6;
      EXPECT_NEAR(t.Coefficient(), exact, bound) << "rate " << rate << " hz " << hz;
    }
    t.SetCutoffHz(5.0f);
    EXPECT_NEAR(t.Coefficient(), 2.0 * std::sin(kPi * 20.0 / rate), 1e-7) << "below the range";
    t.SetCutoffHz(50000.0f);
    const float top = t.Coefficient();
    t.SetCutoffHz(20000.0f);
    EXPECT_EQ(t.Coefficient(), top) << "above the range";
  }
}

TEST(CutoffTable, CoefficientNeverFallsAsTheFrequencyRises)
{
  // At a 22.05 kHz host the range reaches past the Nyquist frequency, where the sine folds back.
  for (float rate : {16000.0f, 22050.0f, 44100.0f})
  {
    VX_CutoffTable t;
    t.SetRange(rate, 20.0f, 20000.0f);
    float previous = 0.0f;
    for (float hz = 20.0f; hz <= 20000.0f; hz += 10.0f)
    {
      t.SetCutoffHz(hz);
      ASSERT_GE(t.Coefficient(), previous) << "rate " << rate << " hz " << hz;
      ASSERT_LE(t.Coefficient(), VX_CutoffTable::kMaxCoefficient);
      previous = t.Coefficient();
    }
  }
}

TEST(CutoffTable, NormalizedCutoffAndDamping)
{
  VX_CutoffTable reference;
  reference.SetRange(44100.0f, 150.0f, 10000.0f);
  const struct
  {
    float normalized;
    float hz;
  } cases[] = {{0.0f, 150.0f},   {0.5f, 5075.0f}, {1.0f, 10000.0f},
               {1.5f, 10000.0f}, {-0.5f, 150.0f}, {NAN, 150.0f}};
  for (const auto& c : cases)
  {
    VX_CutoffTable t;
    t.SetRange(44100.0f, 150.0f, 10000.0f);
    t.SetCutoff(c.normalized, 0.3f);
    reference.SetCutoffHz(c.hz);
    EXPECT_FLOAT_EQ(t.Coefficient(), reference.Coefficient()) << c.normalized;
    EXPECT_FLOAT_EQ(t.Damping(), 0.7f);
  }
  VX_CutoffTable t;
  t.SetCutoff(0.5f, 0.3f);
  t.SetCutoff(0.5f, 0.9f); // same cutoff, new damping
  EXPECT_FLOAT_EQ(t.Damping(), 0.1f);
}

TEST(CutoffTable, NewRangeReappliesTheLastRequestAndClearsTheState)
{
  VX_CutoffTable hz;
  hz.SetCutoffHz(1000.0f);
  hz.FilterState() = {0.5f, 0.25f};
  hz.SetRange(96000.0f, 20.0f, 20000.0f);
  EXPECT_NEAR(hz.Coefficient(), 2.0 * std::sin(kPi * 1000.0 / 96000.0), 2e-5);
  EXPECT_EQ(hz.FilterState().lp, 0.0f);
  EXPECT_EQ(hz.FilterState().bp, 0.0f);

  VX_CutoffTable normalized;
  normalized.SetCutoff(1.0f, 0.25f);
  normalized.SetRange(96000.0f, 4000.0f, 21000.0f);
  EXPECT_FLOAT_EQ(normalized.Coefficient(), VX_CutoffTable::kMaxCoefficient) << "21 kHz at 96 kHz";
  EXPECT_FLOAT_EQ(normalized.Damping(), 0.75f);

  // A request in the other unit with an equal number is a new request.
  normalized.SetCutoffHz(1.0f);
  EXPECT_NEAR(normalized.Coefficient(), 2.0 * std::sin(kPi * 4000.0 / 96000.0), 1e-6);
}
