#include "host/vst3_factory.h"

#include "host/plugin_identity.h"
#include "host/vst3/vst3_component.h"
#include "host/vst3_plugin.h"
#include "host/vst3_strings.h"
#include "plugin/vantrix.h"

#include <cstring>
#include <mutex>

using namespace vst3;

namespace
{
// Guards the shared factory pointer.
std::mutex gFactoryMutex;
Vst3Factory* gFactory = nullptr;

// Instances are never constructed concurrently.
std::mutex gCreateMutex;

constexpr int32 kNumClasses = 1;

/** The fields common to the three class records. */
template <class Info>
void FillClassBase(Info& info)
{
  std::memcpy(info.cid, plugin_identity::kClassId.bytes, sizeof(info.cid));
  info.cardinality = PClassInfo::kManyInstances;
  CopyToField(info.category, kVstAudioEffectClass);
  CopyToField(info.name, plugin_identity::kPluginName);
}

/** The fields of the extended class records (8-bit or UTF-16 text). */
template <class Info>
void FillClassExtension(Info& info)
{
  FillClassBase(info);
  info.classFlags = kSimpleModeSupported;
  CopyToField(info.subCategories, plugin_identity::kSubCategories);
  CopyToField(info.vendor, ""); // the factory's vendor applies
  CopyToField(info.version, plugin_identity::kVersionText);
  CopyToField(info.sdkVersion, plugin_identity::kSdkVersion);
}
} // namespace

IPluginFactory* Vst3Factory::Shared()
{
  const std::lock_guard<std::mutex> lock(gFactoryMutex);
  // A factory whose last reference is being released right now is not handed out again.
  if (!gFactory || !gFactory->mRefs.TryAddRef()) gFactory = new Vst3Factory;
  return gFactory;
}

Vst3Factory::~Vst3Factory()
{
  const std::lock_guard<std::mutex> lock(gFactoryMutex);
  if (gFactory == this) gFactory = nullptr;
}

tresult Vst3Factory::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginFactory::iid) ||
      SameUid(iid, IPluginFactory2::iid) || SameUid(iid, IPluginFactory3::iid))
  {
    addRef();
    *obj = static_cast<IPluginFactory3*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 Vst3Factory::addRef()
{
  return mRefs.AddRef();
}

uint32 Vst3Factory::release()
{
  const uint32 count = mRefs.Release();
  if (count == 0) delete this;
  return count;
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info)
{
  if (!info) return kInvalidArgument;
  CopyToField(info->vendor, plugin_identity::kVendor);
  CopyToField(info->url, plugin_identity::kVendorUrl);
  CopyToField(info->email, plugin_identity::kVendorEmail);
  info->flags = PFactoryInfo::kUnicode;
  return kResultOk;
}

int32 Vst3Factory::countClasses()
{
  return kNumClasses;
}

tresult Vst3Factory::getClassInfo(int32 index, PClassInfo* info)
{
  if (!info || index < 0 || index >= kNumClasses) return kInvalidArgument;
  FillClassBase(*info);
  return kResultOk;
}

tresult Vst3Factory::getClassInfo2(int32 index, PClassInfo2* info)
{
  if (!info || index < 0 || index >= kNumClasses) return kInvalidArgument;
  FillClassExtension(*info);
  return kResultOk;
}

tresult Vst3Factory::getClassInfoUnicode(int32 index, PClassInfoW* info)
{
  if (!info || index < 0 || index >= kNumClasses) return kInvalidArgument;
  FillClassExtension(*info);
  return kResultOk;
}

tresult Vst3Factory::createInstance(FIDString cid, FIDString iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!SameUid(cid, plugin_identity::kClassId)) return kNoInterface;
  return GuardedCall(
      [&]
      {
        Vst3Plugin* plugin = nullptr;
        {
          const std::lock_guard<std::mutex> lock(gCreateMutex);
          plugin = new Vst3Plugin(std::make_unique<Vantrix>());
        }
        // The host's reference comes from the query; the one from construction goes.
        const tresult result = plugin->queryInterface(iid, obj);
        static_cast<IComponent*>(plugin)->release();
        return result;
      });
}

tresult Vst3Factory::setHostContext(FUnknown* /*context*/)
{
  // Nothing in the factory depends on the host.
  return kNotImplemented;
}
