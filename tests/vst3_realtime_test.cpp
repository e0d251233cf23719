// The audio thread never allocates through the VST3 interfaces either: after warm-up, process()
// on the real module with notes, controller parameters, automation, the editor's queue, tempo
// changes and a state load makes no call to the global allocation functions.

#include "support/allocation_guard.h"
#include "support/vst3_test_host.h"

#include <gtest/gtest.h>

using namespace vst3;

TEST(Vst3RealTime, CounterSeesTheModulesAllocations)
{
  AllocationCounter counter;
  Vst3TestHost host;
  EXPECT_GT(counter.Stop(), 0) << "the module allocates through this executable's functions";
}

TEST(Vst3RealTime, ProcessAllocatesNothingAfterWarmUp)
{
  constexpr int kBlock = 256;
  Vst3TestHost host("vantrix tests", true);
  ASSERT_TRUE(host.Start(48000.0, kBlock));
  const std::vector<uint8_t> state = host.GetState();

  AllocationCounter counter;
  counter.Pause();
  for (int block = 0; block < 300; ++block)
  {
    const bool measured = block >= 100; // the first blocks warm up
    const int note = 48 + (block * 7) % 36;
    host.Events().Add(vst3host::NoteOnEvent(block % kBlock, 0, note, (1 + block % 127) / 127.0f));
    host.Events().Add(vst3host::NoteOnEvent((block * 3) % kBlock, 1, note + 4, 0.7f));
    host.Events().Add(vst3host::NoteOffEvent((block * 5) % kBlock, 0, note - 7, 0.0f));
    host.Events().Add(vst3host::PolyPressureEvent(9, 0, note, 0.5f));
    host.Changes().Add(65667, 10, (block % 128) / 128.0);            // pitch bend
    host.Changes().Add(65539, 20, (block % 100) / 100.0);            // modulation wheel
    host.Changes().Add(65538 + 64, 30, (block % 8) < 4 ? 1.0 : 0.0); // sustain
    host.Changes().Add(65666, 40, (block % 50) / 50.0);              // aftertouch
    host.Changes().Add(static_cast<ParamID>(block % 94), 50, (block * 37 % 100) / 100.0);
    host.Changes().Add(static_cast<ParamID>((block + 47) % 94), 0, 0.2);
    host.Changes().Add(static_cast<ParamID>((block + 47) % 94), 128, 0.6);
    if (block % 10 == 0) host.SetTempo(90.0 + block % 50);
    if (block == 150)
    {
      counter.Pause();
      host.SetState(state); // the next block resets the voices
    }
    if (measured) counter.Resume();
    host.Process(kBlock);
    counter.Pause();
    if (block % 4 == 0) host.App().TickTimers(); // the idle tick drains MIDI to the editor side
  }
  EXPECT_EQ(counter.Stop(), 0);
}
