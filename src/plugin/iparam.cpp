#include "plugin/iparam.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace
{
double ClampUnit(double n)
{
  return std::isnan(n) ? 0.0 : std::clamp(n, 0.0, 1.0);
}

// Formatting and parsing go through to_chars/from_chars rather than printf/strtod so that the
// host's locale can never turn "0.5" into "0,5".
ParamText FixedText(double d, int precision, bool withPlusSign)
{
  char buf[64];
  char* p = buf;
  if (withPlusSign && d > 0.0)
    *p++ = '+';
  auto result = std::to_chars(p, buf + sizeof(buf) - 1, d, std::chars_format::fixed, precision);
  *result.ptr = '\0';
  return ParamText(buf);
}

ParamText IntegerText(double d)
{
  char buf[32];
  auto result = std::to_chars(buf, buf + sizeof(buf) - 1, std::llround(d));
  *result.ptr = '\0';
  return ParamText(buf);
}

/** Reads the leading decimal number of text; 0 when it starts with none. */
double LeadingNumber(std::string_view text)
{
  std::size_t i = text.find_first_not_of(" \t\n\r\f\v");
  if (i == std::string_view::npos)
    return 0.0;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-')
  {
    negative = text[i] == '-';
    ++i;
  }
  // Only digits or a decimal point may start the number: "inf", "nan" and hex are not decimal.
  if (i >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
    return 0.0;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + i, text.data() + text.size(), value,
                                      std::chars_format::general);
  if (result.ec != std::errc())
    return 0.0;
  return negative ? -value : value;
}
} // namespace

// --- Shapes ---------------------------------------------------------------------------------

double ShapeLinear::ToReal(double n, const IParam& param) const
{
  return param.Min() + n * (param.Max() - param.Min());
}

double ShapeLinear::ToNormalised(double v, const IParam& param) const
{
  return (v - param.Min()) / (param.Max() - param.Min());
}

Shape::ECurve ShapePowCurve::CurveKind() const
{
  if (mExponent > 2.5)
    return ECurve::kCubeRoot;
  if (mExponent > 1.5)
    return ECurve::kSquareRoot;
  if (mExponent < 0.4)
    return ECurve::kCubed;
  if (mExponent < 2.0 / 3.0)
    return ECurve::kSquared;
  return ECurve::kLinear;
}

double ShapePowCurve::ToReal(double n, const IParam& param) const
{
  return param.Min() + (param.Max() - param.Min()) * std::pow(n, mExponent);
}

double ShapePowCurve::ToNormalised(double v, const IParam& param) const
{
  return std::pow((v - param.Min()) / (param.Max() - param.Min()), 1.0 / mExponent);
}

void ShapeExp::Prepare(const IParam& param)
{
  const double m = param.Min() > 0.0 ? param.Min() : 1e-8;
  mAdd = std::log(m);
  mMul = std::log(param.Max() / m);
}

double ShapeExp::ToReal(double n, const IParam&) const
{
  return std::exp(mAdd + n * mMul);
}

double ShapeExp::ToNormalised(double v, const IParam&) const
{
  return (std::log(v) - mAdd) / mMul;
}

// --- Initialisers ---------------------------------------------------------------------------

void IParam::InitNumber(std::string_view name, double defaultVal, double minVal, double maxVal,
                        double step, std::string_view label, int flags, std::string_view group,
                        const Shape& shape, EParamUnit unit, DisplayFunction displayFunc)
{
  if (mType == kTypeNone)
    mType = kTypeDouble;

  mName.Assign(name);
  mLabel.Assign(label);
  mGroup.Assign(group);

  mMin = minVal;
  mMax = std::max(maxVal, minVal + step);
  mStep = step;
  mDefault = defaultVal;
  mUnit = unit;
  mFlags = flags;
  mDisplayFunction = std::move(displayFunc);

  SetValue(defaultVal);

  mDisplayPrecision = 0;
  for (double s = step; mDisplayPrecision < 6 && s != std::round(s); s *= 10.0)
    ++mDisplayPrecision;

  mShape = shape.Copy();
  mShape->Prepare(*this);
}

void IParam::InitInteger(std::string_view name, int defaultVal, int minVal, int maxVal,
                         std::string_view label, int flags, std::string_view group)
{
  if (mType == kTypeNone)
    mType = kTypeInt;
  InitNumber(name, defaultVal, minVal, maxVal, 1.0, label, flags | kFlagStepped, group,
             ShapeLinear(), kUnitCustom, nullptr);
}

void IParam::InitList(std::string_view name, int defaultVal, int count, std::string_view label,
                      int flags, std::string_view group,
                      std::initializer_list<std::string_view> texts)
{
  if (mType == kTypeNone)
    mType = kTypeEnum;
  InitInteger(name, defaultVal, 0, count - 1, label, flags, group);
  int index = 0;
  for (std::string_view text : texts)
    mDisplayTexts.push_back({static_cast<double>(index++), ParamText(text)});
}

// --- Values ---------------------------------------------------------------------------------

double IParam::Snap(double value) const
{
  return IsStepped() ? std::round(value / mStep) * mStep : value;
}

double IParam::Constrain(double value) const
{
  // A NaN from a host or from a power curve fed a negative input must not leave the range.
  if (std::isnan(value))
    return mMin;
  return std::clamp(Snap(value), mMin, mMax);
}

void IParam::SetValue(double value)
{
  mValue.exchange(Constrain(value), std::memory_order_relaxed);
}

double IParam::RealFromNormalised(double normalised) const
{
  return Constrain(mShape->ToReal(normalised, *this));
}

double IParam::NormalisedFromReal(double value) const
{
  return ClampUnit(mShape->ToNormalised(Constrain(value), *this));
}

double IParam::DefaultValue(bool asNormalised) const
{
  return asNormalised ? NormalisedFromReal(mDefault) : mDefault;
}

// --- Text -----------------------------------------------------------------------------------

const IParam::DisplayText* IParam::FindDisplayText(double value) const
{
  for (const DisplayText& entry : mDisplayTexts)
    if (entry.value == value)
      return &entry;
  return nullptr;
}

const IParam::DisplayText* IParam::FindDisplayText(std::string_view text) const
{
  for (const DisplayText& entry : mDisplayTexts)
    if (entry.text == text)
      return &entry;
  return nullptr;
}

ParamText IParam::FormatValue(double value, bool valueIsNormalised, bool withDisplayTexts) const
{
  if (valueIsNormalised)
    value = RealFromNormalised(value);

  if (mDisplayFunction)
    return mDisplayFunction(value);

  if (withDisplayTexts)
    if (const DisplayText* entry = FindDisplayText(value); entry && !entry->text.empty())
      return entry->text;

  double d = (mFlags & kFlagNegateDisplay) ? -value : value;
  if (d == 0.0)
    d = 0.0; // turns -0.0 into 0.0

  if (mDisplayPrecision == 0)
    return IntegerText(d);
  const bool withPlusSign = (mFlags & kFlagSignDisplay) && d != 0.0;
  return FixedText(d, mDisplayPrecision, withPlusSign);
}

double IParam::ParseText(std::string_view text) const
{
  if (const DisplayText* entry = FindDisplayText(text))
    return entry->value;
  if (mType == kTypeBool || mType == kTypeEnum)
    return 0.0;
  double value = LeadingNumber(text);
  if (mFlags & kFlagNegateDisplay)
    value = -value;
  return Constrain(value);
}

std::string_view IParam::HostUnitLabel() const
{
  const DisplayText* entry = FindDisplayText(std::trunc(Value()));
  return (entry && !entry->text.empty()) ? std::string_view() : Label();
}
