#pragma once
// VX_BlepOsc: the base of every periodic source (audio oscillators, sub oscillator, LFO shapes,
// effect modulators). It owns pitch handling, the main state and six unison lanes, the
// waveform-neutral cycle position and the two band-limiting methods; the waveforms of
// audio_oscillators.h and lfo_waveforms.h supply the per-sample rules.
//
// Thread contract: audio thread only (construction and SetSampleRate while processing is
// stopped). Nothing here allocates, locks or throws.

#include "dsp/blep_tables.h"

#include <cstdint>

/** Snapshot of one oscillator's phase state, so a waveform change keeps the phase. The main
 *  fields also carry one lane when a lane is copied into a record. 43 floats. */
struct VX_OscState
{
  static constexpr int kLanes = 6;
  float laneIncrement[kLanes] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
  float laneSecondIncrement[kLanes] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
  float lanePhase[kLanes] = {};
  float laneValue[kLanes] = {};
  float laneDirection[kLanes] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  float laneAmplitude[kLanes] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  float increment = 0.1f;
  float secondIncrement = 0.1f;
  float phase = 0.0f;
  float value = 0.0f;
  float param = 0.5f;
  float direction = 1.0f;
  float amplitude = 1.0f;
};
static_assert(sizeof(VX_OscState) == 43 * sizeof(float));

/** The working copy of one state (main or lane) that the per-sample rules advance. */
struct VX_OscPhase
{
  float increment;
  float secondIncrement;
  float phase;
  float value;
  float direction;
};

class VX_BlepOsc
{
public:
  static constexpr int kMaxLanes = VX_OscState::kLanes;
  static constexpr int kBlockSize = 4;         // oversampled samples per host sample
  static constexpr int kPitchTableSize = 1024; // normalised pitch -4 <= x < 4, 128 per unit
  static constexpr int kCorrectionRing = kBlepTaps;
  static constexpr int kDelayRing = kBlepLatency + 1;
  static constexpr float kLn2Over12 = 0.057762265f;
  static constexpr float kPitchToLog = 7.39357f;  // 128 ln 2 / 12
  static constexpr float kPitchOfA4 = 0.5390625f; // note 69 / 128

  VX_BlepOsc();
  virtual ~VX_BlepOsc() = default;

  // Phase handling.
  /** Main state to cycle position 0; invalidates the pitch caches. */
  virtual void Restart();
  /** Restarts lane (-1 = main) in a fixed phase relation to reference, whose phase is shifted
   *  by lane / laneCount unless keepReferencePhase. */
  void RestartLane(VX_OscState& reference, float offset, bool keepReferencePhase, int lane,
                   int laneCount);
  /** Position in [0, 2) of the record's main fields, independent of the waveform. */
  virtual void ToCyclePosition(VX_OscState& s) const;
  /** Sets the record's main fields from a cycle position in s.phase. */
  virtual void FromCyclePosition(VX_OscState& s) const;
  /** Lane (-1 = main) and the waveform parameter into the record's main fields, and back. */
  void LaneToRecord(int lane, VX_OscState& s) const;
  void RecordToLane(const VX_OscState& s, int lane);
  /** All lanes, the main state and the parameter into a record, and back. */
  void StateToRecord(VX_OscState& s) const;
  void RecordToState(const VX_OscState& s);
  /** Whether y and the main increment are in a whole-number ratio (within 1e-6). */
  bool IsIntegerRatio(float y) const;

  // Pitch.
  void SetSampleRate(float sampleRate);
  virtual float NoteToIncrement(float note) const;
  float NormalizedPitchToIncrement(float x) const;
  /** Table position (x + 4) * 128 of a normalised pitch, held where the next two entries exist
   *  (x in [-4, 3.984375)); NaN maps to the top. */
  static float PitchTablePosition(float x);
  /** Interpolated table increment at x. */
  float LookupIncrement(float x) const;
  /** Lane increments spread around x by the unison table; returns the centre increment. */
  float SetLaneIncrements(float x, int laneCount, float detune);
  void SetPitchLanes(float x, int laneCount, float detune);
  virtual void SetPitch(float x);
  /** Tunes the main state to exactly hz (one cycle per phase advance of 2). */
  virtual void SetFrequency(float hz);
  void SetSecondPitch(float x);
  void InvalidatePitchCaches();
  virtual void SetParam(float) {}

  // Rendering: one call per host sample renders kBlockSize samples into the output block.
  virtual void RenderBlockPoly() {}
  virtual void RenderBlockTable() {}
  virtual void RenderLanesPoly(int /*laneCount*/) {}
  virtual void RenderLanesTable(int /*laneCount*/) {}
  /** One sample at the caller's rate (LFOs). */
  virtual float TickPoly() { return 0.0f; }
  virtual float TickTable() { return 0.0f; }
  float LastOutput() const { return mLastOutput; }
  /** Four samples per lane, lane-major; single-state renders fill entries 0-3. */
  const float* Output() const { return mOutput; }
  /** Zeroes the pending corrections, the delay rings and the output block. */
  void ClearBlepState();

