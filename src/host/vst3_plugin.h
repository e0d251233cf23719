#pragma once
// One instance of the instrument as a VST3 single-component plug-in: a single COM object is the
// component, audio processor and edit controller, with unit information, MIDI mapping and the
// channel-context listener. Its methods check the host's arguments, translate the interface
// records and forward to the plain C++ of the binding (parameters, buses, processing, state,
// idle timer) and to the instrument; the methods are spread over one source file per interface
// family.
//
// Thread contract: processing calls (process) on the host's audio thread; setupProcessing,
// setProcessing, canProcessSampleSize and setBusArrangements while processing is stopped;
// everything else on the host's user-interface thread. Reference counting on any thread.

#include "host/bus_layout.h"
#include "host/com_support.h"
#include "host/exported_params.h"
#include "host/idle_timer.h"
#include "host/vst3/vst3_controller.h"
#include "host/vst3/vst3_host_interfaces.h"
#include "host/vst3/vst3_processor.h"
#include "host/vst3_processing.h"
#include "plugin/plug_processor.h"

#include <memory>

class Vantrix;

// IComponent and IEditController declare setState and getState with the same signatures. In
// C++ one override would serve both, so these two bases give each pair its own name: the
// component's state is the instrument's, the controller keeps none.
class Vst3ComponentBase : public vst3::IComponent
{
public:
  /** UI thread: restores the component state. */
  vst3::tresult VST3_CALL setState(vst3::IBStream* state) final { return SetComponentState(state); }
  /** UI thread: writes the component state. */
  vst3::tresult VST3_CALL getState(vst3::IBStream* state) final { return GetComponentState(state); }

protected:
  ~Vst3ComponentBase() = default;
  virtual vst3::tresult SetComponentState(vst3::IBStream* state) = 0;
  virtual vst3::tresult GetComponentState(vst3::IBStream* state) = 0;
};

class Vst3ControllerBase : public vst3::IEditController
{
public:
  /** UI thread: the controller's own state; there is none. */
  vst3::tresult VST3_CALL setState(vst3::IBStream* /*state*/) final { return vst3::kResultOk; }
  /** UI thread: the controller's own state; there is none. */
  vst3::tresult VST3_CALL getState(vst3::IBStream* /*state*/) final { return vst3::kResultOk; }

protected:
  ~Vst3ControllerBase() = default;
};

