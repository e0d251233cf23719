#pragma once
// Shared by the state chunk, preset file and settings tests: instances that keep their
// preferences in memory, sounds to store, and a plug-in that records its notifications.

#include "plugin/vantrix.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <utility>
#include <vector>

/** An instance whose preferences live in memory only. */
inline std::unique_ptr<Vantrix> MakePlug()
{
  return std::make_unique<Vantrix>(std::string_view());
}

inline StoredValues ValuesOf(const Vantrix& plug)
{
  StoredValues values;
  for (int i = 0; i < kNumParams; ++i)
    values[i] = plug.GetParam(i)->Value();
  return values;
}

inline StoredSteps StepsOf(const Vantrix& plug)
{
  StoredSteps steps;
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
    steps[i] = plug.Engine().Arpeggiator().StepNote(i);
  return steps;
}

inline void SetSteps(Vantrix& plug, const StoredSteps& steps)
{
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
    plug.Engine().Arpeggiator().SetStepNote(i, steps[i]);
}

/** Indices whose values differ in any bit (so -0.0 differs from 0.0). */
inline std::vector<int> DifferingBits(const StoredValues& a, const StoredValues& b)
{
  std::vector<int> differing;
  for (int i = 0; i < kNumParams; ++i)
    if (std::bit_cast<uint64_t>(a[i]) != std::bit_cast<uint64_t>(b[i])) differing.push_back(i);
  return differing;
}

/** Gives every parameter a value of full precision inside its range (whole entries for lists)
    and fills the steps with notes and empty steps. */
inline void SetRandomSound(Vantrix& plug, unsigned seed)
{
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < kNumParams; ++i)
  {
    IParam& p = *plug.GetParam(i);
    const double real = p.Min() + unit(random) * (p.Max() - p.Min());
    p.SetValue(p.Type() == IParam::kTypeEnum ? std::round(real) : real);
  }
  StoredSteps steps;
  std::uniform_int_distribution<int32_t> note(-1, 127);
  for (int32_t& step : steps)
    step = note(random);
  SetSteps(plug, steps);
}

/** Bytes of a chunk. */
inline std::vector<uint8_t> BytesOf(const IByteChunk& chunk)
{
  return std::vector<uint8_t>(chunk.GetData(), chunk.GetData() + chunk.Size());
}

inline IByteChunk ChunkOf(const std::vector<uint8_t>& bytes)
{
  IByteChunk chunk;
  chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
  return chunk;
}

/** Writes a little-endian double at offset of bytes. */
inline void PokeDouble(std::vector<uint8_t>& bytes, std::size_t offset, double value)
{
  IByteChunk chunk;
  chunk.Put(&value);
  std::memcpy(bytes.data() + offset, chunk.GetData(), 8);
}

/** The host's end of the parameter reports. */
class RecordingHostReporter : public IPlugHostReporter
{
public:
  void BeginEdit(int) override {}
  void PerformEdit(int index, double normalised) override { edits.emplace_back(index, normalised); }
  void EndEdit(int) override {}
  void UpdateHostParam(int, double) override {}

  std::vector<std::pair<int, double>> edits;
};

/** Counts, per parameter, the engine and editor notifications with their sources. */
class RecordingVantrix : public Vantrix
{
public:
  RecordingVantrix() : Vantrix(std::string_view()) {}

  void OnParamChange(int index) override
  {
    engineNotifications.push_back(index);
    Vantrix::OnParamChange(index);
  }
  void OnEditorParamChange(int index, EParamSource source) override
  {
    editorNotifications.emplace_back(index, source);
  }
  void ForgetNotifications()
  {
    engineNotifications.clear();
    editorNotifications.clear();
  }
  int EditorCount(EParamSource source) const
  {
    int count = 0;
    for (const auto& entry : editorNotifications)
      count += entry.second == source ? 1 : 0;
    return count;
  }

  std::vector<int> engineNotifications;
  std::vector<std::pair<int, EParamSource>> editorNotifications;
};
