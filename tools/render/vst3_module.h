#pragma once
// Hosting a VST3 plug-in through its published interfaces only: loading the module from its
// bundle, the factory, and one instance (component with its edit controller in the same
// object) set up for processing.
//
// Thread contract: one host thread creates, sets up and destroys; Process may run on another
// (audio) thread between StartProcessing and StopProcessing.

#include "host/com_support.h"
#include "host/vst3/vst3_controller.h"
#include "host/vst3/vst3_factory.h"
#include "host/vst3/vst3_processor.h"
#include "platform/dynamic_library.h"

#include <filesystem>
#include <optional>

namespace vst3host
{
class HostApplication;

/** A loaded module: the library entered and its factory. */
class Vst3Module
{
public:
  /** Loads the bundle PATH.vst3 (or the library inside it). Throws FileError naming the path and
      what is wrong with it. */
  explicit Vst3Module(const std::filesystem::path& path);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  vst3::IPluginFactory& Factory() const { return *mFactory.Get(); }
  /** The first class of the audio-module category, or nothing. */
  std::optional<vst3::PClassInfo> FindAudioModuleClass() const;

  /** The library inside a bundle path (the path itself when it names a file). */
  static std::filesystem::path LibraryPath(const std::filesystem::path& bundle);

private:
  using ExitProc = bool (*)();

  DynamicLibrary mLibrary;
  ExitProc mExit = nullptr;
  ComPtr<vst3::IPluginFactory> mFactory;
};

/** One instance, initialised with the host's application object; the plug-in must implement
    its edit controller in the same object (a single component). */
class Vst3Instance
{
public:
  struct Setup
  {
    double sampleRate = 48000.0;
    int maxBlock = 512;
    vst3::int32 sampleSize = vst3::kSample32;
    vst3::int32 processMode = vst3::kOffline;
  };

  /** Creates and initialises the class classId of module. Throws FileError when the plug-in
      cannot be created or initialised, or has no edit controller in the same object. */
  Vst3Instance(Vst3Module& module, const vst3::TUID classId, HostApplication& host);
  /** Stops processing if needed, terminates and releases the plug-in. */
  ~Vst3Instance();
  Vst3Instance(const Vst3Instance&) = delete;
  Vst3Instance& operator=(const Vst3Instance&) = delete;

  vst3::IComponent& Component() const { return *mComponent.Get(); }
  vst3::IAudioProcessor& Processor() const { return *mProcessor.Get(); }
  vst3::IEditController& Controller() const { return *mController.Get(); }

  /** setupProcessing, activation, setProcessing(true); false when the plug-in refuses. */
  bool StartProcessing(const Setup& setup);
  /** setProcessing(false) and deactivation (nothing when not processing). */
  void StopProcessing();
  bool IsProcessing() const { return mProcessing; }

private:
  ComPtr<vst3::IComponent> mComponent;
  ComPtr<vst3::IAudioProcessor> mProcessor;
  ComPtr<vst3::IEditController> mController;
  bool mProcessing = false;
};

} // namespace vst3host
