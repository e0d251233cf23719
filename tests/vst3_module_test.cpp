// The built module as a host sees it: entry points, factory and class information, the
// interfaces of an instance, exported parameters, MIDI mapping and units. Everything goes
// through the VST3 interfaces of the real Vantrix.vst3.

#include "host/host_detection.h"
#include "host/vst3/vst3_interface_names.h"
#include "host/vst3_strings.h"
#include "plugin/vantrix.h"
#include "support/vst3_test_host.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace vst3;

namespace
{
std::string Text(const char16* text, std::size_t capacity = 128)
{
  return Utf8FromUtf16(text, capacity);
}

ParameterInfo InfoOfId(IEditController& controller, ParamID id)
{
  for (int32 i = 0; i < controller.getParameterCount(); ++i)
  {
    ParameterInfo info{};
    controller.getParameterInfo(i, info);
    if (info.id == id) return info;
  }
  ADD_FAILURE() << "no parameter with id " << id;
  return {};
}
} // namespace

TEST(Vst3Module, ExportsTheEntryPointsAndRefusesAnUnmatchedExit)
{
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(vst3host::Vst3Module::LibraryPath(VANTRIX_VST3_BUNDLE)));
  for (const char* name : {"GetPluginFactory", "ModuleEntry", "ModuleExit"})
    EXPECT_NE(library.Symbol(name), nullptr) << name;
  EXPECT_EQ(library.Symbol("InitDll"), nullptr);

  const auto entry = reinterpret_cast<bool (*)(void*)>(library.Symbol("ModuleEntry"));
  const auto exit = reinterpret_cast<bool (*)()>(library.Symbol("ModuleExit"));
  EXPECT_TRUE(entry(library.NativeHandle()));
  EXPECT_TRUE(exit());
  EXPECT_FALSE(exit()) << "an exit without an entry";
}

TEST(Vst3Module, HandsOutOneSharedFactory)
{
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(vst3host::Vst3Module::LibraryPath(VANTRIX_VST3_BUNDLE)));
  const auto getFactory = reinterpret_cast<GetFactoryProc>(library.Symbol("GetPluginFactory"));
  IPluginFactory* first = getFactory();
  IPluginFactory* second = getFactory();
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->release(), 1u);
  EXPECT_EQ(first->release(), 0u);
}

TEST(Vst3Module, DescribesOneInstrumentClass)
{
  Vst3TestHost host;
  IPluginFactory& factory = host.Module().Factory();

  PFactoryInfo factoryInfo{};
  ASSERT_EQ(factory.getFactoryInfo(&factoryInfo), kResultOk);
  EXPECT_STREQ(factoryInfo.vendor, "Ostryn");
  EXPECT_EQ(factoryInfo.flags, PFactoryInfo::kUnicode);
  EXPECT_GT(std::strlen(factoryInfo.url), 0u);
  EXPECT_GT(std::strlen(factoryInfo.email), 0u);
  ASSERT_EQ(factory.countClasses(), 1);

  PClassInfo info{};
  ASSERT_EQ(factory.getClassInfo(0, &info), kResultOk);
  EXPECT_EQ(info.cardinality, PClassInfo::kManyInstances);
  EXPECT_STREQ(info.category, "Audio Module Class");
  EXPECT_STREQ(info.name, "Vantrix 2");
  EXPECT_EQ(factory.getClassInfo(1, &info), kInvalidArgument);

  const ComPtr<IPluginFactory3> factory3 = QueryComInterface<IPluginFactory3>(&factory);
  ASSERT_TRUE(factory3);
  PClassInfo2 info2{};
  ASSERT_EQ(factory3->getClassInfo2(0, &info2), kResultOk);
  EXPECT_EQ(std::memcmp(info2.cid, info.cid, sizeof(info.cid)), 0);
  EXPECT_EQ(info2.classFlags, 2u);
  EXPECT_STREQ(info2.subCategories, "Instrument|Synth");
  EXPECT_STREQ(info2.vendor, "");
  EXPECT_STREQ(info2.version, "1.0.10");
  EXPECT_STREQ(info2.sdkVersion, "VST 3.7.0");

  PClassInfoW infoW{};
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &infoW), kResultOk);
  EXPECT_EQ(Text(infoW.name, 64), "Vantrix 2");
  EXPECT_EQ(Text(infoW.version, 64), "1.0.10");
  EXPECT_EQ(Text(infoW.sdkVersion, 64), "VST 3.7.0");
  EXPECT_STREQ(infoW.subCategories, "Instrument|Synth");
}