  // Inspection.
  int TypeId() const { return mTypeId; }
  float Param() const { return mParam; }
  float Increment() const { return mMain.increment; }
  float SecondIncrement() const { return mMain.secondIncrement; }
  float LaneIncrement(int lane) const { return mLanes.increment[lane]; }
  float SampleRate() const { return mSampleRate; }

  /** Unison detune weights per lane count (in semitone steps); rows without factors are 0. */
  static constexpr float kSpread[kMaxLanes + 1][kMaxLanes] = {
      {},
      {},
      {-1 / 3.4f, 1 / 3.4f},
      {},
      {-1 / 2.8f, -1 / 4.4f, 1 / 5.2f, 1 / 6.8f},
      {},
      {-1 / 1.8f, -1 / 3.0f, -1 / 4.2f, 1 / 6.6f, 1 / 7.8f, 1 / 10.2f}};

protected:
  /** Per-lane arrays (structure of arrays); lane 0's rings also serve the main state. */
  struct Lanes
  {
    float increment[kMaxLanes];
    float secondIncrement[kMaxLanes];
    float phase[kMaxLanes];
    float value[kMaxLanes];
    float direction[kMaxLanes];
    float amplitude[kMaxLanes];
    int correctionPos[kMaxLanes];
    int delayPos[kMaxLanes];
    alignas(16) float correction[kMaxLanes][kCorrectionRing];
    alignas(16) float delay[kMaxLanes][kDelayRing];
  };
  struct Main
  {
    float phase, value, direction, amplitude, increment, secondIncrement;
  };

  /** Sets the class constants and puts every state to its initial values. */
  void Reset(int typeId, float initialDirection);
  virtual void OnSampleRateChanged(float /*sampleRate*/) {}

  // Inline: the render loops of every waveform call these once per block.
  VX_OscPhase MainPhase() const
  {
    return {mMain.increment, mMain.secondIncrement, mMain.phase, mMain.value, mMain.direction};
  }
  void StoreMain(const VX_OscPhase& p)
  {
    mMain.phase = p.phase;
    mMain.value = p.value;
    mMain.direction = p.direction;
  }
  VX_OscPhase LanePhase(int lane) const
  {
    return {mLanes.increment[lane], mLanes.secondIncrement[lane], mLanes.phase[lane],
            mLanes.value[lane], mLanes.direction[lane]};
  }
  void StoreLane(const VX_OscPhase& p, int lane)
  {
    mLanes.phase[lane] = p.phase;
    mLanes.value[lane] = p.value;
    mLanes.direction[lane] = p.direction;
  }

  // Drivers shared by every waveform: Rule supplies Naive(state) and Advance(state,
  // corrector); see blep_render.h.
  template <class Rule>
  void RenderMainPolyWith(const Rule& rule);
  template <class Rule>
  void RenderMainTableWith(const Rule& rule);
  template <class Rule>
  void RenderLanesPolyWith(const Rule& rule, int laneCount);
  template <class Rule>
  void RenderLanesTableWith(const Rule& rule, int laneCount);
  template <class Rule>
  float TickPolyWith(const Rule& rule);
  template <class Rule>
  float TickTableWith(const Rule& rule);

  int mTypeId = -1;
  float mInitialDirection = 1.0f;
  float mParam = 0.5f;
  float mSampleRate = 0.0f;
  float mA4Increment = 0.0f; // 440 / sample rate
  float mPitchCache = 0.0f;
  float mSecondPitchCache = 0.0f;
  float mDetuneCache = 0.0f;
  float mLastOutput = 0.0f;
  Main mMain{};
  alignas(16) float mOutput[kMaxLanes * kBlockSize] = {};
  Lanes mLanes{};
  float mPitchTable[kPitchTableSize] = {};
};

/** Which render forms a waveform implements; the others keep the base behaviour. */
enum VX_RenderForms
{
  kRenderBlocks = 1,
  kRenderTicks = 2,
  kRenderAll = kRenderBlocks | kRenderTicks
};

/** Binds a waveform's per-sample rule to the render forms it implements, so that one rule
 *  serves the block and lane renders, the ticks and both band-limiting modes. The members are
 *  defined in blep_render.h and instantiated next to each rule. */
template <class Rule, int kForms>
class VX_BlepOscRendered : public VX_BlepOsc
{
public:
  void RenderBlockPoly() override;
  void RenderBlockTable() override;
  void RenderLanesPoly(int laneCount) override;
  void RenderLanesTable(int laneCount) override;
  float TickPoly() override;
  float TickTable() override;
};
