// The audio thread never allocates: after warm-up, rendering blocks with notes, controllers and
// parameter changes makes no call to the global allocation functions.

#include "support/allocation_guard.h"
#include "support/hosted_plugin.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

TEST(RealTime, CounterSeesAllocations)
{
  AllocationCounter counter;
  auto* p = new int(3);
  delete p;
  EXPECT_EQ(counter.Stop(), 1);
}

namespace
{
/** A patch that keeps every part of the engine busy: all sources, unison, modulation. */
void SetBusyPatch(HostedPlugin& host)
{
  for (int level : {kOsc1Volume, kOsc2Volume, kSubVolume, kNoiseVolume, kRingModVolume})
    host.Set(level, 0.8);
  host.SetText(kOsc1FreqModSource, "LFO1");
  host.SetText(kFilterModSource, "LFO2");
  host.Set(kOsc1FreqMod, 0.3);
  host.Set(kFilterMod, 0.5);
  host.Set(kFxMix, 40);
  host.Set(kDrift, 50);
  host.SetText(kHighPassFilterActive, "ON");
  host.SetText(kFilterDriveActive, "ON");
}

/** Setting changes that switch objects inside the engine, one per step of the test. */
const std::pair<int, const char*> kSwitches[] = {
    {kUnisonVoices, "6 Voices"},
    {kFilterType, "FILTER LP2"},
    {kDelayType, "DIFF DELAY"},
    {kArpMode, "Up"},
    {kUnisonVoices, "8 Voice Emulation (Low CPU)"},
    {kFilterType, "FILTER BP"},
    {kDelayType, "TAPE DELAY"},
    {kArpMode, "Sequencer Record"},
    {kUnisonVoices, "6 Voices * 8 Voice Emulation"},
    {kOsc1Type, "Sync Saw"},
    {kDelayType, "PHASE DELAY 2"},
    {kArpMode, "Sequencer Play (Poly)"},
    {kUnisonVoices, "4 Voice Emulation (Low CPU)"},
    {kQuality, "High"},
    {kDelayType, "PHASE DELAY 1"},
    {kArpMode, "Sequencer Play (Seq)"},
    {kLfo2Type, "Random"},
    {kSubType, "Saw"},
    {kDelayType, "DELAY"},
    {kArpMode, "Up Down"},
    {kFilterType, "FILTER LP1"},
    {kUnisonVoices, "2 Voices"},
    {kDelayType, "PING PONG"},
    {kArpMode, "Off"},
};
} // namespace

TEST(RealTime, ProcessingAllocatesNothingAfterWarmUp)
{
  HostedPlugin host(48000.0, 256);
  SetBusyPatch(host);
  host.SetTempo(128);
  host.RenderLeft(48000, 256); // warm-up

  // A busy second of playing: chords, controllers, automation of every parameter, a tempo
  // change and a state-load reset.
  AllocationCounter counter;
  for (int block = 0; block < 200; ++block)
  {
    const int note = 48 + (block * 7) % 36;
    host.NoteOn(block % 256, note, 1 + block % 127);
    host.NoteOn((block * 3) % 256, note + 4);
    host.NoteOff((block * 5) % 256, note - 7);
    host.Midi(10, 14, block % 128, 64 + block % 32);
    host.Midi(20, 11, 1, block % 128);
    host.Midi(30, 11, 64, (block % 8) < 4 ? 127 : 0);
    host.Midi(40, 13, block % 128, 0);
    const int index = (block * 13) % kNumParams;
    const IParam& p = *host.Plug().GetParam(index);
    host.Set(index, p.Min() + (p.Max() - p.Min()) * ((block * 37) % 100) / 100.0);
    if (block % 8 == 0)
    {
      const auto& [switchIndex, text] = kSwitches[(block / 8) % std::size(kSwitches)];
      host.SetText(switchIndex, text);
    }
    if (block == 100) host.SetTempo(90);
    if (block == 150) host.Engine().RequestReset();
    host.Render(256);
  }
  EXPECT_EQ(counter.Stop(), 0);
}
