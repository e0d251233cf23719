#pragma once
// The root of the VST3 binary interface, declared from Steinberg's published interface
// description: fixed-size types, result codes, 16-byte interface ids, FUnknown (the
// reference-counted root of every interface) and IPluginBase.
//
// How the declarations match the published binary layout:
// - An interface is a class with only pure virtual functions and no virtual destructor, in the
//   published order, so its vtable is the published one under both the Itanium (Linux, macOS)
//   and the Microsoft C++ ABI. Derived interfaces append their functions after the base's.
// - Calling convention: __stdcall on 32-bit Windows, the platform's default everywhere else.
// - Structs: packed to 16 on 64-bit Windows and 8 on 32-bit Windows (the published rule); on all
//   other platforms the compiler's natural alignment. VST3_ABI_PACK_BEGIN/END bracket every ABI
//   struct, and each header static_asserts the sizes and offsets.
// - Interface ids: four 32-bit words as published. Windows keeps the COM GUID memory order (the
//   first word and the two halves of the second little-endian); every other platform stores the
//   16 bytes big-endian, as written.

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define VST3_PLATFORM_WINDOWS 1
#else
#define VST3_PLATFORM_WINDOWS 0
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define VST3_CALL __stdcall
#else
#define VST3_CALL
#endif

#if defined(_WIN64)
#define VST3_ABI_PACK_BEGIN _Pragma("pack(push, 16)")
#elif defined(_WIN32)
#define VST3_ABI_PACK_BEGIN _Pragma("pack(push, 8)")
#else
#define VST3_ABI_PACK_BEGIN _Pragma("pack(push)") _Pragma("pack()")
#endif
#define VST3_ABI_PACK_END _Pragma("pack(pop)")

namespace vst3
{
using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int16 = std::int16_t;
using uint16 = std::uint16_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using int64 = std::int64_t;
using uint64 = std::uint64_t;
using char8 = char;
using char16 = char16_t;
using TBool = uint8;
using tresult = int32;
using FIDString = const char8*;
using TUID = char8[16];
using String128 = char16[128];
using TChar = char16;
using CString = const char8*;

// Result codes. Only Windows uses the COM HRESULT values.
#if VST3_PLATFORM_WINDOWS
inline constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
inline constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
inline constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
inline constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
inline constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
inline constexpr tresult kNoInterface = -1;
inline constexpr tresult kResultOk = 0;
inline constexpr tresult kResultTrue = kResultOk;
inline constexpr tresult kResultFalse = 1;
inline constexpr tresult kInvalidArgument = 2;
inline constexpr tresult kNotImplemented = 3;
inline constexpr tresult kInternalError = 4;
inline constexpr tresult kNotInitialized = 5;
inline constexpr tresult kOutOfMemory = 6;
#endif

/** The 16 bytes of an interface or class id in this platform's memory order. */
struct Uid
{
  char8 bytes[16];
};

/** An id from its four published 32-bit words. */
constexpr Uid MakeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4)
{
  const auto byte = [](uint32 word, int shift)
  { return static_cast<char8>((word >> shift) & 0xFF); };
#if VST3_PLATFORM_WINDOWS
  return {{byte(l1, 0), byte(l1, 8), byte(l1, 16), byte(l1, 24), byte(l2, 16), byte(l2, 24),
           byte(l2, 0), byte(l2, 8), byte(l3, 24), byte(l3, 16), byte(l3, 8), byte(l3, 0),
           byte(l4, 24), byte(l4, 16), byte(l4, 8), byte(l4, 0)}};
#else
  return {{byte(l1, 24), byte(l1, 16), byte(l1, 8), byte(l1, 0), byte(l2, 24), byte(l2, 16),
           byte(l2, 8), byte(l2, 0), byte(l3, 24), byte(l3, 16), byte(l3, 8), byte(l3, 0),
           byte(l4, 24), byte(l4, 16), byte(l4, 8), byte(l4, 0)}};
#endif
}

/** True when the 16 bytes at id are uid (id may come from a host: compared bytewise). */
inline bool SameUid(const char8* id, const Uid& uid)
{
  return id && std::memcmp(id, uid.bytes, sizeof(uid.bytes)) == 0;
}

// Byte order of the ids for this platform, checked on a published id (IComponent).
inline constexpr Uid kByteOrderProbe = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
#if VST3_PLATFORM_WINDOWS
static_assert(kByteOrderProbe.bytes[0] == static_cast<char8>(0x31) &&
                  kByteOrderProbe.bytes[3] == static_cast<char8>(0xE8) &&
                  kByteOrderProbe.bytes[4] == static_cast<char8>(0xD5) &&
                  kByteOrderProbe.bytes[6] == static_cast<char8>(0x01) &&
                  kByteOrderProbe.bytes[8] == static_cast<char8>(0x92),
              "COM GUID order on Windows");
#else
static_assert(kByteOrderProbe.bytes[0] == static_cast<char8>(0xE8) &&
                  kByteOrderProbe.bytes[3] == static_cast<char8>(0x31) &&
                  kByteOrderProbe.bytes[4] == static_cast<char8>(0xF2) &&
                  kByteOrderProbe.bytes[7] == static_cast<char8>(0x01) &&
                  kByteOrderProbe.bytes[8] == static_cast<char8>(0x92),
              "big-endian id order outside Windows");
#endif
static_assert(sizeof(Uid) == 16 && sizeof(TUID) == 16);
static_assert(sizeof(char16) == 2 && sizeof(String128) == 256);

class FUnknown
{
public:
  virtual tresult VST3_CALL queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 VST3_CALL addRef() = 0;
  virtual uint32 VST3_CALL release() = 0;

  static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

protected:
  // Objects are destroyed by their own release(), never through an interface pointer.
  ~FUnknown() = default;
};

class IPluginBase : public FUnknown
{
public:
  virtual tresult VST3_CALL initialize(FUnknown* context) = 0;
  virtual tresult VST3_CALL terminate() = 0;

  static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
};

static_assert(sizeof(FUnknown) == sizeof(void*), "an interface is one vtable pointer");

} // namespace vst3
