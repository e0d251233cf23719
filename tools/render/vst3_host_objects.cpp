#include "render/vst3_host_objects.h"

#include "host/vst3_strings.h"

#include <algorithm>
#include <cstring>

using namespace vst3;

namespace vst3host
{
namespace
{
/** The usual answer of a single-interface object. */
template <class Interface>
tresult QueryOne(Interface* self, const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, Interface::iid))
  {
    self->addRef();
    *obj = self;
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}
} // namespace

// --- HostApplication ----------------------------------------------------------------------

HostApplication::HostApplication(std::string name, bool withRunLoop)
    : mName(std::move(name)), mWithRunLoop(withRunLoop)
{
}

void HostApplication::TickTimers()
{
  // A timer may unregister itself while it runs: tick a copy of the list.
  const std::vector<ITimerHandler*> timers = mTimers;
  for (ITimerHandler* timer : timers)
    timer->onTimer();
}

tresult HostApplication::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  void* found = nullptr;
  if (SameUid(iid, FUnknown::iid) || SameUid(iid, IHostApplication::iid))
    found = static_cast<IHostApplication*>(this);
  else if (mWithRunLoop && SameUid(iid, IRunLoop::iid))
    found = static_cast<IRunLoop*>(this);
  *obj = found;
  if (!found) return kNoInterface;
  addRef();
  return kResultOk;
}

tresult HostApplication::getName(String128 name)
{
  if (!name) return kInvalidArgument;
  CopyToField(name, 128, mName);
  return kResultOk;
}

tresult HostApplication::createInstance(TUID /*cid*/, TUID /*iid*/, void** obj)
{
  if (obj) *obj = nullptr;
  return kResultFalse;
}

tresult HostApplication::registerEventHandler(IEventHandler* /*handler*/, FileDescriptor /*fd*/)
{
  return kNotImplemented;
}

tresult HostApplication::unregisterEventHandler(IEventHandler* /*handler*/)
{
  return kNotImplemented;
}

tresult HostApplication::registerTimer(ITimerHandler* handler, TimerInterval /*milliseconds*/)
{
  if (!handler) return kInvalidArgument;
  handler->addRef();
  mTimers.push_back(handler);
  return kResultOk;
}

tresult HostApplication::unregisterTimer(ITimerHandler* handler)
{
  const auto found = std::find(mTimers.begin(), mTimers.end(), handler);
  if (found == mTimers.end()) return kInvalidArgument;
  mTimers.erase(found);
  handler->release();
  return kResultOk;
}

// --- MemoryStream -------------------------------------------------------------------------

tresult MemoryStream::queryInterface(const TUID iid, void** obj)
{
  return QueryOne<IBStream>(this, iid, obj);
}

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const std::size_t available = mPosition < mBytes.size() ? mBytes.size() - mPosition : 0;
  const std::size_t count = std::min(available, static_cast<std::size_t>(numBytes));
  if (count > 0) std::memcpy(buffer, mBytes.data() + mPosition, count);
  mPosition += count;
  if (numBytesRead) *numBytesRead = static_cast<int32>(count);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
  if (!buffer || numBytes < 0) return kInvalidArgument;
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  if (mBytes.size() < mPosition + static_cast<std::size_t>(numBytes))
    mBytes.resize(mPosition + static_cast<std::size_t>(numBytes));
  std::copy_n(bytes, numBytes, mBytes.begin() + static_cast<std::ptrdiff_t>(mPosition));
  mPosition += static_cast<std::size_t>(numBytes);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
  int64 base = 0;
  if (mode == kIBSeekCur)
    base = static_cast<int64>(mPosition);
  else if (mode == kIBSeekEnd)
    base = static_cast<int64>(mBytes.size());
  else if (mode != kIBSeekSet)
    return kInvalidArgument;
  if (base + pos < 0) return kResultFalse;
  mPosition = static_cast<std::size_t>(base + pos);
  if (result) *result = static_cast<int64>(mPosition);
  return kResultOk;
}

tresult MemoryStream::tell(int64* pos)
{
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(mPosition);
  return kResultOk;
}

// --- Parameter changes --------------------------------------------------------------------

tresult ParamValueQueue::queryInterface(const TUID iid, void** obj)
{
  return QueryOne<IParamValueQueue>(this, iid, obj);
}

tresult ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
  if (index < 0 || index >= getPointCount()) return kInvalidArgument;
  sampleOffset = mPoints[static_cast<std::size_t>(index)].offset;
  value = mPoints[static_cast<std::size_t>(index)].value;
  return kResultOk;
}

tresult ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
  index = getPointCount();
  mPoints.push_back({sampleOffset, value});
  return kResultOk;
}

void ParameterChanges::Clear()
{
  mUsed = 0;
}

void ParameterChanges::Add(ParamID id, int32 sampleOffset, ParamValue value)
{
  int32 index = 0;
  addParameterData(id, index)->addPoint(sampleOffset, value, index);
}

tresult ParameterChanges::queryInterface(const TUID iid, void** obj)
{
  return QueryOne<IParameterChanges>(this, iid, obj);
}

IParamValueQueue* ParameterChanges::getParameterData(int32 index)
{
  return (index >= 0 && index < mUsed) ? mQueues[static_cast<std::size_t>(index)].get() : nullptr;
}

IParamValueQueue* ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
  for (index = 0; index < mUsed; ++index)
    if (mQueues[static_cast<std::size_t>(index)]->getParameterId() == id)
      return mQueues[static_cast<std::size_t>(index)].get();
  if (static_cast<std::size_t>(mUsed) == mQueues.size())
    mQueues.push_back(std::make_unique<ParamValueQueue>(id));
  ParamValueQueue& queue = *mQueues[static_cast<std::size_t>(mUsed)];
  queue.Reset(id);
  index = mUsed++;
  return &queue;
}

// --- Events -------------------------------------------------------------------------------

tresult EventList::queryInterface(const TUID iid, void** obj)
{
  return QueryOne<IEventList>(this, iid, obj);
}

tresult EventList::getEvent(int32 index, Event& e)
{
  if (index < 0 || index >= getEventCount()) return kInvalidArgument;
  e = mEvents[static_cast<std::size_t>(index)];
  return kResultOk;
}

tresult EventList::addEvent(Event& e)
{
  mEvents.push_back(e);
  return kResultOk;
}

Event NoteOnEvent(int offset, int channel, int pitch, float velocity)
{
  Event e{};
  e.sampleOffset = offset;
  e.type = Event::kNoteOnEvent;
  e.noteOn = {static_cast<int16>(channel), static_cast<int16>(pitch), 0.0f, velocity, 0, -1};
  return e;
}

Event NoteOffEvent(int offset, int channel, int pitch, float velocity)
{
  Event e{};
  e.sampleOffset = offset;
  e.type = Event::kNoteOffEvent;
  e.noteOff = {static_cast<int16>(channel), static_cast<int16>(pitch), velocity, -1, 0.0f};
  return e;
}

Event PolyPressureEvent(int offset, int channel, int pitch, float pressure)
{
  Event e{};
  e.sampleOffset = offset;
  e.type = Event::kPolyPressureEvent;
  e.polyPressure = {static_cast<int16>(channel), static_cast<int16>(pitch), pressure, -1};
  return e;
}

} // namespace vst3host
