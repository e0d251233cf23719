#pragma once
// The objects a VST3 host hands to a plug-in: the host application (which also offers a run
// loop whose timers the host ticks itself), byte streams in memory, parameter-change queues and
// the event list. The host owns them: a plug-in's release() only counts, so each object must
// outlive every plug-in that got it.
//
// Thread contract: each object is used by one host thread at a time, in the roles the VST3
// interfaces give it (the queues and the event list on the audio thread during process()).

#include "host/vst3/vst3_controller.h"
#include "host/vst3/vst3_events.h"
#include "host/vst3/vst3_host_interfaces.h"
#include "host/vst3/vst3_stream.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vst3host
{
/** Reference counting of an object the host owns: counts, never deletes. */
class HostOwnedRefCount
{
public:
  vst3::uint32 AddRef() { return ++mCount; }
  vst3::uint32 Release() { return --mCount; }

private:
  std::atomic<vst3::uint32> mCount{1};
};

class HostApplication final : public vst3::IHostApplication, public vst3::IRunLoop
{
public:
  /** The host's name as plug-ins read it; withRunLoop offers IRunLoop on the same object. */
  HostApplication(std::string name, bool withRunLoop);

  /** Host's UI thread: one tick of every timer a plug-in registered. */
  void TickTimers();
  /** Host's UI thread: how many timers plug-ins have registered. */
  int NumTimers() const { return static_cast<int>(mTimers.size()); }

  // FUnknown, IHostApplication, IRunLoop (host's UI thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  vst3::uint32 VST3_CALL release() override { return mRefs.Release(); }
  vst3::tresult VST3_CALL getName(vst3::String128 name) override;
  vst3::tresult VST3_CALL createInstance(vst3::TUID cid, vst3::TUID iid, void** obj) override;
  vst3::tresult VST3_CALL registerEventHandler(vst3::IEventHandler* handler,
                                               vst3::FileDescriptor fd) override;
  vst3::tresult VST3_CALL unregisterEventHandler(vst3::IEventHandler* handler) override;
  vst3::tresult VST3_CALL registerTimer(vst3::ITimerHandler* handler,
                                        vst3::TimerInterval milliseconds) override;
  vst3::tresult VST3_CALL unregisterTimer(vst3::ITimerHandler* handler) override;

private:
  HostOwnedRefCount mRefs;
  std::string mName;
  bool mWithRunLoop;
  std::vector<vst3::ITimerHandler*> mTimers; // each holds one reference
};

/** A byte stream over a growable buffer, positioned at 0. */
class MemoryStream final : public vst3::IBStream
{
public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<std::uint8_t> bytes) : mBytes(std::move(bytes)) {}

  const std::vector<std::uint8_t>& Bytes() const { return mBytes; }

  // FUnknown, IBStream (host's UI thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  vst3::uint32 VST3_CALL release() override { return mRefs.Release(); }
  vst3::tresult VST3_CALL read(void* buffer, vst3::int32 numBytes,
                               vst3::int32* numBytesRead) override;
  vst3::tresult VST3_CALL write(void* buffer, vst3::int32 numBytes,
                                vst3::int32* numBytesWritten) override;
  vst3::tresult VST3_CALL seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
  vst3::tresult VST3_CALL tell(vst3::int64* pos) override;

private:
  HostOwnedRefCount mRefs;
  std::vector<std::uint8_t> mBytes;
  std::size_t mPosition = 0;
};

/** The points of one parameter within one block. */
class ParamValueQueue final : public vst3::IParamValueQueue
{
public:
  explicit ParamValueQueue(vst3::ParamID id) : mId(id) {}
  void Reset(vst3::ParamID id)
  {
    mId = id;
    mPoints.clear();
  }

  // FUnknown, IParamValueQueue (audio thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  vst3::uint32 VST3_CALL release() override { return mRefs.Release(); }
  vst3::ParamID VST3_CALL getParameterId() override { return mId; }
  vst3::int32 VST3_CALL getPointCount() override
  {
    return static_cast<vst3::int32>(mPoints.size());
  }
  vst3::tresult VST3_CALL getPoint(vst3::int32 index, vst3::int32& sampleOffset,
                                   vst3::ParamValue& value) override;
  vst3::tresult VST3_CALL addPoint(vst3::int32 sampleOffset, vst3::ParamValue value,
                                   vst3::int32& index) override;

private:
  struct Point
  {
    vst3::int32 offset;
    vst3::ParamValue value;
  };

  HostOwnedRefCount mRefs;
  vst3::ParamID mId;
  std::vector<Point> mPoints;
};

/** The parameter changes of one block; cleared and refilled for every block. Queues are kept
    for reuse, so filling allocates only when a block needs more than any block before. */
class ParameterChanges final : public vst3::IParameterChanges
{
public:
  /** Host thread, between blocks: empties every queue. */
  void Clear();
  /** Host thread, between blocks: appends a point to id's queue (created on first use). */
  void Add(vst3::ParamID id, vst3::int32 sampleOffset, vst3::ParamValue value);

  // FUnknown, IParameterChanges (audio thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  vst3::uint32 VST3_CALL release() override { return mRefs.Release(); }
  vst3::int32 VST3_CALL getParameterCount() override { return mUsed; }
  vst3::IParamValueQueue* VST3_CALL getParameterData(vst3::int32 index) override;
  vst3::IParamValueQueue* VST3_CALL addParameterData(const vst3::ParamID& id,
                                                     vst3::int32& index) override;

private:
  HostOwnedRefCount mRefs;
  std::vector<std::unique_ptr<ParamValueQueue>> mQueues;
  vst3::int32 mUsed = 0;
};

/** The events of one block, in the order they were added. */
class EventList final : public vst3::IEventList
{
public:
  /** Host thread, between blocks. */
  void Clear() { mEvents.clear(); }
  /** Host thread, between blocks. */
  void Add(const vst3::Event& event) { mEvents.push_back(event); }
  void Reserve(std::size_t count) { mEvents.reserve(count); }

  // FUnknown, IEventList (audio thread).
  vst3::tresult VST3_CALL queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_CALL addRef() override { return mRefs.AddRef(); }
  vst3::uint32 VST3_CALL release() override { return mRefs.Release(); }
  vst3::int32 VST3_CALL getEventCount() override
  {
    return static_cast<vst3::int32>(mEvents.size());
  }
  vst3::tresult VST3_CALL getEvent(vst3::int32 index, vst3::Event& e) override;
  vst3::tresult VST3_CALL addEvent(vst3::Event& e) override;

private:
  HostOwnedRefCount mRefs;
  std::vector<vst3::Event> mEvents;
};

/** Event records as hosts fill them for MIDI note messages. */
vst3::Event NoteOnEvent(int offset, int channel, int pitch, float velocity);
vst3::Event NoteOffEvent(int offset, int channel, int pitch, float velocity);
vst3::Event PolyPressureEvent(int offset, int channel, int pitch, float pressure);

} // namespace vst3host
