// Vst3Plugin: life cycle, interface queries, initialisation and the instrument's reports to the
// host.

#include "host/vst3_plugin.h"

#include "host/host_detection.h"
#include "plugin/vantrix.h"

using namespace vst3;

Vst3Plugin::Vst3Plugin(std::unique_ptr<Vantrix> plug)
    : mPlug(std::move(plug)), mParams(*mPlug), mProcessing(*mPlug, mBuses), mIdleTimer(*mPlug)
{
}

Vst3Plugin::~Vst3Plugin()
{
  mIdleTimer.Stop();
  mPlug->SetHostReporter(nullptr);
}

tresult Vst3Plugin::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  void* found = nullptr;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, IPluginBase::iid) ||
      SameUid(iid, IComponent::iid))
    found = static_cast<IComponent*>(this);
  else if (SameUid(iid, IAudioProcessor::iid))
    found = static_cast<IAudioProcessor*>(this);
  else if (SameUid(iid, IProcessContextRequirements::iid))
    found = static_cast<IProcessContextRequirements*>(this);
  else if (SameUid(iid, IEditController::iid))
    found = static_cast<IEditController*>(this);
  else if (SameUid(iid, IUnitInfo::iid))
    found = static_cast<IUnitInfo*>(this);
  else if (SameUid(iid, IMidiMapping::iid))
    found = static_cast<IMidiMapping*>(this);
  else if (SameUid(iid, ChannelContext::IInfoListener::iid))
    found = static_cast<ChannelContext::IInfoListener*>(this);
  *obj = found;
  if (!found) return kNoInterface;
  addRef();
  return kResultOk;
}

uint32 Vst3Plugin::addRef()
{
  return mRefs.AddRef();
}

uint32 Vst3Plugin::release()
{
  const uint32 count = mRefs.Release();
  if (count == 0) delete this;
  return count;
}

tresult Vst3Plugin::initialize(FUnknown* context)
{
  if (mInitialised) return kResultFalse;
  return GuardedCall(
      [&]
      {
        mHostContext = ComPtr<FUnknown>::Share(context);
        mBuses = BusLayout();
        mParams.Build();
        IdentifyHost(context);
        DeliverAllParams();
        mPlug->SetHostReporter(this);
        mIdleTimer.Start(QueryComInterface<IRunLoop>(context));
        mInitialised = true;
        return kResultOk;
      });
}

tresult Vst3Plugin::terminate()
{
  mIdleTimer.Stop();
  mPlug->SetHostReporter(nullptr);
  mHandler.Reset();
  mHostContext.Reset();
  mParams.Clear();
  mInitialised = false;
  return kResultOk;
}

void Vst3Plugin::IdentifyHost(FUnknown* context)
{
  if (mPlug->GetHost() != IPlugProcessor::kHostUnidentified) return;
  const ComPtr<IHostApplication> host = QueryComInterface<IHostApplication>(context);
  String128 name = {};
  if (!host || host->getName(name) != kResultOk) return;
  mPlug->SetHost(HostIdFromName(NarrowHostName(name)));
}

void Vst3Plugin::DeliverAllParams()
{
  // The engine receives every initial value before the first block.
  for (int i = 0; i < mPlug->NParams(); ++i)
  {
    mPlug->NotifyParamChange(i, EParamSource::kReset, -1);
    mPlug->NotifyEditorParamChange(i, EParamSource::kReset);
  }
}

void Vst3Plugin::BeginEdit(int index)
{
  if (mHandler) mHandler->beginEdit(static_cast<ParamID>(index));
}

void Vst3Plugin::PerformEdit(int index, double normalised)
{
  if (mHandler) mHandler->performEdit(static_cast<ParamID>(index), normalised);
}

void Vst3Plugin::EndEdit(int index)
{
  if (mHandler) mHandler->endEdit(static_cast<ParamID>(index));
}

void Vst3Plugin::UpdateHostParam(int index, double normalised)
{
  if (ExportedParam* param = mParams.Find(static_cast<ParamID>(index)))
    param->normalised = normalised;
}
