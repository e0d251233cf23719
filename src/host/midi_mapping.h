#pragma once
// MIDI over VST3. Hosts deliver MIDI controllers, channel pressure and pitch bend as values of
// parameters the plug-in assigns to them (130 per channel: controllers 0 to 127, then
// aftertouch and pitch bend), and notes as events. These functions turn both into the
// instrument's MIDI messages.

#include "host/vst3/vst3_controller.h"
#include "host/vst3/vst3_events.h"
#include "plugin/imidi_msg.h"

#include <optional>

namespace midi_mapping
{
inline constexpr vst3::ParamID kBypassParamId = 65536;
inline constexpr vst3::ParamID kPresetParamId = 65537;
inline constexpr vst3::ParamID kFirstControllerParamId = 65538;
inline constexpr int kControllersPerChannel = vst3::kCountCtrlNumber;
/** Only the first channel's controllers are assigned (and exported as parameters). */
inline constexpr int kMappedChannels = 1;

/** The parameter id assigned to controller (0 to 129) on channel. */
constexpr vst3::ParamID ControllerParamId(int channel, int controller)
{
  return kFirstControllerParamId +
         static_cast<vst3::ParamID>(channel * kControllersPerChannel + controller);
}

/** True for the ids that carry MIDI controllers (any channel). */
constexpr bool IsControllerParam(vst3::ParamID id)
{
  return id >= kFirstControllerParamId;
}

/** The assignment for (bus, channel, controller), or nothing where none exists. */
std::optional<vst3::ParamID> Assignment(int bus, int channel, int controller);

/** The message for the value (0 to 1) of controller parameter id at sampleOffset: control
    change, channel pressure or pitch bend on the id's channel. */
IMidiMsg MessageFromControllerParam(vst3::ParamID id, double value, int sampleOffset);

/** The message for a note-on, note-off or polyphonic-pressure event; nothing for other
    events and for pitches outside 0 to 127. */
std::optional<IMidiMsg> MessageFromEvent(const vst3::Event& event);
} // namespace midi_mapping
