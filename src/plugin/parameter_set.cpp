#include "plugin/parameter_set.h"

#include "plugin/plug_processor.h"

#include <initializer_list>
#include <string_view>

namespace
{
using Texts = std::initializer_list<std::string_view>;

const Texts kOscTypeTexts = {"Triangle",   "Saw",      "Pulse",
                                 "Sync Pulse", "Sync Saw", "Saw to Pulse"};
const Texts kOscScaleTexts = {"16\"", "8\"", "4\""};
const Texts kModSourceTexts = {"-",
                                   "LFO1",
                                   "LFO2",
                                   "LFO1 + LFO2",
                                   "Amp Envelope",
                                   "Filter Envelope",
                                   "LFO1 Delay Envelope",
                                   "LFO2 Delay Envelope"};
const Texts kFilterModSourceTexts = {"-",
                                         "LFO1",
                                         "LFO2",
                                         "LFO1 + LFO2",
                                         "Amp Envelope",
                                         "LFO1 Delay Envelope",
                                         "LFO2 Delay Envelope"};
const Texts kOnOffTexts = {"OFF", "ON"};
const Texts kLfoTypeTexts = {"Sine",  "Triangle",         "Saw",    "Saw (Unipolar)",
                                 "Pulse", "Pulse (Unipolar)", "Random", "Noise"};
const Texts kWheelDestinationTexts = {"-", "LFO1 (Mod source)", "LFO2 (Mod source)",
                                          "LFO1 + LFO2 (Mod source)", "Filter cutoff"};
// Longest to shortest; used by the LFOs and the arpeggiator.
const Texts kSyncedTexts = {"8/1",   "4/1", "2/1",  "1/1",  "1/2.", "1/2",  "1/4.",
                                "1/2T",  "1/4", "1/8.", "1/4T", "1/8",  "1/16.", "1/8T",
                                "1/16",  "1/32.", "1/16T", "1/32", "1/32T", "1/64"};
// Shortest to longest, never above one bar; used by the delay time.
const Texts kFxSyncedTexts = {"1/64", "1/32T", "1/32", "1/16T", "1/32.", "1/16",
                                  "1/8T", "1/16.", "1/8",  "1/4T",  "1/8.",  "1/4",
                                  "1/2T", "1/4.",  "1/2",  "1/2.",  "1/1"};

const ShapeLinear kLinear;
const ShapePowCurve kPow25(2.5);
const ShapePowCurve kPow35(3.5);
const ShapeExp kExp;

class ParameterSetBuilder
{
public:
  explicit ParameterSetBuilder(IPlugProcessor& plug) : mPlug(plug) {}

  /** A number with step 0.1, no label and a linear shape: the set's most common kind. */
  void Knob(int index, std::string_view name, double defaultVal, double minVal = 0.0,
            double maxVal = 1.0)
  {
    Number(index, name, defaultVal, minVal, maxVal, 0.1, "", kLinear);
  }

  void Number(int index, std::string_view name, double defaultVal, double minVal, double maxVal,
              double step, std::string_view label, const Shape& shape,
              IParam::EParamUnit unit = IParam::kUnitCustom, int flags = IParam::kFlagsNone)
  {
    mPlug.GetParam(index)->InitNumber(name, defaultVal, minVal, maxVal, step, label, flags, "",
                                      shape, unit);
  }

  void List(int index, std::string_view name, int defaultVal, Texts texts,
            int flags = IParam::kFlagsNone)
  {
    mPlug.GetParam(index)->InitList(name, defaultVal, static_cast<int>(texts.size()), "", flags,
                                    "", texts);
  }

  void Precision(int index, int decimals) { mPlug.GetParam(index)->SetDisplayPrecision(decimals); }

private:
  IPlugProcessor& mPlug;
};
} // namespace

