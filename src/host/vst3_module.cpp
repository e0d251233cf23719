// The module's exported functions: the factory, and the entry and exit calls hosts make after
// loading and before unloading the module. Nothing else is exported (see vst3_exports.map).

#include "host/vst3_factory.h"

#include <mutex>

#if defined(_WIN32)
#define VANTRIX_EXPORT extern "C" __declspec(dllexport)
#else
#define VANTRIX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace
{
// How many entry calls have not been matched by an exit call.
std::mutex gModuleMutex;
int gModuleRefCount = 0;

bool EnterModule()
{
  const std::lock_guard<std::mutex> lock(gModuleMutex);
  // The module keeps no resources of its own, so its handle is not needed.
  ++gModuleRefCount;
  return true;
}

bool ExitModule()
{
  const std::lock_guard<std::mutex> lock(gModuleMutex);
  // An exit without a matching entry is refused rather than counted below zero.
  if (gModuleRefCount == 0) return false;
  --gModuleRefCount;
  return true;
}
} // namespace

/** Any thread: the module's factory, with one reference for the caller. */
VANTRIX_EXPORT vst3::IPluginFactory* VST3_CALL GetPluginFactory()
{
  return Vst3Factory::Shared();
}

#if defined(_WIN32)
/** Host's loading thread: the module was loaded. */
VANTRIX_EXPORT bool InitDll()
{
  return EnterModule();
}
/** Host's loading thread: the module is about to be unloaded. */
VANTRIX_EXPORT bool ExitDll()
{
  return ExitModule();
}
#else
/** Host's loading thread: the module was loaded; sharedLibraryHandle is its handle. */
VANTRIX_EXPORT bool ModuleEntry(void* /*sharedLibraryHandle*/)
{
  return EnterModule();
}
/** Host's loading thread: the module is about to be unloaded. */
VANTRIX_EXPORT bool ModuleExit()
{
  return ExitModule();
}
#endif
