#pragma once
// Loading a shared library at run time and finding its exported functions.
//
// Thread contract: one owner; Open and Close on the owner's thread. Symbol may be called from any
// thread while the library is open.

#include <filesystem>
#include <string>

class DynamicLibrary
{
public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { Close(); }
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  /** Loads the library at path; on failure returns false and Error() says why. */
  bool Open(const std::filesystem::path& path);
  /** Unloads the library (no effect when none is open). */
  void Close();
  /** The address of the exported symbol name, or nullptr. */
  void* Symbol(const char* name) const;
  /** The system's native handle of the open library (passed to module entry functions). */
  void* NativeHandle() const { return mHandle; }
  /** Why the last Open failed. */
  const std::string& Error() const { return mError; }

private:
  void* mHandle = nullptr;
  std::string mError;
};