void InitParameterSet(IPlugProcessor& plug)
{
  ParameterSetBuilder b(plug);
  constexpr int kNotAutomatable = IParam::kFlagCannotAutomate;

  b.List(kOsc1Type, "Osc1 Type", 1, kOscTypeTexts);
  b.List(kOsc1Scale, "Osc1 Scale", 1, kOscScaleTexts);
  b.Number(kOsc1Freq, "Osc1 Freq", 0, -12, 12, 1, "st", kLinear);
  b.Knob(kOsc1Param, "Osc1 Param", 0.5);
  b.Knob(kOsc1FreqMod, "Osc1 Freq Mod", 0, -1, 1);
  b.List(kOsc1FreqModSource, "Osc1 Freq Mod Source", 0, kModSourceTexts);
  b.Knob(kOsc1ParamMod, "Osc1 Param Mod", 0, -1, 1);
  b.List(kOsc1ParamModSource, "Osc1 Param Mod Source", 0, kModSourceTexts);

  b.List(kOsc2Type, "Osc2 Type", 1, kOscTypeTexts);
  b.List(kOsc2Scale, "Osc2 Scale", 1, kOscScaleTexts);
  b.Number(kOsc2Freq, "Osc2 Freq", 0, -12, 12, 1, "st", kLinear);
  b.Knob(kOsc2Param, "Osc2 Param", 0.5);
  b.Knob(kOsc2FreqMod, "Osc2 Freq Mod", 0, -1, 1);
  b.List(kOsc2FreqModSource, "Osc2 Freq Mod Source", 0, kModSourceTexts);
  b.Knob(kOsc2ParamMod, "Osc2 Param Mod", 0, -1, 1);
  b.List(kOsc2ParamModSource, "Osc2 Param Mod Source", 0, kModSourceTexts);

  b.List(kSubType, "Sub Type", 2, {"Triangle", "Saw", "Square"});
  b.List(kSubOctave, "Sub Octave", 0, {"-1 Octave", "-2 Octaves"});
  b.List(kOscRestart, "Osc Restart", 0, {"Off", "Restart phase on note"});

  b.List(kFilterType, "Filter Type", 0, {"FILTER LP1", "FILTER LP2", "FILTER BP"});
  b.Knob(kFilterCutoff, "Filter Cutoff", 1);
  b.Knob(kFilterMod, "Filter Mod", 0, -1, 1);
  b.List(kFilterModSource, "Filter Mod Source", 0, kFilterModSourceTexts);
  b.Knob(kFilterResonance, "Filter Resonance", 0);
  b.Knob(kFilterEnvelope, "Filter Envelope", 0.5);
  b.Knob(kFilterKeyTracking, "Filter Key Tracking", 1);
  b.Knob(kFilterDrive, "Filter Drive", 0);

  b.Knob(kOsc1Volume, "Osc1 Volume", 1);
  b.Knob(kOsc2Volume, "Osc2 Volume", 0);
  b.Knob(kSubVolume, "Sub Volume", 0);
  b.Knob(kNoiseVolume, "Noise Volume", 0);
  b.Knob(kRingModVolume, "Ring Modulation Volume", 0);
  b.Number(kTune, "Tune", 0, -12, 12, 1, "st", kLinear);
  b.Number(kVolume, "Volume", 0.25, 0, 1, 0.1, "", kPow25);

  b.Number(kAmpEnvAttack, "Amp Env Attack", 0, 0, 10000, 0.1, "ms", kPow35);
  b.Number(kAmpEnvDecay, "Amp Env Decay", 300, 0, 20000, 0.1, "ms", kPow35);
  b.Knob(kAmpEnvSustain, "Amp Env Sustain", 1);
  b.Number(kAmpEnvRelease, "Amp Env Release", 40, 0, 20000, 0.1, "ms", kPow35);
  b.Knob(kAmpEnvVelocity, "Amp Env Velocity", 0);
  b.Number(kFilterEnvAttack, "Filter Env Attack", 0, 0, 10000, 0.1, "ms", kPow35);
  b.Number(kFilterEnvDecay, "Filter Env Decay", 300, 0, 20000, 0.1, "ms", kPow35);
  b.Knob(kFilterEnvSustain, "Filter Env Sustain", 0);
  b.Number(kFilterEnvRelease, "Filter Env Release", 300, 0, 20000, 0.1, "ms", kPow35);
  b.Knob(kFilterEnvVelocity, "Filter Env Velocity", 0);

  b.List(kLfo1Restart, "LFO1 Restart", 0, kOnOffTexts);
  b.List(kLfo1TempoSync, "LFO1 Tempo Sync", 0, kOnOffTexts);
  b.List(kLfo1Type, "LFO1 Type", 0, kLfoTypeTexts);
  b.Number(kLfo1Freq, "LFO1 Freq", 4, 0, 50, 0.1, "Hz", kPow25);
  b.List(kLfo1FreqSynced, "LFO1 Freq (Synced)", 11, kSyncedTexts);
  b.Number(kLfo1Delay, "LFO1 Delay", 0, 0, 10000, 0.1, "ms", kPow35);
  b.List(kLfo2Restart, "LFO2 Restart", 0, kOnOffTexts);
  b.List(kLfo2TempoSync, "LFO2 Tempo Sync", 0, kOnOffTexts);
  b.List(kLfo2Type, "LFO2 Type", 0, kLfoTypeTexts);
  b.Number(kLfo2Freq, "LFO2 Freq", 4, 0, 50, 0.1, "Hz", kPow25);
  b.List(kLfo2FreqSynced, "LFO2 Freq (Synced)", 11, kSyncedTexts);
  b.Number(kLfo2Delay, "LFO2 Delay", 0, 0, 10000, 0.1, "ms", kPow35);

  b.Knob(kOsc1PhaseOffset, "Osc1 Phase Offset", 0.5);
  b.Knob(kOsc2PhaseOffset, "Osc2 Phase Offset", 0.5);

  b.Knob(kFxParam1, "FX Param 1", 0);
  b.List(kDelayType, "Delay Type", 1,
         {"DELAY", "PING PONG", "DIFF DELAY", "TAPE DELAY", "PHASE DELAY 1", "PHASE DELAY 2"});
  b.List(kFxTempoSync, "FX Tempo Sync", 1, kOnOffTexts);
  b.Number(kFxTime, "FX Time", 300, 0, 2000, 0.1, "ms", kPow25);
  b.List(kFxTimeSynced, "FX Time (Synced)", 8, kFxSyncedTexts);
  b.Knob(kFxParam2, "FX Param 2", 0.5);
  b.Knob(kFxParam3, "FX Param 3", 0.3);
  b.Number(kFxParam4, "FX Param 4", 0.25, 0, 1, 0.1, "", kPow35);
  b.Number(kFxMix, "FX Mix", 0, 0, 100, 1, "%", kLinear, IParam::kUnitPercentage);

  b.List(kA440, "A440", 0, kOnOffTexts);
  b.List(kPanMode, "Pan Mode", 0, {"-", "KEYB"}, kNotAutomatable);
  b.List(kTranspose, "Transpose", 3, {"+3", "+2", "+1", "0", "-1", "-2", "-3"});
  b.Number(kDrift, "Drift", 0, 0, 99.9, 0.1, "", kLinear);
  b.List(kPolyphony, "Polyphony", 7, {"1  ", "2  ", "3  ", "4  ", "5  ", "6  ", "7  ", "8  "});
  b.Number(kGlide, "Glide", 0, 0, 5000, 0.1, "ms", kPow25);
  b.List(kGlideMode, "Glide Mode", 0, {"Off", "Auto", "Auto & Retrigger Envelopes", "On"});

  b.List(kArpPitchTo, "ARP Pitch To", 0,
         {"All Oscillators", "Osc1 & Sub", "Osc1 & Osc2", "Osc2"});
  b.List(kArpTempoSync, "ARP Tempo Sync", 1, kOnOffTexts);
  b.List(kArpRange, "ARP Range", 1, {"1", "2", "3", "4"});
  b.List(kArpMode, "ARP Mode", 0,
         {"Off", "Up", "Down", "Up Down", "Sequencer Play (Poly)", "Sequencer Play (Seq)",
          "Sequencer Record"});
  b.Knob(kArpTempo, "ARP Tempo", 4, 0, 25);
  b.List(kArpTempoSynced, "ARP Tempo Synced", 14, kSyncedTexts);

  b.List(kModWheelDestination, "Mod Wheel Destination", 0, kWheelDestinationTexts);
  b.List(kPitchBendRange, "Pitch Bend Range", 0,
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"});
  b.List(kQuality, "Quality", 0, {"Medium", "High"});
  b.List(kUnisonVoices, "Unison Voices", 0,
         {"1 Voice", "2 Voices", "4 Voices", "6 Voices", "4 Voice Emulation (Low CPU)",
          "8 Voice Emulation (Low CPU)", "6 Voices * 8 Voice Emulation"});
  b.Knob(kUnisonDetune, "Unison Detune", 0);
  b.Knob(kUnisonStereo, "Unison Stereo", 0);
  b.List(kFilterDriveActive, "Filter Drive Active", 0, kOnOffTexts);
  b.Knob(kAftertouch, "Aftertouch", 0);
  b.Knob(kModWheel, "Mod Wheel", 0);
  b.List(kAftertouchDestination, "Aftertouch Destination", 0, kWheelDestinationTexts);
  b.Number(kHighPassFilter, "High Pass Filter", 0, 20, 6000, 0.1, "Hz", kExp,
           IParam::kUnitFrequency);
  b.List(kHighPassFilterActive, "High Pass Filter Active", 0, kOnOffTexts);
  b.List(kVoiceAssign, "Voice Assign", 0,
         {"Reuse voice for same notes", "New voice for each note"});
  b.Number(kReserved15, "Reserved 15", 0, 0, 1, 0.1, "", kLinear, IParam::kUnitCustom,
           kNotAutomatable);

  // Semitone knobs show two decimals although they move in whole steps.
  b.Precision(kOsc1Freq, 2);
  b.Precision(kOsc2Freq, 2);
  b.Precision(kTune, 2);
}
