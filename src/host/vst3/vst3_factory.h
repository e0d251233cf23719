#pragma once
// The plug-in factory interfaces 1 to 3 and their information records, as published.

#include "host/vst3/vst3_base.h"

namespace vst3
{
VST3_ABI_PACK_BEGIN

struct PFactoryInfo
{
  enum FactoryFlags : int32
  {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,
    kLicenseCheck = 1 << 1,
    kComponentNonDiscardable = 1 << 3,
    kUnicode = 1 << 4,
  };
  static constexpr int32 kNameSize = 64;
  static constexpr int32 kURLSize = 256;
  static constexpr int32 kEmailSize = 128;

  char8 vendor[kNameSize];
  char8 url[kURLSize];
  char8 email[kEmailSize];
  int32 flags;
};

struct PClassInfo
{
  static constexpr int32 kManyInstances = 0x7FFFFFFF;
  static constexpr int32 kCategorySize = 32;
  static constexpr int32 kNameSize = 64;

  TUID cid;
  int32 cardinality;
  char8 category[kCategorySize];
  char8 name[kNameSize];
};

/** Component flags of the extended class records. */
enum ComponentFlags : uint32
{
  kDistributable = 1 << 0,
  kSimpleModeSupported = 1 << 1,
};

struct PClassInfo2
{
  static constexpr int32 kVendorSize = 64;
  static constexpr int32 kVersionSize = 64;
  static constexpr int32 kSubCategoriesSize = 128;

  TUID cid;
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char8 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[kSubCategoriesSize];
  char8 vendor[kVendorSize];
  char8 version[kVersionSize];
  char8 sdkVersion[kVersionSize];
};

struct PClassInfoW
{
  TUID cid;
  int32 cardinality;
  char8 category[PClassInfo::kCategorySize];
  char16 name[PClassInfo::kNameSize];
  uint32 classFlags;
  char8 subCategories[PClassInfo2::kSubCategoriesSize];
  char16 vendor[PClassInfo2::kVendorSize];
  char16 version[PClassInfo2::kVersionSize];
  char16 sdkVersion[PClassInfo2::kVersionSize];
};

VST3_ABI_PACK_END

static_assert(sizeof(PFactoryInfo) == 452 && offsetof(PFactoryInfo, flags) == 448);
static_assert(sizeof(PClassInfo) == 116 && offsetof(PClassInfo, name) == 52);
static_assert(sizeof(PClassInfo2) == 440 && offsetof(PClassInfo2, classFlags) == 116 &&
              offsetof(PClassInfo2, sdkVersion) == 376);
static_assert(sizeof(PClassInfoW) == 696 && offsetof(PClassInfoW, classFlags) == 180 &&
              offsetof(PClassInfoW, vendor) == 312 && offsetof(PClassInfoW, sdkVersion) == 568);

class IPluginFactory : public FUnknown
{
public:
  virtual tresult VST3_CALL getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32 VST3_CALL countClasses() = 0;
  virtual tresult VST3_CALL getClassInfo(int32 index, PClassInfo* info) = 0;
  virtual tresult VST3_CALL createInstance(FIDString cid, FIDString iid, void** obj) = 0;

  static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
};

class IPluginFactory2 : public IPluginFactory
{
public:
  virtual tresult VST3_CALL getClassInfo2(int32 index, PClassInfo2* info) = 0;

  static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
};

class IPluginFactory3 : public IPluginFactory2
{
public:
  virtual tresult VST3_CALL getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
  virtual tresult VST3_CALL setHostContext(FUnknown* context) = 0;

  static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
};

/** The module's one exported factory function. */
using GetFactoryProc = IPluginFactory* (*)();

} // namespace vst3
