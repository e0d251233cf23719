#pragma once
// Integer and flag settings copied out of the parameters so that voices read them cheaply.

#include <cstdint>

struct VX_EngineSettings
{
  float sampleRateRatio = 1.0f; // 44100 / sample rate
  bool filterDriveActive = false;
  int32_t filterType = 0;  // 0 LP1, 1 LP2, 2 BP
  int32_t unisonMode = 0;  // "Unison Voices" entry 0..6
  int32_t unisonCount = 1; // 1, 2, 4 or 6 lanes
  int32_t delayType = 0;   // 0..5
  int32_t osc1Type = 0;    // 0..5
  int32_t osc2Type = 0;
  int32_t subType = 0;  // 0..2
  int32_t lfo1Type = 0; // 0..7
  int32_t lfo2Type = 0;
  float lfo2DelayLevel = 0.0f; // 0..1, written every sample
  // Modulation sources in the shared 0..7 numbering.
  int32_t osc1PitchModSource = 0;
  int32_t osc1ParamModSource = 0;
  int32_t osc2PitchModSource = 0;
  int32_t osc2ParamModSource = 0;
  int32_t filterModSource = 0;
  int32_t modWheelDestination = 0;   // 0..4
  int32_t aftertouchDestination = 0; // 0..4
  bool highQuality = false;
  bool arpOn = false;
  int32_t arpMode = 0;           // 0..6
  int32_t arpPitchTo = 0;        // 0..3
  float arpTransposition = 0.0f; // pitch units, written by the arpeggiator every sample
  bool oscRestart = false;
  bool lfo1Restart = false;
  bool lfo2Restart = false;
  bool sustainDown = false;
  int32_t arpRange = 0;  // 0..3
  int32_t polyphony = 1; // 1..8
  float lastTempo = 1.0f;
  int32_t glideMode = 0; // 0..3
  float sampleRate = 0.0f;
};
