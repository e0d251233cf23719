#pragma once
// The module's plug-in factory: one shared object that describes the instrument's one class
// and creates its instances.
//
// Thread contract: any thread; instance creation is serialised by one process-wide lock.

#include "host/com_support.h"
#include "host/vst3/vst3_factory.h"

class Vst3Factory final : public vst3::IPluginFactory3
{
public:
  /** Any thread: the factory, created on the first call; the caller owns one reference. */
  static vst3::IPluginFactory* Shared();

  // FUnknown (any thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override;
  vst3::uint32 VST3_CALL release() override;

  // IPluginFactory 1 to 3 (any thread).
  vst3::tresult VST3_CALL getFactoryInfo(vst3::PFactoryInfo* info) override;
  vst3::int32 VST3_CALL countClasses() override;
  vst3::tresult VST3_CALL getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
  vst3::tresult VST3_CALL createInstance(vst3::FIDString cid, vst3::FIDString iid,
                                         void** obj) override;
  vst3::tresult VST3_CALL getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
  vst3::tresult VST3_CALL getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
  vst3::tresult VST3_CALL setHostContext(vst3::FUnknown* context) override;

private:
  Vst3Factory() = default;
  ~Vst3Factory();

  ComRefCount mRefs;
};
