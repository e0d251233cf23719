#pragma once
// A small VST3 host for tests: loads the built module (the Vantrix.vst3 bundle) through its
// exported entry points and drives one instance through the VST3 interfaces only, with
// stereo 32- or 64-bit buffers, an event list, parameter changes and a process context.

#include "host/com_support.h"
#include "render/vst3_host_objects.h"
#include "render/vst3_module.h"

#include <memory>
#include <string>
#include <vector>

/** A component handler that records what the plug-in reports. */
class RecordingHandler final : public vst3::IComponentHandler
{
public:
  struct Edit
  {
    char kind; // 'b'egin, 'p'erform, 'e'nd
    vst3::ParamID id;
    double value;
  };
  std::vector<Edit> edits;

  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override
  {
    if (vst3::SameUid(iid, vst3::FUnknown::iid) || vst3::SameUid(iid, IComponentHandler::iid))
    {
      *obj = this;
      return vst3::kResultOk;
    }
    *obj = nullptr;
    return vst3::kNoInterface;
  }
  vst3::uint32 VST3_CALL addRef() override { return 1; }
  vst3::uint32 VST3_CALL release() override { return 1; }
  vst3::tresult VST3_CALL beginEdit(vst3::ParamID id) override { return Record('b', id, 0.0); }
  vst3::tresult VST3_CALL performEdit(vst3::ParamID id, vst3::ParamValue value) override
  {
    return Record('p', id, value);
  }
  vst3::tresult VST3_CALL endEdit(vst3::ParamID id) override { return Record('e', id, 0.0); }
  vst3::tresult VST3_CALL restartComponent(vst3::int32) override { return vst3::kResultOk; }

private:
  vst3::tresult Record(char kind, vst3::ParamID id, double value)
  {
    edits.push_back({kind, id, value});
    return vst3::kResultOk;
  }
};

class Vst3TestHost
{
public:
  static constexpr int kChannels = 2;

  explicit Vst3TestHost(std::string hostName = "vantrix tests", bool withRunLoop = false)
      : mApp(std::move(hostName), withRunLoop), mModule(VANTRIX_VST3_BUNDLE)
  {
    mInstance = std::make_unique<vst3host::Vst3Instance>(
        mModule, mModule.FindAudioModuleClass().value().cid, mApp);
    mInstance->Controller().setComponentHandler(&mHandler);
  }

  vst3host::Vst3Module& Module() { return mModule; }
  vst3host::HostApplication& App() { return mApp; }
  RecordingHandler& Handler() { return mHandler; }
  vst3::IComponent& Component() { return mInstance->Component(); }
  vst3::IAudioProcessor& Processor() { return mInstance->Processor(); }
  vst3::IEditController& Controller() { return mInstance->Controller(); }
  template <class I>
  ComPtr<I> Query()
  {
    return QueryComInterface<I>(&Component());
  }

  /** setupProcessing and activation for sampleSize (kSample32 or kSample64). */
  bool Start(double sampleRate, int maxBlock, vst3::int32 sampleSize = vst3::kSample32)
  {
    mSampleSize = sampleSize;
    for (int c = 0; c < kChannels; ++c)
    {
      mOut32[c].assign(static_cast<std::size_t>(maxBlock), 0.0f);
      mOut64[c].assign(static_cast<std::size_t>(maxBlock), 0.0);
    }
    vst3host::Vst3Instance::Setup setup;
    setup.sampleRate = sampleRate;
    setup.maxBlock = maxBlock;
    setup.sampleSize = sampleSize;
    setup.processMode = vst3::kRealtime;
    return mInstance->StartProcessing(setup);
  }

  /** The changes and events of the next block; cleared after each Process. */
  vst3host::ParameterChanges& Changes() { return mChanges; }
  vst3host::EventList& Events() { return mEvents; }
  /** Sets the context the next blocks carry (nullptr: blocks without a context). */
  void SetContext(const vst3::ProcessContext* context)
  {
    if (context) mContext = *context;
    mSendContext = context != nullptr;
  }
  void SetTempo(double bpm)
  {
    vst3::ProcessContext context{};
    context.state = vst3::ProcessContext::kTempoValid | vst3::ProcessContext::kPlaying;
    context.tempo = bpm;
    SetContext(&context);
  }

  /** One block of frames with the pending changes and events. */
  vst3::tresult Process(int frames)
  {
    float* out32[kChannels] = {mOut32[0].data(), mOut32[1].data()};
    double* out64[kChannels] = {mOut64[0].data(), mOut64[1].data()};
    vst3::AudioBusBuffers output{};
    output.numChannels = kChannels;
    if (mSampleSize == vst3::kSample32)
      output.channelBuffers32 = out32;
    else
      output.channelBuffers64 = out64;
    vst3::ProcessData data{};
    data.processMode = vst3::kRealtime;
    data.symbolicSampleSize = mSampleSize;
    data.numSamples = frames;
    data.numOutputs = 1;
    data.outputs = &output;
    data.inputParameterChanges = &mChanges;
    data.inputEvents = &mEvents;
    data.processContext = mSendContext ? &mContext : nullptr;
    const vst3::tresult result = Processor().process(data);
    mChanges.Clear();
    mEvents.Clear();
    return result;
  }

  const std::vector<float>& Out32(int channel) const { return mOut32[channel]; }
  const std::vector<double>& Out64(int channel) const { return mOut64[channel]; }

  std::vector<uint8_t> GetState()
  {
    vst3host::MemoryStream stream;
    if (Component().getState(&stream) != vst3::kResultOk) return {};
    return stream.Bytes();
  }
  vst3::tresult SetState(std::vector<uint8_t> bytes)
  {
    vst3host::MemoryStream stream(std::move(bytes));
    return Component().setState(&stream);
  }

private:
  vst3host::HostApplication mApp;
  vst3host::Vst3Module mModule;
  RecordingHandler mHandler;
  std::unique_ptr<vst3host::Vst3Instance> mInstance;
  vst3host::ParameterChanges mChanges;
  vst3host::EventList mEvents;
  vst3::ProcessContext mContext{};
  bool mSendContext = false;
  vst3::int32 mSampleSize = vst3::kSample32;
  std::vector<float> mOut32[kChannels];
  std::vector<double> mOut64[kChannels];
};
