#include "render/render_command.h"

#include "render/demo_song.h"
#include "render/offline_host.h"
#include "render/param_listing.h"
#include "render/sound_files.h"
#include "render/vst3_host.h"
#include "render/wav_file.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace
{
constexpr int kChannels = 2;

/** Applies a parameter file's settings; its automation points are added to automation. */
void ApplyParamsFile(const std::filesystem::path& file, IPlugProcessor& plug,
                     std::vector<ScoreParamChange>& automation)
{
  for (const ParamAssignment& assignment : ReadParamsFile(file))
  {
    if (!assignment.seconds)
    {
      ApplyAssignment(plug, assignment);
      continue;
    }
    const ResolvedAssignment resolved = ResolveAssignment(plug, assignment);
    automation.push_back({*assignment.seconds, resolved.index, resolved.value});
  }
}

/** Demo settings first, then --state-in, --preset, the --params files and --set: later ones
    win. Returns the automation points of the parameter files. */
std::vector<ScoreParamChange> ApplySoundSettings(const RenderOptions& options, const DemoSong* demo,
                                                 Vantrix& plug)
{
  std::vector<ScoreParamChange> automation;
  if (demo) ApplyParamsFile(demo->paramsFile, plug, automation);
  if (options.stateIn) RestoreStateFile(plug, *options.stateIn);
  if (options.preset) LoadPresetFromFile(plug, *options.preset);
  for (const std::filesystem::path& file : options.paramsFiles)
    ApplyParamsFile(file, plug, automation);
  for (const ParamAssignment& assignment : options.assignments)
    ApplyAssignment(plug, assignment);
  return automation;
}

/** --save-preset and --state-out; reported on out unless it is null. */
void WriteSoundFiles(const RenderOptions& options, Vantrix& plug, std::ostream* out)
{
  if (options.savePreset) SavePresetToFile(plug, *options.savePreset, out);
  if (options.stateOut) SaveStateFile(plug, *options.stateOut, out);
}

Score BuildScore(const RenderOptions& options, const DemoSong* demo,
                 const std::vector<ScoreParamChange>& automation)
{
  std::optional<std::filesystem::path> midiFile = options.midiFile;
  if (demo) midiFile = demo->midiFile;
  Score score = midiFile ? Score::FromMidiFile(ReadMidiFile(*midiFile), options.tempo)
                         : Score(options.tempo.value_or(Score::kDefaultTempo));
  score.AddNotes(options.notes);
  for (const ScoreParamChange& change : automation)
    score.AddParamChange(change);
  return score;
}

std::string PeakText(float peak)
{
  if (peak <= 0.0f) return "-inf dBFS";
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.1f dBFS", 20.0 * std::log10(peak));
  return buf;
}

/** host: OfflineHost or Vst3Host. */
void Render(const RenderOptions& options, auto& host, const Score& score, std::ostream& out)
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
/** The same sound and score through the VST3 module at options.plugin: the sound is settled
    on a scratch instance exactly as above, then handed to the module (see Vst3Host), and the
    sound files are written from the module's own state. */
void RenderThroughPlugin(const RenderOptions& options, const DemoSong* demo, std::ostream& out)
{
  // Preferences in memory only: a render never touches the user's settings file.
  const auto sound = std::make_unique<Vantrix>(std::string_view());
  const std::vector<ScoreParamChange> automation = ApplySoundSettings(options, demo, *sound);
  Vst3Host host(*options.plugin, options.sampleRate, options.blockSize);
  host.LoadSound(*sound, options.stateIn || options.preset);
  if (options.savePreset || options.stateOut)
  {
    const auto saved = std::make_unique<Vantrix>(std::string_view());
    host.SaveSound(*saved);
    WriteSoundFiles(options, *saved, &out);
  }
  if (options.out) Render(options, host, BuildScore(options, demo, automation), out);
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
  if (options.plugin)
  {
    RenderThroughPlugin(options, demoSong, out);
    return;
  }

  OfflineHost host(options.sampleRate, options.blockSize);
  const std::vector<ScoreParamChange> automation =
      ApplySoundSettings(options, demoSong, host.Plug());
  // The parameter listing stays the only output of --list-params.
  WriteSoundFiles(options, host.Plug(), options.listParams ? nullptr : &out);
  if (options.listParams)
  {
    WriteParamList(host.Plug(), out);
    return;
  }
  if (options.out) Render(options, host, BuildScore(options, demoSong, automation), out);
}