class Vst3Plugin final : public Vst3ComponentBase,
                         public vst3::IAudioProcessor,
                         public vst3::IProcessContextRequirements,
                         public Vst3ControllerBase,
                         public vst3::IUnitInfo,
                         public vst3::IMidiMapping,
                         public vst3::ChannelContext::IInfoListener,
                         private IPlugHostReporter
{
public:
  /** UI thread: wraps a new instrument; the caller owns the one reference it starts with. */
  explicit Vst3Plugin(std::unique_ptr<Vantrix> plug);

  // FUnknown (any thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override;
  vst3::uint32 VST3_CALL release() override;

  // IPluginBase, shared by component and controller (UI thread).
  vst3::tresult VST3_CALL initialize(vst3::FUnknown* context) override;
  vst3::tresult VST3_CALL terminate() override;

  // IComponent (UI thread).
  vst3::tresult VST3_CALL getControllerClassId(vst3::TUID classId) override;
  vst3::tresult VST3_CALL setIoMode(vst3::IoMode mode) override;
  vst3::int32 VST3_CALL getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
  vst3::tresult VST3_CALL getBusInfo(vst3::MediaType type, vst3::BusDirection dir,
                                     vst3::int32 index, vst3::BusInfo& bus) override;
  vst3::tresult VST3_CALL getRoutingInfo(vst3::RoutingInfo& inInfo,
                                         vst3::RoutingInfo& outInfo) override;
  vst3::tresult VST3_CALL activateBus(vst3::MediaType type, vst3::BusDirection dir,
                                      vst3::int32 index, vst3::TBool state) override;
  vst3::tresult VST3_CALL setActive(vst3::TBool state) override;

  // IAudioProcessor (process: audio thread; the rest: processing stopped).
  vst3::tresult VST3_CALL setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                             vst3::SpeakerArrangement* outputs,
                                             vst3::int32 numOuts) override;
  vst3::tresult VST3_CALL getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                            vst3::SpeakerArrangement& arr) override;
  vst3::tresult VST3_CALL canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
  vst3::uint32 VST3_CALL getLatencySamples() override;
  vst3::tresult VST3_CALL setupProcessing(vst3::ProcessSetup& setup) override;
  vst3::tresult VST3_CALL setProcessing(vst3::TBool state) override;
  vst3::tresult VST3_CALL process(vst3::ProcessData& data) override;
  vst3::uint32 VST3_CALL getTailSamples() override;

  // IProcessContextRequirements (UI thread).
  vst3::uint32 VST3_CALL getProcessContextRequirements() override;

  // IEditController (UI thread).
  vst3::tresult VST3_CALL setComponentState(vst3::IBStream* state) override;
  vst3::int32 VST3_CALL getParameterCount() override;
  vst3::tresult VST3_CALL getParameterInfo(vst3::int32 paramIndex,
                                           vst3::ParameterInfo& info) override;
  vst3::tresult VST3_CALL getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                vst3::String128 string) override;
  vst3::tresult VST3_CALL getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                                vst3::ParamValue& valueNormalized) override;
  vst3::ParamValue VST3_CALL normalizedParamToPlain(vst3::ParamID id,
                                                    vst3::ParamValue valueNormalized) override;
  vst3::ParamValue VST3_CALL plainParamToNormalized(vst3::ParamID id,
                                                    vst3::ParamValue plainValue) override;
  vst3::ParamValue VST3_CALL getParamNormalized(vst3::ParamID id) override;
  vst3::tresult VST3_CALL setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
  vst3::tresult VST3_CALL setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* VST3_CALL createView(vst3::FIDString name) override;

  // IUnitInfo (UI thread).
  vst3::int32 VST3_CALL getUnitCount() override;
  vst3::tresult VST3_CALL getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
  vst3::int32 VST3_CALL getProgramListCount() override;
  vst3::tresult VST3_CALL getProgramListInfo(vst3::int32 listIndex,
                                             vst3::ProgramListInfo& info) override;
  vst3::tresult VST3_CALL getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                         vst3::String128 name) override;
  vst3::tresult VST3_CALL getProgramInfo(vst3::ProgramListID listId, vst3::int32 programIndex,
                                         vst3::CString attributeId,
                                         vst3::String128 attributeValue) override;
  vst3::tresult VST3_CALL hasProgramPitchNames(vst3::ProgramListID listId,
                                               vst3::int32 programIndex) override;
  vst3::tresult VST3_CALL getProgramPitchName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                              vst3::int16 midiPitch, vst3::String128 name) override;
  vst3::UnitID VST3_CALL getSelectedUnit() override;
  vst3::tresult VST3_CALL selectUnit(vst3::UnitID unitId) override;
  vst3::tresult VST3_CALL getUnitByBus(vst3::int32 type, vst3::int32 dir, vst3::int32 busIndex,
                                       vst3::int32 channel, vst3::UnitID& unitId) override;
  vst3::tresult VST3_CALL setUnitProgramData(vst3::int32 listOrUnitId, vst3::int32 programIndex,
                                             vst3::IBStream* data) override;

  // IMidiMapping (UI thread).
  vst3::tresult VST3_CALL getMidiControllerAssignment(vst3::int32 busIndex, vst3::int16 channel,
                                                      vst3::CtrlNumber midiControllerNumber,
                                                      vst3::ParamID& id) override;

  // ChannelContext::IInfoListener (UI thread).
  vst3::tresult VST3_CALL setChannelContextInfos(vst3::IAttributeList* list) override;

private:
  ~Vst3Plugin();

  // The component's state (UI thread).
  vst3::tresult SetComponentState(vst3::IBStream* state) override;
  vst3::tresult GetComponentState(vst3::IBStream* state) override;

  // IPlugHostReporter: the instrument's reports to the host (UI thread).
  void BeginEdit(int index) override;
  void PerformEdit(int index, double normalised) override;
  void EndEdit(int index) override;
  void UpdateHostParam(int index, double normalised) override;

  void IdentifyHost(vst3::FUnknown* context);
  void DeliverAllParams();

  ComRefCount mRefs;
  std::unique_ptr<Vantrix> mPlug;
  ExportedParams mParams;
  BusLayout mBuses;
  Vst3Processing mProcessing;
  IdleTimer mIdleTimer;
  ComPtr<vst3::FUnknown> mHostContext;
  ComPtr<vst3::IComponentHandler> mHandler;
  vst3::UnitID mSelectedUnit = vst3::kRootUnitId;
  bool mInitialised = false;
};
