// The component state through the real module: the instrument's chunk followed by the int32
// bypass flag, restored bit for bit into another instance, and the failure cases.

#include "plugin/byte_chunk.h"
#include "plugin/vantrix.h"
#include "support/vst3_test_host.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vst3;

namespace
{
std::vector<uint8_t> ChunkBytes(const Vantrix& plug)
{
  IByteChunk chunk;
  EXPECT_TRUE(plug.WriteState(chunk));
  return {chunk.GetData(), chunk.GetData() + chunk.Size()};
}

/** A sound different from the defaults in a list, a number and a MIDI controller value. */
void ChangeSound(Vst3TestHost& host)
{
  ASSERT_TRUE(host.Start(48000.0, 64));
  host.Changes().Add(0, 0, 0.4);  // "Osc1 Type" entry 2
  host.Changes().Add(2, 10, 0.3); // "Osc1 Freq"
  host.Process(64);
  host.Controller().setParamNormalized(0, 0.4);
  host.Controller().setParamNormalized(2, 0.3);
}

/** A stream whose every read reports failure although it delivers bytes (as WaveLab's do). */
class FailingReadStream final : public IBStream
{
public:
  explicit FailingReadStream(std::vector<uint8_t> bytes) : mInner(std::move(bytes)) {}
  tresult VST3_CALL queryInterface(const TUID iid, void** obj) override
  {
    return mInner.queryInterface(iid, obj);
  }
  uint32 VST3_CALL addRef() override { return 1; }
  uint32 VST3_CALL release() override { return 1; }
  tresult VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) override
  {
    mInner.read(buffer, numBytes, numBytesRead);
    return kResultFalse;
  }
  tresult VST3_CALL write(void* buffer, int32 numBytes, int32* written) override
  {
    return mInner.write(buffer, numBytes, written);
  }
  tresult VST3_CALL seek(int64 pos, int32 mode, int64* result) override
  {
    return mInner.seek(pos, mode, result);
  }
  tresult VST3_CALL tell(int64* pos) override { return mInner.tell(pos); }

private:
  vst3host::MemoryStream mInner;
};
} // namespace

TEST(Vst3State, IsTheChunkFollowedByFourZeroBytes)
{
  Vst3TestHost host;
  const auto reference = std::make_unique<Vantrix>(std::string_view());
  std::vector<uint8_t> expected = ChunkBytes(*reference);
  expected.insert(expected.end(), 4, 0);
  EXPECT_EQ(host.GetState(), expected);
}

TEST(Vst3State, RestoresBitIdenticallyIntoAnotherInstance)
{
  Vst3TestHost first;
  ChangeSound(first);
  const std::vector<uint8_t> state = first.GetState();
  ASSERT_FALSE(state.empty());

  Vst3TestHost second;
  ASSERT_NE(second.GetState(), state);
  ASSERT_EQ(second.SetState(state), kResultOk);
  EXPECT_EQ(second.GetState(), state);
  // The host reads back what the instrument now holds.
  for (ParamID id = 0; id < kNumParams; ++id)
    EXPECT_EQ(second.Controller().getParamNormalized(id), first.Controller().getParamNormalized(id))
        << id;
  EXPECT_DOUBLE_EQ(second.Controller().getParamNormalized(0), 0.4);
}

TEST(Vst3State, SettingTheSameStateTwiceChangesNothing)
{
  Vst3TestHost first;
  ChangeSound(first);
  const std::vector<uint8_t> state = first.GetState();
  ASSERT_EQ(first.SetState(state), kResultOk);
  ASSERT_EQ(first.SetState(state), kResultOk);
  EXPECT_EQ(first.GetState(), state);
}

TEST(Vst3State, FailsWhenTheStreamEndsBeforeTheBypassFlag)
{
  Vst3TestHost first;
  ChangeSound(first);
  std::vector<uint8_t> state = first.GetState();
  const std::size_t chunkSize = state.size() - 4;

  for (std::size_t size : {chunkSize, chunkSize + 3, chunkSize - 100, std::size_t(0)})
  {
    Vst3TestHost second;
    const std::vector<uint8_t> truncated(state.begin(), state.begin() + size);
    EXPECT_EQ(second.SetState(truncated), kResultFalse) << size << " bytes";
  }
  // A complete chunk alone still restores the values it holds.
  Vst3TestHost second;
  second.SetState(std::vector<uint8_t>(state.begin(), state.begin() + chunkSize));
  const std::vector<uint8_t> restored = second.GetState();
  EXPECT_EQ(restored, state) << "the values are applied even though the call fails";
}

TEST(Vst3State, OldVersionResetsPhaseOffsetsAndTheHostSeesIt)
{
  Vst3TestHost first;
  ASSERT_EQ(first.Controller().setParamNormalized(54, 0.1), kResultOk);
  std::vector<uint8_t> state = first.GetState();
  state[0] = 3; // int16 version, little-endian, at the start of the chunk
  state[1] = 0;

  Vst3TestHost second;
  ASSERT_EQ(second.SetState(state), kResultOk);
  EXPECT_DOUBLE_EQ(second.Controller().getParamNormalized(54),
                   second.Controller().plainParamToNormalized(54, 0.5));
}

TEST(Vst3State, ReadsWaveLabStreamsThatReportFailure)
{
  Vst3TestHost first;
  ChangeSound(first);
  const std::vector<uint8_t> state = first.GetState();
  const struct
  {
    const char* hostName;
    tresult result;
  } cases[] = {{"WaveLab Pro", kResultOk}, {"Cubase", kResultFalse}};
  for (const auto& c : cases)
  {
    Vst3TestHost second(c.hostName);
    FailingReadStream stream(state);
    EXPECT_EQ(second.Component().setState(&stream), c.result) << c.hostName;
  }
}

TEST(Vst3State, HostWritingBackWhatItReadChangesNothing)
{
  // Hosts restore a song's state and then send their own copy of each parameter's value.
  Vst3TestHost first;
  ChangeSound(first);
  Vst3TestHost second;
  ASSERT_EQ(second.SetState(first.GetState()), kResultOk);
  const std::vector<uint8_t> restored = second.GetState();
  ASSERT_TRUE(second.Start(48000.0, 64));
  // Ardour keeps its copies in single precision.
  for (ParamID id = 0; id < kNumParams; ++id)
  {
    const auto value = static_cast<float>(second.Controller().getParamNormalized(id));
    second.Controller().setParamNormalized(id, value);
    second.Changes().Add(id, 0, value);
  }
  second.Process(64);
  EXPECT_EQ(second.GetState(), restored);
}

TEST(Vst3State, ControllerKeepsNoStateOfItsOwn)
{
  Vst3TestHost host;
  ChangeSound(host);
  const std::vector<uint8_t> before = host.GetState();
  vst3host::MemoryStream empty;
  EXPECT_EQ(host.Controller().setState(&empty), kResultOk);
  EXPECT_EQ(host.Controller().setComponentState(&empty), kResultOk);
  vst3host::MemoryStream written;
  EXPECT_EQ(host.Controller().getState(&written), kResultOk);
  EXPECT_TRUE(written.Bytes().empty());
  EXPECT_EQ(host.GetState(), before);
}
