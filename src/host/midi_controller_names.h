#pragma once
// The names under which the 128 MIDI controllers appear as host parameters for MIDI mapping.

#include <string_view>

/** Name of MIDI controller number controller (0 to 127). */
std::string_view MidiControllerName(int controller);