TEST(Vst3Module, CreatesOnlyItsOwnClass)
{
  Vst3TestHost host;
  const Uid unknown = MakeUid(1, 2, 3, 4);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(host.Module().Factory().createInstance(unknown.bytes, IComponent::iid.bytes, &object),
            kNoInterface);
  EXPECT_EQ(object, nullptr);
}

TEST(Vst3Module, OneObjectAnswersEveryInterfaceOfTheInstrument)
{
  Vst3TestHost host;
  const Uid* offered[] = {&FUnknown::iid,
                          &IPluginBase::iid,
                          &IComponent::iid,
                          &IAudioProcessor::iid,
                          &IProcessContextRequirements::iid,
                          &IEditController::iid,
                          &IUnitInfo::iid,
                          &IMidiMapping::iid,
                          &ChannelContext::IInfoListener::iid};
  for (const Uid* iid : offered)
  {
    void* object = nullptr;
    EXPECT_EQ(host.Component().queryInterface(iid->bytes, &object), kResultOk)
        << InterfaceName(iid->bytes);
    if (object) static_cast<FUnknown*>(object)->release();
  }
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(host.Component().queryInterface(IRunLoop::iid.bytes, &object), kNoInterface);
  EXPECT_EQ(object, nullptr);
  EXPECT_STREQ(InterfaceName(IMidiMapping::iid.bytes), "IMidiMapping");
  EXPECT_EQ(InterfaceName(MakeUid(1, 2, 3, 4).bytes), nullptr);
}

TEST(Vst3Module, InitialisesOnlyOnce)
{
  Vst3TestHost host;
  EXPECT_EQ(host.Component().initialize(static_cast<IHostApplication*>(&host.App())), kResultFalse);
}

