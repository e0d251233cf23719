#include "host/midi_mapping.h"

#include <algorithm>

namespace midi_mapping
{
namespace
{
constexpr int kPitchBendCentre = 8192;
constexpr int kPitchBendMax = 16383;

/** value limited to 0..1; a NaN from a host counts as 0. */
template <class Real>
Real UnitRange(Real value)
{
  return value > Real(0) ? std::min(value, Real(1)) : Real(0);
}

/** A 7-bit value from a host's 0..1 value, truncated. Velocities and pressures are
    single-precision in events and are scaled in single precision, so that a host's v / 127
    comes back as v. */
template <class Real>
int SevenBit(Real value)
{
  return static_cast<int>(UnitRange(value) * Real(127));
}

IMidiMsg Message(int offset, int kind, int channel, int data1, int data2)
{
  return IMidiMsg::Make(offset, kind, channel, data1, data2);
}
} // namespace

std::optional<vst3::ParamID> Assignment(int bus, int channel, int controller)
{
  if (bus != 0 || channel < 0 || channel >= kMappedChannels || controller < 0 ||
      controller >= kControllersPerChannel)
    return std::nullopt;
  return ControllerParamId(channel, controller);
}

IMidiMsg MessageFromControllerParam(vst3::ParamID id, double value, int sampleOffset)
{
  const int k = static_cast<int>(id - kFirstControllerParamId);
  const int channel = k / kControllersPerChannel;
  const int controller = k % kControllersPerChannel;
  if (controller == vst3::kAfterTouch)
    return Message(sampleOffset, IMidiMsg::kChannelAftertouch, channel, SevenBit(value), 0);
  if (controller == vst3::kPitchBend)
  {
    const double bend = 2.0 * UnitRange(value) - 1.0;
    const int v =
        std::clamp(kPitchBendCentre - static_cast<int>(bend * -kPitchBendCentre), 0, kPitchBendMax);
    return Message(sampleOffset, IMidiMsg::kPitchWheel, channel, v & 0x7F, v >> 7);
  }
  return Message(sampleOffset, IMidiMsg::kControlChange, channel, controller, SevenBit(value));
}

std::optional<IMidiMsg> MessageFromEvent(const vst3::Event& event)
{
  const auto inPitchRange = [](int pitch) { return pitch >= 0 && pitch <= 127; };
  switch (event.type)
  {
  case vst3::Event::kNoteOnEvent:
    if (!inPitchRange(event.noteOn.pitch)) return std::nullopt;
    return Message(event.sampleOffset, IMidiMsg::kNoteOn, event.noteOn.channel, event.noteOn.pitch,
                   SevenBit(event.noteOn.velocity));
  case vst3::Event::kNoteOffEvent:
    // Release velocity is not used: a note off always carries 0.
    if (!inPitchRange(event.noteOff.pitch)) return std::nullopt;
    return Message(event.sampleOffset, IMidiMsg::kNoteOff, event.noteOff.channel,
                   event.noteOff.pitch, 0);
  case vst3::Event::kPolyPressureEvent:
    if (!inPitchRange(event.polyPressure.pitch)) return std::nullopt;
    return Message(event.sampleOffset, IMidiMsg::kPolyAftertouch, event.polyPressure.channel,
                   event.polyPressure.pitch, SevenBit(event.polyPressure.pressure));
  default:
    return std::nullopt;
  }
}
} // namespace midi_mapping
