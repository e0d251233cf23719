#include "render/render_command.h"

#include "render/demo_song.h"
#include "render/offline_host.h"
#include "render/param_listing.h"
#include "render/wav_file.h"

#include <cmath>
#include <cstdio>

namespace
{
constexpr int kChannels = 2;

/** Demo settings first, then the --params files, then --set: later ones win. */
void ApplyParameterSettings(const RenderOptions& options, const DemoSong* demo,
                            IPlugProcessor& plug)
{
  std::vector<std::filesystem::path> files;
  if (demo) files.push_back(demo->paramsFile);
  files.insert(files.end(), options.paramsFiles.begin(), options.paramsFiles.end());
  for (const std::filesystem::path& file : files)
    for (const ParamAssignment& assignment : ReadParamsFile(file))
      ApplyAssignment(plug, assignment);
  for (const ParamAssignment& assignment : options.assignments)
    ApplyAssignment(plug, assignment);
}

Score BuildScore(const RenderOptions& options, const DemoSong* demo)
{
  std::optional<std::filesystem::path> midiFile = options.midiFile;
  if (demo) midiFile = demo->midiFile;
  Score score = midiFile ? Score::FromMidiFile(ReadMidiFile(*midiFile), options.tempo)
                         : Score(options.tempo.value_or(Score::kDefaultTempo));
  score.AddNotes(options.notes);
  return score;
}

std::string PeakText(float peak)
{
  if (peak <= 0.0f) return "-inf dBFS";
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.1f dBFS", 20.0 * std::log10(peak));
  return buf;
}

void Render(const RenderOptions& options, OfflineHost& host, const Score& score, std::ostream& out)
{
  const double seconds = options.seconds.value_or(score.EndSeconds() + options.tail);
  const long long frames = std::llround(seconds * options.sampleRate);

  WavFileWriter writer(*options.out, options.sampleRate, kChannels);
  float peak = 0.0f;
  host.Render(score, frames,
              [&](const float* interleaved, int count)
              {
                for (int i = 0; i < kChannels * count; ++i)
                  peak = std::max(peak, std::fabs(interleaved[i]));
                writer.Write(interleaved, count);
              });
  writer.Commit();

  char summary[128];
  std::snprintf(summary, sizeof(summary), ": %.2f s, %d Hz, stereo 32-bit float, peak ",
                static_cast<double>(frames) / options.sampleRate, options.sampleRate);
  out << "wrote " << options.out->string() << summary << PeakText(peak) << '\n';
}
} // namespace

void RunRenderCommand(const RenderOptions& options, const std::filesystem::path& executable,
                      std::ostream& out)
{
  if (options.help)
  {
    out << HelpText();
    return;
  }
  const std::optional<DemoSong> demo =
      options.demo ? std::optional<DemoSong>(FindDemoSong(executable)) : std::nullopt;
  const DemoSong* demoSong = demo ? &*demo : nullptr;

  OfflineHost host(options.sampleRate, options.blockSize);
  ApplyParameterSettings(options, demoSong, host.Plug());
  if (options.listParams)
  {
    WriteParamList(host.Plug(), out);
    return;
  }
  Render(options, host, BuildScore(options, demoSong), out);
}
