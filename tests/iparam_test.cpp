// The parameter model: shapes, snapping and clamping, text formatting and parsing.

#include "plugin/iparam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
std::string Text(const IParam& p, double value)
{
  return p.FormatValue(value, false).c_str();
}
} // namespace

TEST(IParamShapes, WorkedConversions)
{
  IParam decay, highPass, volume;
  decay.InitNumber("Decay", 300, 0, 20000, 0.1, "ms", 0, "", ShapePowCurve(3.5));
  highPass.InitNumber("HP", 0, 20, 6000, 0.1, "Hz", 0, "", ShapeExp(), IParam::kUnitFrequency);
  volume.InitNumber("Volume", 0.25, 0, 1, 0.1, "", 0, "", ShapePowCurve(2.5));

  EXPECT_NEAR(decay.RealFromNormalised(0.5), 20000 * std::pow(0.5, 3.5), 1e-9);
  EXPECT_NEAR(decay.RealFromNormalised(0.5), 1767.767, 1e-3);
  EXPECT_EQ(decay.FormatValue(0.5, true), "1767.8"); // only the text is rounded
  EXPECT_NEAR(highPass.RealFromNormalised(0.5), 20 * std::sqrt(300.0), 1e-9);
  EXPECT_NEAR(volume.DefaultValue(true), std::pow(0.25, 1 / 2.5), 1e-12);
  EXPECT_NEAR(volume.DefaultValue(true), 0.574, 1e-3);
}

TEST(IParamShapes, RoundTripAndEndpoints)
{
  const ShapeLinear linear;
  const ShapePowCurve pow25(2.5);
  const ShapeExp exp;
  for (const Shape* shape : {static_cast<const Shape*>(&linear), static_cast<const Shape*>(&pow25),
                             static_cast<const Shape*>(&exp)})
  {
    IParam p;
    p.InitNumber("p", 100, 20, 6000, 0.1, "", 0, "", *shape);
    EXPECT_NEAR(p.RealFromNormalised(0.0), 20.0, 1e-9);
    EXPECT_NEAR(p.RealFromNormalised(1.0), 6000.0, 1e-9);
    for (double n : {0.1, 0.37, 0.5, 0.9})
      EXPECT_NEAR(p.NormalisedFromReal(p.RealFromNormalised(n)), n, 1e-12);
  }
}

TEST(IParamShapes, CurveKindByExponent)
{
  const struct
  {
    double exponent;
    Shape::ECurve kind;
  } cases[] = {
      {3.5, Shape::ECurve::kCubeRoot}, {2.5, Shape::ECurve::kSquareRoot},
      {1.0, Shape::ECurve::kLinear},   {0.5, Shape::ECurve::kSquared},
      {0.3, Shape::ECurve::kCubed},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShapePowCurve(c.exponent).CurveKind(), c.kind) << c.exponent;
  EXPECT_EQ(ShapeExp().CurveKind(), Shape::ECurve::kLog);
  EXPECT_EQ(ShapeLinear().CurveKind(), Shape::ECurve::kLinear);
}

TEST(IParamInit, TypeComesFromTheFirstInitialiser)
{
  IParam number, integer, list;
  number.InitNumber("n", 0, 0, 1, 0.1);
  integer.InitInteger("i", 0, 0, 10);
  list.InitList("l", 0, 3, "", 0, "", {"a", "b", "c"});
  EXPECT_EQ(number.Type(), IParam::kTypeDouble);
  EXPECT_EQ(integer.Type(), IParam::kTypeInt);
  EXPECT_EQ(list.Type(), IParam::kTypeEnum);
  EXPECT_TRUE(integer.IsStepped());
  EXPECT_TRUE(list.IsStepped());
  EXPECT_FALSE(number.IsStepped());
  EXPECT_EQ(list.Max(), 2.0);
  ASSERT_EQ(list.NumDisplayTexts(), 3);
  EXPECT_EQ(list.DisplayTexts()[2].value, 2.0);
  EXPECT_EQ(list.DisplayTexts()[2].text, "c");
}

TEST(IParamInit, DisplayPrecisionFollowsTheStep)
{
  const struct
  {
    double step;
    int precision;
  } cases[] = {{1, 0}, {0.1, 1}, {0.01, 2}, {0.001, 3}, {0.5, 1}, {1.0 / 3.0, 6}, {5, 0}};
  for (const auto& c : cases)
  {
    IParam p;
    p.InitNumber("p", 0, 0, 100, c.step);
    EXPECT_EQ(p.DisplayPrecision(), c.precision) << "step " << c.step;
  }
}

TEST(IParamInit, MaximumIsRaisedToOneStepAboveMinimum)
{
  IParam p;
  p.InitNumber("p", 0, 5, 2, 0.5);
  EXPECT_EQ(p.Max(), 5.5);
}

TEST(IParamInit, DefaultIsStoredUnclampedButValueStartsInRange)
{
  IParam p;
  p.InitNumber("HP", 0, 20, 6000, 0.1, "Hz", 0, "", ShapeExp());
  EXPECT_EQ(p.Value(), 20.0);
  EXPECT_EQ(p.DefaultValue(), 0.0);
  EXPECT_EQ(p.DefaultValue(true), 0.0);
}

TEST(IParamInit, TextsAreCutAtACharacterBoundary)
{
  IParam p;
  // 30 ASCII bytes then a two-byte character: the character does not fit in 31 bytes.
  const std::string name = std::string(30, 'x') + "\xC3\xA9" + "tail";
  p.InitNumber(name, 0, 0, 1, 0.1);
  EXPECT_EQ(p.Name(), std::string(30, 'x'));
}

