#pragma once
// The parameters a host sees: one per instrument parameter (ids 0 to 93), then the MIDI
// controllers of the first channel with aftertouch and pitch bend (ids 65538 to 65667) for MIDI
// mapping. Each keeps the host-visible normalised value, which only the host's user-interface
// thread reads and writes; the instrument's own values live in its atomic IParam records.
//
// Thread contract: built and used on the host's user-interface thread.

#include "host/vst3/vst3_events.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IPlugProcessor;

struct ExportedParam
{
  enum EFlags
  {
    kCanAutomate = 1 << 0,
    kIsList = 1 << 3,
  };

  vst3::ParamID id = 0;
  std::string title;
  std::string units;
  int stepCount = 0;
  double defaultNormalised = 0.0;
  int flags = 0;
  int unitId = 0;
  double normalised = 0.0; // what the host reads back with getParamNormalized
};

class ExportedParams
{
public:
  /** Unit of the instrument parameters, and of the MIDI controllers. */
  static constexpr int kInstrumentUnit = 0;
  static constexpr int kControllerUnit = 3;

  explicit ExportedParams(IPlugProcessor& plug) : mPlug(plug) {}

  /** UI thread: creates the whole list from the plug-in's parameters. */
  void Build();
  /** UI thread: forgets the list (the plug-in is terminated). */
  void Clear() { mParams.clear(); }

  int Count() const { return static_cast<int>(mParams.size()); }
  /** The parameter at position index in the host's list, or nullptr. */
  const ExportedParam* At(int index) const;
  /** The parameter with this id, or nullptr. */
  ExportedParam* Find(vst3::ParamID id);
  const ExportedParam* Find(vst3::ParamID id) const;

  /** True for ids 0 to 93, which stand for the instrument's own parameters. */
  bool IsInstrumentParam(vst3::ParamID id) const;

  // Conversions of the host's normalised values; id must exist.
  std::string ToText(vst3::ParamID id, double normalised) const;
  std::optional<double> FromText(vst3::ParamID id, std::string_view text) const;
  double ToPlain(vst3::ParamID id, double normalised) const;
  double ToNormalised(vst3::ParamID id, double plain) const;

  /** UI thread: host-visible values of ids 0 to 93 follow the instrument's values. */
  void TakeInstrumentValues();

private:
  IPlugProcessor& mPlug;
  std::vector<ExportedParam> mParams;
};
