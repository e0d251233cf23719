#pragma once
// What a host hands to process() besides audio: the event list with its event records and the
// parameter-change queues, as published.

#include "host/vst3/vst3_base.h"

namespace vst3
{
using ParamID = uint32;
using ParamValue = double;
using TQuarterNotes = double;

VST3_ABI_PACK_BEGIN

struct NoteOnEvent
{
  int16 channel;
  int16 pitch;
  float tuning;
  float velocity;
  int32 length;
  int32 noteId;
};

struct NoteOffEvent
{
  int16 channel;
  int16 pitch;
  float velocity;
  int32 noteId;
  float tuning;
};

struct DataEvent
{
  enum DataTypes : uint32
  {
    kMidiSysEx = 0,
  };

  uint32 size;
  uint32 type;
  const uint8* bytes;
};

struct PolyPressureEvent
{
  int16 channel;
  int16 pitch;
  float pressure;
  int32 noteId;
};

struct NoteExpressionValueEvent
{
  uint32 typeId;
  int32 noteId;
  double value;
};

struct NoteExpressionTextEvent
{
  uint32 typeId;
  int32 noteId;
  uint32 textLen;
  const TChar* text;
};

struct ChordEvent
{
  int16 root;
  int16 bassNote;
  int16 mask;
  uint16 textLen;
  const TChar* text;
};

struct ScaleEvent
{
  int16 root;
  int16 mask;
  uint16 textLen;
  const TChar* text;
};

struct LegacyMIDICCOutEvent
{
  uint8 controlNumber;
  int8 channel;
  int8 value;
  int8 value2;
};

struct Event
{
  enum EventFlags : uint16
  {
    kIsLive = 1 << 0,
    kUserReserved1 = 1 << 14,
    kUserReserved2 = 1 << 15,
  };

  enum EventTypes : uint16
  {
    kNoteOnEvent = 0,
    kNoteOffEvent = 1,
    kDataEvent = 2,
    kPolyPressureEvent = 3,
    kNoteExpressionValueEvent = 4,
    kNoteExpressionTextEvent = 5,
    kChordEvent = 6,
    kScaleEvent = 7,
    kLegacyMIDICCOutEvent = 65535,
  };

  int32 busIndex;
  int32 sampleOffset;
  TQuarterNotes ppqPosition;
  uint16 flags;
  uint16 type;
  union
  {
    NoteOnEvent noteOn;
    NoteOffEvent noteOff;
    DataEvent data;
    PolyPressureEvent polyPressure;
    NoteExpressionValueEvent noteExpressionValue;
    NoteExpressionTextEvent noteExpressionText;
    ChordEvent chord;
    ScaleEvent scale;
    LegacyMIDICCOutEvent midiCCOut;
  };
};

VST3_ABI_PACK_END

static_assert(sizeof(NoteOnEvent) == 20 && offsetof(NoteOnEvent, velocity) == 8);
static_assert(sizeof(NoteOffEvent) == 16 && offsetof(NoteOffEvent, velocity) == 4);
static_assert(sizeof(DataEvent) == 16 && sizeof(PolyPressureEvent) == 12);
static_assert(sizeof(NoteExpressionValueEvent) == 16 && sizeof(NoteExpressionTextEvent) == 24);
static_assert(sizeof(ChordEvent) == 16 && sizeof(ScaleEvent) == 16);
static_assert(sizeof(LegacyMIDICCOutEvent) == 4);
static_assert(sizeof(Event) == 48 && offsetof(Event, ppqPosition) == 8 &&
              offsetof(Event, flags) == 16 && offsetof(Event, type) == 18 &&
              offsetof(Event, noteOn) == 24);

class IEventList : public FUnknown
{
public:
  virtual int32 VST3_CALL getEventCount() = 0;
  virtual tresult VST3_CALL getEvent(int32 index, Event& e) = 0;
  virtual tresult VST3_CALL addEvent(Event& e) = 0;

  static constexpr Uid iid = MakeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
};

class IParamValueQueue : public FUnknown
{
public:
  virtual ParamID VST3_CALL getParameterId() = 0;
  virtual int32 VST3_CALL getPointCount() = 0;
  virtual tresult VST3_CALL getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult VST3_CALL addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

  static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
};

class IParameterChanges : public FUnknown
{
public:
  virtual int32 VST3_CALL getParameterCount() = 0;
  virtual IParamValueQueue* VST3_CALL getParameterData(int32 index) = 0;
  virtual IParamValueQueue* VST3_CALL addParameterData(const ParamID& id, int32& index) = 0;

  static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
};

} // namespace vst3
