#pragma once
// Byte streams (IBStream) and attribute lists (IAttributeList), as published.

#include "host/vst3/vst3_base.h"

namespace vst3
{

class IBStream : public FUnknown
{
public:
  enum IStreamSeekMode : int32
  {
    kIBSeekSet = 0,
    kIBSeekCur = 1,
    kIBSeekEnd = 2,
  };

  virtual tresult VST3_CALL read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
  virtual tresult VST3_CALL write(void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
  virtual tresult VST3_CALL seek(int64 pos, int32 mode, int64* result) = 0;
  virtual tresult VST3_CALL tell(int64* pos) = 0;

  static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
};

class IAttributeList : public FUnknown
{
public:
  using AttrID = const char8*;

  virtual tresult VST3_CALL setInt(AttrID id, int64 value) = 0;
  virtual tresult VST3_CALL getInt(AttrID id, int64& value) = 0;
  virtual tresult VST3_CALL setFloat(AttrID id, double value) = 0;
  virtual tresult VST3_CALL getFloat(AttrID id, double& value) = 0;
  virtual tresult VST3_CALL setString(AttrID id, const TChar* string) = 0;
  virtual tresult VST3_CALL getString(AttrID id, TChar* string, uint32 sizeInBytes) = 0;
  virtual tresult VST3_CALL setBinary(AttrID id, const void* data, uint32 sizeInBytes) = 0;
  virtual tresult VST3_CALL getBinary(AttrID id, const void*& data, uint32& sizeInBytes) = 0;

  static constexpr Uid iid = MakeUid(0x1E5F0AEB, 0xCC7F4533, 0xA2544011, 0x38AD5EE4);
};

} // namespace vst3