TEST(Vst3Module, BusesAreStereoInOutAndOneMidiInput)
{
  Vst3TestHost host;
  IComponent& component = host.Component();
  struct Case
  {
    MediaType type;
    BusDirection dir;
    int count;
    int channels;
    const char* name;
  };
  const Case cases[] = {
      {kAudio, kInput, 1, 2, "Input"},
      {kAudio, kOutput, 1, 2, "Output"},
      {kEvent, kInput, 1, 1, "MIDI Input"},
      {kEvent, kOutput, 0, 0, ""},
  };
  for (const Case& c : cases)
  {
    ASSERT_EQ(component.getBusCount(c.type, c.dir), c.count) << c.name;
    if (c.count == 0) continue;
    BusInfo bus{};
    ASSERT_EQ(component.getBusInfo(c.type, c.dir, 0, bus), kResultOk);
    EXPECT_EQ(bus.channelCount, c.channels);
    EXPECT_EQ(Text(bus.name), c.name);
    EXPECT_EQ(bus.busType, kMain);
    EXPECT_EQ(bus.flags, BusInfo::kDefaultActive);
  }

  SpeakerArrangement stereo = SpeakerArr::kStereo, mono = SpeakerArr::kMono;
  EXPECT_EQ(host.Processor().setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
  EXPECT_EQ(host.Processor().setBusArrangements(&stereo, 1, &mono, 1), kResultFalse);
  EXPECT_EQ(host.Processor().setBusArrangements(nullptr, 0, &stereo, 1), kResultFalse)
      << "the only channel configuration has a stereo input";
  SpeakerArrangement arrangement = 0;
  EXPECT_EQ(host.Processor().getBusArrangement(kOutput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, SpeakerArr::kStereo);
  EXPECT_EQ(host.Processor().getLatencySamples(), 0u);
  EXPECT_EQ(host.Processor().getTailSamples(), 0u);
}

TEST(Vst3Module, ExportsInstrumentAndMidiControllerParameters)
{
  Vst3TestHost host;
  IEditController& controller = host.Controller();
  ASSERT_EQ(controller.getParameterCount(), kNumParams + 130);

  struct Case
  {
    ParamID id;
    const char* title;
    const char* units;
    int32 stepCount;
    double defaultValue;
    int32 flags;
    UnitID unit;
  };
  const int32 automate = ParameterInfo::kCanAutomate, list = ParameterInfo::kIsList;
  const Case cases[] = {
      {0, "Osc1 Type", "", 5, -1.0, automate | list, 0},
      {2, "Osc1 Freq", "st", 0, 0.5, automate, 0},
      {65538, "BankSel.MSB", "", 0, 0.0, 0, 3},
      {65539, "Modulation", "", 0, 0.0, 0, 3},
      {65538 + 66, "Sostenuto ", "", 0, 0.0, 0, 3},
      {65665, "PolyModeOn", "", 0, 0.0, 0, 3},
      {65666, "Channel Aftertouch", "", 0, 0.0, 0, 3},
      {65667, "Pitch Bend", "", 0, 0.5, 0, 3},
  };
  for (const Case& c : cases)
  {
    const ParameterInfo info = InfoOfId(controller, c.id);
    EXPECT_EQ(Text(info.title), c.title) << c.id;
    EXPECT_EQ(Text(info.shortTitle), "") << c.id;
    EXPECT_EQ(Text(info.units), c.units) << c.id;
    EXPECT_EQ(info.stepCount, c.stepCount) << c.id;
    if (c.defaultValue >= 0.0)
    {
      EXPECT_EQ(info.defaultNormalizedValue, c.defaultValue) << c.id;
    }
    EXPECT_EQ(info.flags, c.flags) << c.id;
    EXPECT_EQ(info.unitId, c.unit) << c.id;
  }
  // The reserved bypass and preset ids are not exported.
  for (ParamID reserved : {65536u, 65537u})
    EXPECT_EQ(controller.setParamNormalized(reserved, 1.0), kResultFalse);
}

TEST(Vst3Module, DeclaredDefaultsAreTheInitialValues)
{
  // Hosts show (and may send back) the declared defaults until they load a state. The engine
  // takes values in single precision: there a declared default must be the initial value.
  Vst3TestHost host;
  const auto fresh = std::make_unique<Vantrix>(std::string_view());
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam& param = *fresh->GetParam(i);
    const ParameterInfo info = InfoOfId(host.Controller(), static_cast<ParamID>(i));
    const double declared = param.Constrain(
        host.Controller().normalizedParamToPlain(info.id, info.defaultNormalizedValue));
    EXPECT_EQ(static_cast<float>(declared), static_cast<float>(param.Value())) << param.Name();
  }
}

TEST(Vst3Module, ConvertsParameterValuesAndText)
{
  Vst3TestHost host;
  IEditController& controller = host.Controller();
  String128 text = {};
  ASSERT_EQ(controller.getParamStringByValue(0, 0.2, text), kResultOk);
  EXPECT_EQ(Text(text), "Saw"); // entry round(5 * 0.2) = 1
  ASSERT_EQ(controller.getParamStringByValue(65539, 0.5, text), kResultOk);
  EXPECT_EQ(Text(text), "0.5000");
  EXPECT_EQ(controller.getParamStringByValue(70000, 0.5, text), kInvalidArgument);

  ParamValue value = -1.0;
  CopyToField(text, "Saw");
  ASSERT_EQ(controller.getParamValueByString(0, text, value), kResultOk);
  EXPECT_DOUBLE_EQ(value, 0.2);
  CopyToField(text, "0.25");
  ASSERT_EQ(controller.getParamValueByString(65539, text, value), kResultOk);
  EXPECT_DOUBLE_EQ(value, 0.25);

  EXPECT_DOUBLE_EQ(controller.normalizedParamToPlain(0, 0.6), 3.0);
  EXPECT_DOUBLE_EQ(controller.plainParamToNormalized(0, 3.0), 0.6);
  EXPECT_DOUBLE_EQ(controller.normalizedParamToPlain(65539, 0.3), 0.3);
}

TEST(Vst3Module, HostValuesAreKeptPerParameter)
{
  Vst3TestHost host;
  IEditController& controller = host.Controller();
  EXPECT_EQ(controller.getParamNormalized(2), 0.5);
  ASSERT_EQ(controller.setParamNormalized(2, 0.75), kResultOk);
  EXPECT_EQ(controller.getParamNormalized(2), 0.75);
  ASSERT_EQ(controller.setParamNormalized(65667, 0.25), kResultOk);
  EXPECT_EQ(controller.getParamNormalized(65667), 0.25);
  EXPECT_EQ(controller.setParamNormalized(94, 0.5), kResultFalse);
  EXPECT_EQ(controller.getParamNormalized(94), 0.0);
  EXPECT_TRUE(host.Handler().edits.empty()) << "host changes are not reported back";
}

TEST(Vst3Module, MapsTheFirstChannelsControllers)
{
  Vst3TestHost host;
  const ComPtr<IMidiMapping> mapping = host.Query<IMidiMapping>();
  ASSERT_TRUE(mapping);
  struct Case
  {
    int32 bus;
    int16 channel;
    CtrlNumber controller;
    bool assigned;
    ParamID id;
  };
  const Case cases[] = {
      {0, 0, 1, true, 65539},          {0, 1, 1, false, 0},      {1, 0, 1, false, 0},
      {0, 0, 0, true, 65538},          {0, 0, 127, true, 65665}, {0, 0, kAfterTouch, true, 65666},
      {0, 0, kPitchBend, true, 65667}, {0, 0, 130, false, 0},    {0, 15, 1, false, 0},
  };
  for (const Case& c : cases)
  {
    ParamID id = 12345;
    const tresult result = mapping->getMidiControllerAssignment(c.bus, c.channel, c.controller, id);
    EXPECT_EQ(result == kResultTrue, c.assigned)
        << c.bus << "/" << c.channel << "/" << c.controller;
    if (c.assigned)
    {
      EXPECT_EQ(id, c.id);
    }
  }
}

TEST(Vst3Module, UnitsGroupTheMidiControllers)
{
  Vst3TestHost host;
  const ComPtr<IUnitInfo> units = host.Query<IUnitInfo>();
  ASSERT_TRUE(units);
  ASSERT_EQ(units->getUnitCount(), 3);
  const struct
  {
    UnitID id, parent;
    const char* name;
  } expected[] = {{0, -1, "Root"}, {2, 0, "MIDI CCs"}, {3, 2, "CH1"}};
  for (int32 i = 0; i < 3; ++i)
  {
    UnitInfo info{};
    ASSERT_EQ(units->getUnitInfo(i, info), kResultOk);
    EXPECT_EQ(info.id, expected[i].id);
    EXPECT_EQ(info.parentUnitId, expected[i].parent);
    EXPECT_EQ(Text(info.name), expected[i].name);
    EXPECT_EQ(info.programListId, kNoProgramListId);
  }
  EXPECT_EQ(units->getProgramListCount(), 0);
  String128 name = {};
  ASSERT_EQ(units->getProgramName(65537, 0, name), kResultOk);
  EXPECT_EQ(Text(name), "empty");
  EXPECT_NE(units->getProgramName(65537, 1, name), kResultOk);
}

namespace
{
/** A host's channel-context list: a track name and colour, and nothing else. */
class TrackAttributes final : public IAttributeList
{
public:
  tresult VST3_CALL queryInterface(const TUID, void** obj) override
  {
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_CALL addRef() override { return 1; }
  uint32 VST3_CALL release() override { return 1; }
  tresult VST3_CALL setInt(AttrID, int64) override { return kResultFalse; }
  tresult VST3_CALL getInt(AttrID id, int64& value) override
  {
    if (std::strcmp(id, ChannelContext::kChannelColorKey) != 0) return kResultFalse;
    value = 0xFF3366CC;
    return kResultOk;
  }
  tresult VST3_CALL setFloat(AttrID, double) override { return kResultFalse; }
  tresult VST3_CALL getFloat(AttrID, double&) override { return kResultFalse; }
  tresult VST3_CALL setString(AttrID, const TChar*) override { return kResultFalse; }
  tresult VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) override
  {
    if (std::strcmp(id, ChannelContext::kChannelNameKey) != 0) return kResultFalse;
    CopyToField(string, sizeInBytes / sizeof(TChar), "Lead Synth");
    return kResultOk;
  }
  tresult VST3_CALL setBinary(AttrID, const void*, uint32) override { return kResultFalse; }
  tresult VST3_CALL getBinary(AttrID, const void*&, uint32&) override { return kResultFalse; }
};
} // namespace

TEST(Vst3Module, TakesTheChannelContextAHostSends)
{
  Vst3TestHost host;
  const ComPtr<ChannelContext::IInfoListener> listener =
      host.Query<ChannelContext::IInfoListener>();
  ASSERT_TRUE(listener);
  TrackAttributes attributes;
  EXPECT_EQ(listener->setChannelContextInfos(&attributes), kResultOk);
  EXPECT_EQ(listener->setChannelContextInfos(nullptr), kInvalidArgument);
}

TEST(Vst3Module, CreatesNoViewYet)
{
  Vst3TestHost host;
  EXPECT_EQ(host.Controller().createView("editor"), nullptr);
}

TEST(HostDetection, FirstMatchingNameFragmentInTableOrder)
{
  const struct
  {
    const char* name;
    int id;
  } cases[] = {
      {"REAPER", 1},
      {"Ardour", 28},
      {"WaveLab Elements 12", 32}, // tested before "wavelab"
      {"WaveLab Pro 12", kHostWaveLab},
      {"Ableton Live 11", kHostAbletonLive},
      {"Bitwig Studio", 34},
      {"Steinberg Cubase", 3},
      {"vantrix tests", 0},
      {"", 0},
  };
  for (const auto& c : cases)
  {
    String128 name = {};
    CopyToField(name, c.name);
    EXPECT_EQ(HostIdFromName(NarrowHostName(name)), c.id) << c.name;
  }
}
