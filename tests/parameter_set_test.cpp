// The instrument's parameter set as the host and the editor see it. The persistent identity of
// every parameter (index, name, range, default, texts) is pinned by the golden listing test.

#include "plugin/parameter_set.h"
#include "plugin/vantrix.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{
class ParameterSet : public ::testing::Test
{
protected:
  std::unique_ptr<Vantrix> plug = std::make_unique<Vantrix>();

  std::string Text(int index) { return plug->GetParam(index)->CurrentValueText().c_str(); }
  std::string Format(int index, double value)
  {
    return plug->GetParam(index)->FormatValue(value, false).c_str();
  }
};
} // namespace

TEST_F(ParameterSet, HasNinetyFourParameters)
{
  EXPECT_EQ(plug->NParams(), 94);
  EXPECT_EQ(kNumParams, 94);
}

TEST_F(ParameterSet, FormattedValues)
{
  const struct
  {
    int index;
    double value;
    const char* text;
  } cases[] = {
      {kTune, 7, "7.00"},           {kOsc1Freq, -12, "-12.00"}, {kOsc2Freq, 0.5, "0.50"},
      {kFxParam3, 0.3, "0.3"},      {kFxMix, 45, "45"},         {kAmpEnvDecay, 300, "300.0"},
      {kOsc1Scale, 0, "16\""},      {kSubOctave, 1, "-2 Octaves"},
      {kFxTimeSynced, 8, "1/8"},    {kLfo1FreqSynced, 11, "1/8"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.index, c.value), c.text) << plug->GetParam(c.index)->Name();
}

TEST_F(ParameterSet, InitialValuesAndTexts)
{
  EXPECT_EQ(Text(kPolyphony), "8  ");
  EXPECT_EQ(Text(kTranspose), "0");
  EXPECT_EQ(Text(kOsc1Type), "Saw");
  EXPECT_EQ(plug->GetParam(kHighPassFilter)->Value(), 20.0);
  EXPECT_EQ(plug->GetParam(kHighPassFilter)->DefaultValue(true), 0.0);
}

TEST_F(ParameterSet, DriftIsCappedAtItsMaximum)
{
  plug->GetParam(kDrift)->SetValue(100);
  EXPECT_EQ(plug->GetParam(kDrift)->Value(), 99.9);
}

TEST_F(ParameterSet, NumbersMoveFreelyWhileListsAreStepped)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam& p = *plug->GetParam(i);
    const bool isList = p.Type() == IParam::kTypeEnum;
    EXPECT_EQ(p.IsStepped(), isList) << p.Name();
    EXPECT_EQ(isList, p.NumDisplayTexts() > 0) << p.Name();
    EXPECT_TRUE(p.Group().empty()) << p.Name();
    if (isList)
    {
      EXPECT_EQ(p.NumDisplayTexts(), static_cast<int>(p.Max()) + 1) << p.Name();
    }
  }
  // A number keeps every digit of its value; only its text is rounded.
  plug->GetParam(kOsc1Freq)->SetValue(3.3);
  EXPECT_EQ(plug->GetParam(kOsc1Freq)->Value(), 3.3);
}

TEST_F(ParameterSet, OnlyPanModeAndReservedCannotBeAutomated)
{
  for (int i = 0; i < kNumParams; ++i)
    EXPECT_EQ(plug->GetParam(i)->CanAutomate(), i != kPanMode && i != kReserved15)
        << plug->GetParam(i)->Name();
}

TEST_F(ParameterSet, UnitsAndPrecisionOverrides)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam& p = *plug->GetParam(i);
    const IParam::EParamUnit unit = i == kFxMix            ? IParam::kUnitPercentage
                                    : i == kHighPassFilter ? IParam::kUnitFrequency
                                                           : IParam::kUnitCustom;
    EXPECT_EQ(p.Unit(), unit) << p.Name();
  }
  for (int index : {kOsc1Freq, kOsc2Freq, kTune})
    EXPECT_EQ(plug->GetParam(index)->DisplayPrecision(), 2);
  EXPECT_EQ(plug->GetParam(kFxMix)->DisplayPrecision(), 0);
}
