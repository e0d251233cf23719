#include "render/render_options.h"

#include "render/number_text.h"
#include "render/render_error.h"

#include <cctype>
#include <functional>
#include <map>

namespace
{
constexpr double kMaxSeconds = 3600.0;

std::string Quoted(std::string_view text)
{
  return "\"" + std::string(text) + "\"";
}

/** A decimal number in [low, high], or in (low, high] when low itself is excluded. */
double DecimalIn(const std::string& option, std::string_view text, double low, double high,
                 bool lowIncluded)
{
  const std::optional<double> value = ParseDecimal(text);
  const bool inRange = value && *value <= high && (lowIncluded ? *value >= low : *value > low);
  if (!inRange)
    throw UsageError(option + ": bad number " + Quoted(text) + " (expected a number " +
                     (lowIncluded ? "from " : "above ") + ShortNumberText(low) +
                     (lowIncluded ? " to " : ", at most ") + ShortNumberText(high) + ")");
  return *value;
}

int IntegerIn(const std::string& option, std::string_view text, int low, int high)
{
  const std::optional<long long> value = ParseInteger(text);
  if (!value || *value < low || *value > high)
    throw UsageError(option + ": bad number " + Quoted(text) + " (expected an integer from " +
                     std::to_string(low) + " to " + std::to_string(high) + ")");
  return static_cast<int>(*value);
}

/** A note name such as C4 (60), F#3 or Bb2: letter, optional '#' or 'b', octave. */
std::optional<int> NoteNumberFromName(std::string_view text)
{
  static constexpr int kPitchClass[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
  if (text.empty()) return std::nullopt;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  if (letter < 'A' || letter > 'G') return std::nullopt;
  int pitch = kPitchClass[letter - 'A'];
  std::string_view rest = text.substr(1);
  if (!rest.empty() && (rest[0] == '#' || rest[0] == 'b'))
  {
    pitch += rest[0] == '#' ? 1 : -1;
    rest.remove_prefix(1);
  }
  const std::optional<long long> octave = ParseInteger(rest);
  if (!octave || *octave < -1 || *octave > 9) return std::nullopt;
  return static_cast<int>((*octave + 1) * 12 + pitch);
}

std::vector<std::string_view> SplitFields(std::string_view text, char separator)
{
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;)
  {
    const std::size_t end = text.find(separator, start);
    fields.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

/** Walks the arguments; each option that takes a value reads it with Value(). */
class ArgumentCursor
{
public:
  explicit ArgumentCursor(const std::vector<std::string_view>& args) : mArgs(args) {}

  bool Next()
  {
    if (mIndex >= mArgs.size()) return false;
    mOption = mArgs[mIndex++];
    return true;
  }
  std::string_view Option() const { return mOption; }
  std::string_view Value()
  {
    if (mIndex >= mArgs.size()) throw UsageError(std::string(mOption) + ": missing value");
    return mArgs[mIndex++];
  }

private:
  const std::vector<std::string_view>& mArgs;
  std::size_t mIndex = 0;
  std::string_view mOption;
};

void CheckComplete(const RenderOptions& options)
{
  if (options.plugin && options.listParams && !options.help)
    throw UsageError("--list-params lists the built-in instrument; drop --plugin");
  if (options.help || options.listParams) return;
  // The demo song's settings alone may be saved too.
  const bool writesSoundOnly = (options.savePreset || options.stateOut) && !options.midiFile &&
                               options.notes.empty() && !options.out;
  if (writesSoundOnly) return;
  if (options.demo && options.midiFile) throw UsageError("--demo and --midi cannot be combined");
  if (!options.demo && !options.midiFile && options.notes.empty())
    throw UsageError("no input: give --midi FILE, --note NOTE or --demo");
  if (!options.out) throw UsageError("missing --out FILE.wav");
}
} // namespace

NoteSpec ParseNoteSpec(std::string_view text)
{
  const std::string context = "--note " + Quoted(text);
  const std::vector<std::string_view> fields = SplitFields(text, ':');
  if (fields.size() > 4) throw UsageError(context + ": expected NOTE[:VELOCITY[:START[:LENGTH]]]");

  NoteSpec note;
  std::optional<long long> number = ParseInteger(fields[0]);
  if (!number) number = NoteNumberFromName(fields[0]);
  if (!number || *number < 0 || *number > 127)
    throw UsageError(context + ": bad note " + Quoted(fields[0]) +
                     " (expected 0 to 127 or a name such as C4, F#3, Bb2)");
  note.note = static_cast<int>(*number);
  if (fields.size() > 1) note.velocity = IntegerIn(context + " velocity", fields[1], 1, 127);
  if (fields.size() > 2)
    note.start = DecimalIn(context + " start", fields[2], 0.0, kMaxSeconds, true);
  if (fields.size() > 3)
    note.length = DecimalIn(context + " length", fields[3], 0.0, kMaxSeconds, false);
  return note;
}

RenderOptions ParseRenderOptions(const std::vector<std::string_view>& args)
{
  RenderOptions o;
  ArgumentCursor cursor(args);
  using Handler = std::function<void()>;
  const std::map<std::string_view, Handler> handlers = {
      {"--midi", [&] { o.midiFile = std::filesystem::path(cursor.Value()); }},
      {"--note", [&] { o.notes.push_back(ParseNoteSpec(cursor.Value())); }},
      {"--set", [&] { o.assignments.push_back(ParseAssignment(cursor.Value(), "--set")); }},
      {"--params", [&] { o.paramsFiles.emplace_back(cursor.Value()); }},
      {"--state-in", [&] { o.stateIn = std::filesystem::path(cursor.Value()); }},
      {"--preset", [&] { o.preset = std::filesystem::path(cursor.Value()); }},
      {"--save-preset", [&] { o.savePreset = std::filesystem::path(cursor.Value()); }},
      {"--state-out", [&] { o.stateOut = std::filesystem::path(cursor.Value()); }},
      {"--plugin", [&] { o.plugin = std::filesystem::path(cursor.Value()); }},
      {"--rate", [&] { o.sampleRate = IntegerIn("--rate", cursor.Value(), 8000, 768000); }},
      {"--block", [&] { o.blockSize = IntegerIn("--block", cursor.Value(), 1, 65536); }},
      {"--tempo", [&] { o.tempo = DecimalIn("--tempo", cursor.Value(), 0.0, 1000.0, false); }},
      {"--seconds",
       [&] { o.seconds = DecimalIn("--seconds", cursor.Value(), 0.0, kMaxSeconds, false); }},
      {"--tail", [&] { o.tail = DecimalIn("--tail", cursor.Value(), 0.0, kMaxSeconds, true); }},
      {"--out", [&] { o.out = std::filesystem::path(cursor.Value()); }},
      {"--demo", [&] { o.demo = true; }},
      {"--list-params", [&] { o.listParams = true; }},
      {"--help", [&] { o.help = true; }},
  };
  while (cursor.Next())
  {
    const auto handler = handlers.find(cursor.Option());
    if (handler == handlers.end())
      throw UsageError(
          (cursor.Option().starts_with("-") ? "unknown option " : "unexpected argument ") +
          Quoted(cursor.Option()) + " (see --help)");
    handler->second();
  }
  CheckComplete(o);
  return o;
}

std::string HelpText()
{
  return R"(usage: vantrix-render (--midi FILE | --note NOTE... | --demo) --out FILE.wav [options]
       vantrix-render --list-params [sound and parameter options]
       vantrix-render [sound and parameter options] (--save-preset FILE.vxp | --state-out FILE)

Renders the Vantrix instrument offline into a stereo 32-bit float WAV file.

input
  --midi FILE          Standard MIDI File, format 0 or 1, played with its tempo map
  --note NOTE[:VELOCITY[:START[:LENGTH]]]
                       one note (repeatable); NOTE is 0..127 or a name (C4 = 60, F#3, Bb2);
                       velocity 1..127 (100), start and length in seconds (0 and 1)
  --demo               the bundled demo song with its parameter settings
sound
  --state-in FILE      restore a state chunk as a host does (before everything below)
  --preset FILE.vxp    load a preset file as the preset browser does (before --params);
                       a preset load always switches "A440" off
  --save-preset FILE.vxp
                       write the sound after every setting as a preset file
  --state-out FILE     write the sound after every setting as a state chunk (as a host
                       stores it, without the VST3 binding's own bytes)
parameters
  --set NAME=VALUE     set a parameter (repeatable); NAME is its exact name or its index;
                       VALUE is a number (clamped to the range) or a list text; for lists
                       surrounding spaces may be left out ("Polyphony=4" means "4  ") and the
                       entry index is accepted too
  --params FILE        NAME=VALUE lines (# starts a comment line), applied before --set;
                       a line "@SECONDS NAME=VALUE" is automation: the value at that time
  --list-params        print the parameters (after every setting) as tab-separated lines
                       and exit
rendering
  --plugin PATH.vst3   render through this VST3 plug-in module instead of the built-in
                       instrument, driven through the VST3 interfaces as a host does
  --rate HZ            sample rate (48000)
  --block FRAMES       block size (512)
  --tempo BPM          constant host tempo; MIDI ticks are timed at it (default: the file's
                       tempo map, else 120)
  --seconds S          total length (default: the last event plus the tail)
  --tail S             time after the last event (2)
  --out FILE.wav       output file
  --help               this text

exit status: 0 success, 1 file error, 2 usage error
)";
}
