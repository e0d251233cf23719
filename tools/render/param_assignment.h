#pragma once
// Setting parameters by name (or index) and value text before rendering, from --set options and
// from parameter files of NAME=VALUE lines; lines "@SECONDS NAME=VALUE" are automation points
// that change the parameter while rendering, as host automation does.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IParam;
class IPlugProcessor;

struct ParamAssignment
{
  std::string name;
  std::string value;
  std::string origin;            // where it came from, for error messages: "--set" or "file:line"
  std::optional<double> seconds; // an automation point's time; none: set before rendering
};

/** A parameter and the real value an assignment stands for. */
struct ResolvedAssignment
{
  int index;
  double value;
};

/** Splits text at its first '='. Throws UsageError when there is none or the name is empty. */
ParamAssignment ParseAssignment(std::string_view text, std::string origin);

/** Reads NAME=VALUE and @SECONDS NAME=VALUE lines; blank lines and lines starting with '#' are
    skipped. Throws FileError when the file cannot be read and UsageError for a line without '='
    or with a time that is not a number of seconds from 0 on. */
std::vector<ParamAssignment> ReadParamsFile(const std::filesystem::path& path);

/** The index of the parameter with exactly this name, else the one whose index the text is. */
std::optional<int> FindParamIndex(const IPlugProcessor& plug, std::string_view nameOrIndex);

/** The real value that text stands for, read as the host's text entry reads it; nullopt when it
    is neither a list text (exact, then ignoring surrounding spaces, then an entry index) nor a
    complete decimal number. Numbers are clamped to the range. */
std::optional<double> ParamValueFromText(const IParam& param, std::string_view text);

/** The parameter and value. Throws UsageError for an unknown name or an unparsable value. */
ResolvedAssignment ResolveAssignment(const IPlugProcessor& plug, const ParamAssignment& assignment);

/** Sets the parameter's value. Throws UsageError for an unknown name or an unparsable value. */
void ApplyAssignment(IPlugProcessor& plug, const ParamAssignment& assignment);
