#include "render/param_assignment.h"

#include "plugin/plug_processor.h"
#include "render/number_text.h"
#include "render/render_error.h"

#include <cmath>
#include <fstream>

namespace
{
std::string_view TrimSpaces(std::string_view text)
{
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool IsList(const IParam& param)
{
  return param.Type() == IParam::kTypeEnum;
}

std::optional<double> ListValueFromText(const IParam& param, std::string_view text)
{
  if (param.FindDisplayText(text)) return param.ParseText(text);
  // Several list texts carry trailing spaces ("4  "), which nobody types.
  const std::string_view trimmed = TrimSpaces(text);
  for (const IParam::DisplayText& entry : param.DisplayTexts())
    if (TrimSpaces(entry.text.view()) == trimmed) return entry.value;
  if (const auto index = ParseInteger(text);
      index && *index >= param.Min() && *index <= param.Max())
    return static_cast<double>(*index);
  return std::nullopt;
}
} // namespace

ParamAssignment ParseAssignment(std::string_view text, std::string origin)
{
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0)
    throw UsageError(origin + ": expected NAME=VALUE, got \"" + std::string(text) + "\"");
  return {std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)),
          std::move(origin), std::nullopt};
}

std::vector<ParamAssignment> ReadParamsFile(const std::filesystem::path& path)
{
  const std::string name = path.string();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) throw FileError(name + ": no such file");
  if (std::filesystem::is_directory(path, ec))
    throw FileError(name + ": is a directory, not a parameter file");
  std::ifstream in(path);
  if (!in) throw FileError(name + ": cannot open for reading");

  std::vector<ParamAssignment> assignments;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number)
  {
    // Files written on Windows end their lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string origin = name + ":" + std::to_string(number);
    std::optional<double> seconds;
    std::string_view text = line;
    if (text[0] == '@')
    {
      const std::size_t space = text.find(' ');
      const std::string_view time = text.substr(1, space == std::string_view::npos ? 0 : space - 1);
      seconds = ParseDecimal(time);
      if (!seconds || !(*seconds >= 0.0) || !std::isfinite(*seconds))
        throw UsageError(origin + ": expected @SECONDS NAME=VALUE, got \"" + line + "\"");
      text = TrimSpaces(text.substr(space));
    }
    assignments.push_back(ParseAssignment(text, origin));
    assignments.back().seconds = seconds;
  }
  if (in.bad()) throw FileError(name + ": read error");
  return assignments;
}

std::optional<int> FindParamIndex(const IPlugProcessor& plug, std::string_view nameOrIndex)
{
  for (int i = 0; i < plug.NParams(); ++i)
    if (plug.GetParam(i)->Name() == nameOrIndex) return i;
  if (const auto index = ParseInteger(nameOrIndex); index && *index >= 0 && *index < plug.NParams())
    return static_cast<int>(*index);
  return std::nullopt;
}

std::optional<double> ParamValueFromText(const IParam& param, std::string_view text)
{
  if (IsList(param)) return ListValueFromText(param, text);
  if (!ParseDecimal(text)) return std::nullopt;
  return param.ParseText(text);
}

ResolvedAssignment ResolveAssignment(const IPlugProcessor& plug, const ParamAssignment& assignment)
{
  const std::optional<int> index = FindParamIndex(plug, assignment.name);
  if (!index)
    throw UsageError(assignment.origin + ": unknown parameter \"" + assignment.name + "\"");
  const IParam& param = *plug.GetParam(*index);
  const std::optional<double> value = ParamValueFromText(param, assignment.value);
  if (!value)
    throw UsageError(assignment.origin + ": unparsable value \"" + assignment.value +
                     "\" for parameter \"" + std::string(param.Name()) + "\"");
  return {*index, *value};
}

void ApplyAssignment(IPlugProcessor& plug, const ParamAssignment& assignment)
{
  const ResolvedAssignment resolved = ResolveAssignment(plug, assignment);
  plug.GetParam(resolved.index)->SetValue(resolved.value);
}
