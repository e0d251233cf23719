#include "render/vst3_module.h"

#include "host/vst3/vst3_component.h"
#include "render/render_error.h"
#include "render/vst3_host_objects.h"

#include <cstring>

using namespace vst3;

namespace vst3host
{
namespace
{
// The folder of a bundle's library on this platform.
constexpr const char* kBundleArchitectureFolder = "Contents/x86_64-linux";

std::string Quoted(const std::filesystem::path& path)
{
  return "\"" + path.string() + "\"";
}
} // namespace

std::filesystem::path Vst3Module::LibraryPath(const std::filesystem::path& bundle)
{
  std::error_code ec;
  if (!std::filesystem::is_directory(bundle, ec)) return bundle;
  std::filesystem::path folder = bundle;
  if (!folder.has_filename()) folder = folder.parent_path(); // "X.vst3/"
  return bundle / kBundleArchitectureFolder / folder.filename().replace_extension(".so");
}

Vst3Module::Vst3Module(const std::filesystem::path& path)
{
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) throw FileError(Quoted(path) + ": no such plug-in");
  const std::filesystem::path library = LibraryPath(path);
  if (!std::filesystem::is_regular_file(library, ec))
    throw FileError(Quoted(path) + ": not a VST3 bundle (no " + Quoted(library) + ")");
  if (!mLibrary.Open(library))
    throw FileError(Quoted(library) + ": cannot load: " + mLibrary.Error());

  using EntryProc = bool (*)(void*);
  const auto entry = reinterpret_cast<EntryProc>(mLibrary.Symbol("ModuleEntry"));
  const auto getFactory = reinterpret_cast<GetFactoryProc>(mLibrary.Symbol("GetPluginFactory"));
  if (!entry || !getFactory)
    throw FileError(Quoted(library) + ": not a VST3 module (no ModuleEntry or GetPluginFactory)");
  if (!entry(mLibrary.NativeHandle()))
    throw FileError(Quoted(library) + ": the module refused to start (ModuleEntry)");
  mExit = reinterpret_cast<ExitProc>(mLibrary.Symbol("ModuleExit"));
  mFactory = ComPtr<IPluginFactory>::Adopt(getFactory());
  if (!mFactory) throw FileError(Quoted(library) + ": the module has no factory");
}

Vst3Module::~Vst3Module()
{
  mFactory.Reset();
  if (mExit) mExit();
  mLibrary.Close();
}

std::optional<PClassInfo> Vst3Module::FindAudioModuleClass() const
{
  for (int32 i = 0; i < mFactory->countClasses(); ++i)
  {
    PClassInfo info{};
    if (mFactory->getClassInfo(i, &info) == kResultOk &&
        std::strncmp(info.category, kVstAudioEffectClass, sizeof(info.category)) == 0)
      return info;
  }
  return std::nullopt;
}

Vst3Instance::Vst3Instance(Vst3Module& module, const TUID classId, HostApplication& host)
{
  void* component = nullptr;
  if (module.Factory().createInstance(classId, IComponent::iid.bytes, &component) != kResultOk ||
      !component)
    throw FileError("the plug-in could not be created");
  mComponent = ComPtr<IComponent>::Adopt(static_cast<IComponent*>(component));
  if (mComponent->initialize(static_cast<IHostApplication*>(&host)) != kResultOk)
    throw FileError("the plug-in could not be initialised");
  mProcessor = QueryComInterface<IAudioProcessor>(mComponent.Get());
  mController = QueryComInterface<IEditController>(mComponent.Get());
  if (!mProcessor || !mController)
  {
    mComponent->terminate();
    throw FileError("the plug-in is not a single component with audio processor and controller");
  }
}

Vst3Instance::~Vst3Instance()
{
  StopProcessing();
  mController.Reset();
  mProcessor.Reset();
  mComponent->terminate();
}

bool Vst3Instance::StartProcessing(const Setup& setup)
{
  ProcessSetup process{setup.processMode, setup.sampleSize, setup.maxBlock, setup.sampleRate};
  if (mProcessor->canProcessSampleSize(setup.sampleSize) != kResultTrue ||
      mProcessor->setupProcessing(process) != kResultOk)
    return false;
  mComponent->activateBus(kEvent, kInput, 0, true);
  mComponent->activateBus(kAudio, kOutput, 0, true);
  if (mComponent->setActive(true) != kResultOk) return false;
  mProcessor->setProcessing(true);
  mProcessing = true;
  return true;
}

void Vst3Instance::StopProcessing()
{
  if (!mProcessing) return;
  mProcessor->setProcessing(false);
  mComponent->setActive(false);
  mProcessing = false;
}

} // namespace vst3host
