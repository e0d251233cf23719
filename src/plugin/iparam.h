#pragma once
// The parameter record shared by host, editor, engine and state code: one real value with its
// range, step, shape, label and display texts. Every conversion between normalised, real and
// text form goes through here so all of them agree.
//
// Thread contract: after construction only the value changes; it is atomic and may be set and
// read from any thread. All other members are read-only once the plug-in constructor returns.

#include "plugin/param_text.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class IParam;

/** Mapping between the host's normalised 0..1 scale and a parameter's real value. */
class Shape
{
public:
  enum class ECurve
  {
    kLinear,
    kLog,
    kSquared,
    kSquareRoot,
    kCubed,
    kCubeRoot,
  };

  virtual ~Shape() = default;
  /** A new copy of the same concrete shape with the same state. */
  virtual std::unique_ptr<Shape> Copy() const = 0;
  /** Called once with the owning parameter after its range is set. */
  virtual void Prepare(const IParam& param) = 0;
  virtual ECurve CurveKind() const = 0;
  virtual double ToReal(double normalised, const IParam& param) const = 0;
  virtual double ToNormalised(double value, const IParam& param) const = 0;
};

class ShapeLinear final : public Shape
{
public:
  std::unique_ptr<Shape> Copy() const override { return std::make_unique<ShapeLinear>(*this); }
  void Prepare(const IParam&) override {}
  ECurve CurveKind() const override { return ECurve::kLinear; }
  double ToReal(double normalised, const IParam& param) const override;
  double ToNormalised(double value, const IParam& param) const override;
};

class ShapePowCurve final : public Shape
{
public:
  explicit ShapePowCurve(double exponent) : mExponent(exponent) {}
  std::unique_ptr<Shape> Copy() const override { return std::make_unique<ShapePowCurve>(*this); }
  void Prepare(const IParam&) override {}
  ECurve CurveKind() const override;
  double ToReal(double normalised, const IParam& param) const override;
  double ToNormalised(double value, const IParam& param) const override;

private:
  double mExponent;
};

class ShapeExp final : public Shape
{
public:
  std::unique_ptr<Shape> Copy() const override { return std::make_unique<ShapeExp>(*this); }
  void Prepare(const IParam& param) override;
  ECurve CurveKind() const override { return ECurve::kLog; }
  double ToReal(double normalised, const IParam& param) const override;
  double ToNormalised(double value, const IParam& param) const override;

private:
  double mMul = 1.0;
  double mAdd = 1.0;
};

class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool = 1,
    kTypeInt = 2,
    kTypeEnum = 3,
    kTypeDouble = 4,
  };

  enum EParamUnit
  {
    kUnitPercentage = 0,
    kUnitFrequency = 12,
    kUnitCustom = 21,
  };

  enum EFlags
  {
    kFlagsNone = 0,
    kFlagCannotAutomate = 1,
    kFlagStepped = 2,
    kFlagNegateDisplay = 4,
    kFlagSignDisplay = 8,
    kFlagMeta = 16,
  };

  using DisplayFunction = std::function<ParamText(double)>;

  struct DisplayText
  {
    double value;
    ParamText text;
  };

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Initialisers: each parameter gets exactly one of them, right after creation.
  void InitNumber(std::string_view name, double defaultVal, double minVal, double maxVal,
                  double step, std::string_view label = "", int flags = kFlagsNone,
                  std::string_view group = "", const Shape& shape = ShapeLinear(),
                  EParamUnit unit = kUnitCustom, DisplayFunction displayFunc = nullptr);
  void InitInteger(std::string_view name, int defaultVal, int minVal, int maxVal,
                   std::string_view label = "", int flags = kFlagsNone,
                   std::string_view group = "");
  /** A list of count entries; when texts are given, entry i gets texts[i] with value i. */
  void InitList(std::string_view name, int defaultVal, int count, std::string_view label = "",
                int flags = kFlagsNone, std::string_view group = "",
                std::initializer_list<std::string_view> texts = {});

  /** Overrides the precision derived from the step (done only during construction). */
  void SetDisplayPrecision(int precision) { mDisplayPrecision = precision; }

  // Value operations; callable from any thread.
  void SetValue(double value);
  void SetNormalised(double normalised) { SetValue(RealFromNormalised(normalised)); }
  double Value() const { return mValue.load(std::memory_order_relaxed); }
  int Int() const { return static_cast<int>(Value()); }
  bool Bool() const { return Value() >= 0.5; }
  double NormalisedValue() const { return NormalisedFromReal(Value()); }
  double DefaultValue(bool asNormalised = false) const;

  /** Snaps (if stepped) and clamps value into the parameter's range. */
  double Constrain(double value) const;
  double RealFromNormalised(double normalised) const;
  double NormalisedFromReal(double value) const;

  // Text.
  ParamText FormatValue(double value, bool valueIsNormalised, bool withDisplayTexts = true) const;
  ParamText CurrentValueText() const { return FormatValue(Value(), false); }
  double ParseText(std::string_view text) const;
  /** The label, or nothing when a display text stands for the current value. */
  std::string_view HostUnitLabel() const;

  /** The display text whose value equals value exactly, or nullptr. */
  const DisplayText* FindDisplayText(double value) const;
  /** The display text equal to text byte for byte, or nullptr. */
  const DisplayText* FindDisplayText(std::string_view text) const;

  EParamType Type() const { return mType; }
  EParamUnit Unit() const { return mUnit; }
  double Min() const { return mMin; }
  double Max() const { return mMax; }
  double Step() const { return mStep; }
  int DisplayPrecision() const { return mDisplayPrecision; }
  int Flags() const { return mFlags; }
  bool IsStepped() const { return (mFlags & kFlagStepped) != 0; }
  bool CanAutomate() const { return (mFlags & kFlagCannotAutomate) == 0; }
  std::string_view Name() const { return mName.view(); }
  std::string_view Label() const { return mLabel.view(); }
  std::string_view Group() const { return mGroup.view(); }
  const Shape& GetShape() const { return *mShape; }
  const std::vector<DisplayText>& DisplayTexts() const { return mDisplayTexts; }
  int NumDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }

private:
  double Snap(double value) const;

  EParamType mType = kTypeNone;
  EParamUnit mUnit = kUnitCustom;
  std::atomic<double> mValue{0.0};
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  int mFlags = kFlagsNone;
  ParamText mName;
  ParamText mLabel;
  ParamText mGroup;
  std::unique_ptr<Shape> mShape;
  DisplayFunction mDisplayFunction;
  std::vector<DisplayText> mDisplayTexts;
};
