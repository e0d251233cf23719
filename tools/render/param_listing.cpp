#include "render/param_listing.h"

#include "plugin/plug_processor.h"
#include "render/number_text.h"

#include <string>

namespace
{
std::string JoinedTexts(const IParam& param)
{
  std::string joined;
  const auto& texts = param.DisplayTexts();
  for (std::size_t i = 0; i < texts.size(); ++i)
  {
    if (i > 0) joined += '|';
    joined += texts[i].text.view();
  }
  return joined;
}
} // namespace

void WriteParamList(const IPlugProcessor& plug, std::ostream& out)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam& p = *plug.GetParam(i);
    const bool isList = p.Type() == IParam::kTypeEnum;
    const double defaultValue = p.DefaultValue();
    out << i << '\t' << p.Name() << '\t' << (isList ? "list" : "number") << '\t'
        << ShortNumberText(p.Min()) << '\t' << ShortNumberText(p.Max()) << '\t'
        << ShortNumberText(defaultValue) << '\t' << p.FormatValue(defaultValue, false).view()
        << '\t' << p.DisplayPrecision() << '\t' << p.Flags() << '\t' << p.CurrentValueText().view()
        << '\t' << (isList ? JoinedTexts(p) : std::string()) << '\n';
  }
}