TEST(IParamValues, SteppedValuesRoundHalfAwayFromZero)
{
  IParam p;
  p.InitInteger("i", 0, -10, 10);
  const struct
  {
    double in, out;
  } cases[] = {{2.5, 3}, {-2.5, -3}, {2.49, 2}, {11, 10}, {-11, -10}};
  for (const auto& c : cases)
  {
    p.SetValue(c.in);
    EXPECT_EQ(p.Value(), c.out) << c.in;
  }
}

TEST(IParamValues, ListOfSixMapsNormalisedHalfToEntryThree)
{
  IParam p;
  p.InitList("l", 0, 6);
  EXPECT_EQ(p.RealFromNormalised(0.5), 3.0);
  EXPECT_EQ(p.RealFromNormalised(0.3), 2.0);
}

TEST(IParamValues, NormalisedInputOutsideUnitRangeEndsInRange)
{
  IParam linear, pow, exp;
  linear.InitNumber("lin", 0, -1, 1, 0.1);
  pow.InitNumber("pow", 0, 0, 10000, 0.1, "ms", 0, "", ShapePowCurve(3.5));
  exp.InitNumber("exp", 0, 20, 6000, 0.1, "Hz", 0, "", ShapeExp());
  for (IParam* p : {&linear, &pow, &exp})
  {
    EXPECT_EQ(p->RealFromNormalised(1.5), p->Max()) << p->Name();
    EXPECT_EQ(p->RealFromNormalised(-0.5), p->Min()) << p->Name(); // pow(-0.5, 3.5) is NaN
    EXPECT_EQ(p->NormalisedFromReal(p->Max() * 2 + 1), 1.0) << p->Name();
    EXPECT_EQ(p->NormalisedFromReal(p->Min() - 100), 0.0) << p->Name();
  }
}

TEST(IParamValues, NaNNeverEntersTheValue)
{
  IParam p;
  p.InitNumber("p", 0.5, 0, 1, 0.1);
  p.SetValue(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 0.0);
  p.SetNormalised(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.NormalisedFromReal(std::numeric_limits<double>::quiet_NaN()), 0.0);
}

TEST(IParamText, Formatting)
{
  IParam oneDecimal, twoDecimals, integer, signedParam, negated, list;
  oneDecimal.InitNumber("a", 0, -1, 1, 0.1);
  twoDecimals.InitNumber("b", 0, -12, 12, 1);
  twoDecimals.SetDisplayPrecision(2);
  integer.InitNumber("c", 0, 0, 100, 1, "%");
  signedParam.InitNumber("d", 0, -5, 5, 0.01, "", IParam::kFlagSignDisplay);
  negated.InitNumber("e", 0, -5, 5, 0.1, "", IParam::kFlagNegateDisplay);
  list.InitList("f", 0, 3, "", 0, "", {"Zero", "", "Two"});

  const struct
  {
    const IParam& param;
    double value;
    const char* text;
  } cases[] = {
      {oneDecimal, 0.3, "0.3"},    {oneDecimal, -0.0, "0.0"},     {oneDecimal, 1, "1.0"},
      {twoDecimals, 7, "7.00"},    {twoDecimals, -0.0, "0.00"},   {integer, 45, "45"},
      {integer, 45.5, "46"},       {integer, -0.0, "0"},          {signedParam, 2.5, "+2.50"},
      {signedParam, -2.5, "-2.50"}, {signedParam, 0, "0.00"},     {negated, 1.5, "-1.5"},
      {list, 0, "Zero"},           {list, 1, "1"}, // an empty display text falls back to the number
      {list, 2, "Two"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Text(c.param, c.value), c.text) << c.param.Name() << " " << c.value;

  EXPECT_EQ(std::string(list.FormatValue(0, false, false).c_str()), "0");
}

TEST(IParamText, DisplayFunctionReplacesFormatting)
{
  IParam p;
  p.InitNumber("p", 0, 0, 1, 0.1, "", 0, "", ShapeLinear(), IParam::kUnitCustom,
               [](double v) { return ParamText(v > 0.5 ? "high" : "low"); });
  EXPECT_EQ(Text(p, 0.7), "high");
  EXPECT_EQ(Text(p, 0.2), "low");
}

TEST(IParamText, Parsing)
{
  IParam type, number, negated;
  type.InitList("Osc1 Type", 1, 3, "", 0, "", {"Triangle", "Saw", "Pulse"});
  number.InitNumber("n", 0, 0, 100, 0.1);
  negated.InitNumber("neg", 0, -10, 10, 0.1, "", IParam::kFlagNegateDisplay);

  const struct
  {
    const IParam& param;
    const char* text;
    double value;
  } cases[] = {
      {type, "Saw", 1},         {type, "saw", 0}, // exact comparison, then the list fallback
      {type, "2", 0},           {number, "150", 100},  {number, "42.25", 42.25},
      {number, "  7.5ms", 7.5}, {number, "abc", 0},    {number, "-3", 0},
      {number, "nan", 0},       {number, "inf", 0},    {number, "+12", 12},
      {negated, "3", -3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.param.ParseText(c.text), c.value) << c.param.Name() << " '" << c.text << "'";
}

TEST(IParamText, HostUnitLabelIsEmptyWhereADisplayTextApplies)
{
  IParam withTexts, plain;
  withTexts.InitList("l", 0, 2, "st", 0, "", {"Off", "On"});
  plain.InitNumber("p", 0, 0, 10, 0.1, "ms");
  EXPECT_EQ(withTexts.HostUnitLabel(), "");
  EXPECT_EQ(plain.HostUnitLabel(), "ms");
}
