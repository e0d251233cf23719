#pragma once
// What a host sees of the instrument before creating it and what it stores in songs: factory and
// class information and the fixed plug-in configuration.

#include "host/vst3/vst3_base.h"

namespace plugin_identity
{
// Hosts store the class id in songs: it must never change.
inline constexpr vst3::Uid kClassId = vst3::MakeUid(0x5750EA8D, 0xCA0FB4C3, 0x15AEEF50, 0x01F5249F);

inline constexpr const char* kVendor = "Ostryn";
inline constexpr const char* kVendorUrl = "https://vantrix.ostryn.example";
inline constexpr const char* kVendorEmail = "support@ostryn.example";

inline constexpr const char* kPluginName = "Vantrix 2";
inline constexpr const char* kSubCategories = "Instrument|Synth";
inline constexpr const char* kVersionText = "1.0.10";
inline constexpr const char* kSdkVersion = "VST 3.7.0";

/** One internal preset slot; no program list is exported. */
inline constexpr int kNumPresets = 1;
inline constexpr const char* kPresetName = "empty";

/** Channel configuration "2-2": one stereo input bus, one stereo output bus. */
inline constexpr int kInputChannels = 2;
inline constexpr int kOutputChannels = 2;

inline constexpr int kLatencySamples = 0;
inline constexpr int kTailSamples = 0;
} // namespace plugin_identity
