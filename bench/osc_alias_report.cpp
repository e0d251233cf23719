// vantrix-alias-report: prints, for each audio waveform, band-limiting mode and note, the
// energy that aliasing folds below the host's Nyquist frequency (24 kHz) relative to the
// harmonic energy there, rendered at 192 kHz (four times 48 kHz), in dB. The saw and the
// square are also measured without band limiting ("naive") for comparison.
//
// Usage: vantrix-alias-report (no arguments)

#include "osc_cases.h"
#include "osc_measure.h"

#include <cstdio>
#include <vector>

namespace
{

constexpr double kRate = 192000.0;
constexpr double kHostNyquist = 24000.0;
constexpr int kLength = 1 << 16;

double AliasDb(const std::vector<float>& signal, double f0)
{
  return osc_measure::MeasureAliasing(signal, f0, kRate, kHostNyquist).RatioDb();
}

} // namespace

int main(int argc, char** argv)
{
  if (argc > 1)
  {
    std::fprintf(stderr, "vantrix-alias-report: unexpected argument '%s' (takes none)\n", argv[1]);
    return 2;
  }
  using osc_measure::Mode;
  std::printf("alias-to-harmonic energy below %.0f Hz at %.0f Hz, dB\n", kHostNyquist, kRate);
  std::printf("%-18s %5s %9s %9s %9s %9s\n", "waveform", "note", "f0 (Hz)", "poly", "table",
              "naive");
  for (const osc_measure::AudioCase& c : osc_measure::kAudioCases)
    for (int note : {72, 84, 96, 108})
    {
      double db[2] = {};
      double f0 = 0.0;
      float increment = 0.0f;
      for (Mode mode : {Mode::kPoly, Mode::kTable})
      {
        auto osc = c.make();
        osc->SetSampleRate(static_cast<float>(kRate));
        osc->SetPitch(note / 128.0f);
        osc->SetParam(c.param);
        osc_measure::RenderBlocks(*osc, mode, 256);
        increment = osc->Increment();
        f0 = increment * c.cyclesPerIncrement * kRate;
        db[mode == Mode::kTable] = AliasDb(osc_measure::RenderBlocks(*osc, mode, kLength), f0);
      }
      std::printf("%-18s %5d %9.1f %9.1f %9.1f", c.name, note, f0, db[0], db[1]);
      if (c.naive != osc_measure::Naive::kNone)
      {
        const std::vector<float> naive = c.naive == osc_measure::Naive::kSaw
                                             ? osc_measure::NaiveSaw(increment, kLength)
                                             : osc_measure::NaiveSquare(increment, kLength);
        std::printf(" %9.1f\n", AliasDb(naive, f0));
      }
      else
        std::printf(" %9s\n", "-");
    }
  return 0;
}
