#include "platform/dynamic_library.h"

#include <dlfcn.h>

bool DynamicLibrary::Open(const std::filesystem::path& path)
{
  Close();
  // Local symbols: two modules loaded side by side must not resolve each other's functions.
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle)
  {
    const char* reason = dlerror();
    mError = reason ? reason : "unknown error";
    return false;
  }
  mError.clear();
  return true;
}

void DynamicLibrary::Close()
{
  if (mHandle) dlclose(mHandle);
  mHandle = nullptr;
}

void* DynamicLibrary::Symbol(const char* name) const
{
  return mHandle ? dlsym(mHandle, name) : nullptr;
}
