#pragma once
// The renderer's command line.

#include "render/param_assignment.h"
#include "render/score.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct RenderOptions
{
  std::optional<std::filesystem::path> midiFile;
  std::vector<NoteSpec> notes;
  /** --params files in order; applied before the --set assignments. */
  std::vector<std::filesystem::path> paramsFiles;
  std::vector<ParamAssignment> assignments;
  int sampleRate = 48000;
  int blockSize = 512;
  std::optional<double> tempo; // a constant host tempo instead of the file's tempo map
  std::optional<double> seconds;
  double tail = 2.0;
  std::optional<std::filesystem::path> out;
  bool demo = false;
  bool listParams = false;
  bool help = false;
};

/** Parses the arguments after the program name. Throws UsageError naming the bad argument,
    also for a render without input or without --out (not needed for --list-params, --help). */
RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args);

/** NOTE[:VELOCITY[:START[:LENGTH]]]; NOTE is 0..127 or a name such as C4 (60), F#3, Bb2. */
NoteSpec ParseNoteSpec(std::string_view text);

/** The --help text. */
std::string HelpText();
