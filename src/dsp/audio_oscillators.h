#pragma once
// The audio oscillators of a voice (and the sub oscillator), rendered in blocks of four samples
// at four times the host rate: triangle, saw, pulse, sync pulse, sync saw, saw to pulse and the
// silent oscillator. The triangle, saw and pulse also tick one sample at a time as LFOs and
// effect modulators. Each class's per-sample rule lives in audio_oscillators.cpp.

#include "dsp/blep_osc.h"

struct VX_TriRule;
struct VX_SawRule;
struct VX_PulseRule;
struct VX_PulseSyncRule;
struct VX_SawSyncRule;
struct VX_VariableRule;

extern template class VX_BlepOscRendered<VX_TriRule, kRenderAll>;
extern template class VX_BlepOscRendered<VX_SawRule, kRenderAll>;
extern template class VX_BlepOscRendered<VX_PulseRule, kRenderAll>;
extern template class VX_BlepOscRendered<VX_PulseSyncRule, kRenderAll>;
extern template class VX_BlepOscRendered<VX_SawSyncRule, kRenderBlocks>;
extern template class VX_BlepOscRendered<VX_VariableRule, kRenderBlocks>;

/** Triangle in [-1, 1]; phase runs over half a cycle, direction is +2 rising, -2 falling. */
class VX_BlepOscTri final : public VX_BlepOscRendered<VX_TriRule, kRenderAll>
{
public:
  VX_BlepOscTri();
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** Saw falling from +1 to -1 once per phase advance of 2; the phase is the level. */
class VX_BlepOscSaw final : public VX_BlepOscRendered<VX_SawRule, kRenderAll>
{
public:
  VX_BlepOscSaw();
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** Pulse with levels 1 + w and -1 + w (zero mean); high for (1 - w) / 2 of the period. */
class VX_BlepOscPWM final : public VX_BlepOscRendered<VX_PulseRule, kRenderAll>
{
public:
  VX_BlepOscPWM();
  /** Pulse width offset w, held in [0, 0.99]. */
  void SetParam(float value) override;
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** The sync types' shared parts: a pitch table one octave lower, the slave's pitch from the
 *  sync ratio, and per-lane slave increments that mirror each lane's detune. */
template <class Rule, int kForms>
class VX_BlepOscSynced : public VX_BlepOscRendered<Rule, kForms>
{
public:
  float NoteToIncrement(float note) const override;
  /** Slave 12 + 36 * value semitones above the master's table pitch, at least one octave.
   *  Reads the cached main pitch, so it follows the pitch setter of the same sample. */
  void SetParam(float value) override;
  void RenderLanesPoly(int laneCount) override;
  void RenderLanesTable(int laneCount) override;

protected:
  void PrepareLaneSlaves(int laneCount);
};

extern template class VX_BlepOscSynced<VX_PulseSyncRule, kRenderAll>;
extern template class VX_BlepOscSynced<VX_SawSyncRule, kRenderBlocks>;

/** Square whose slave restarts at every master cycle; each master cycle starts low. */
class VX_BlepOscPulseSync final : public VX_BlepOscSynced<VX_PulseSyncRule, kRenderAll>
{
public:
  VX_BlepOscPulseSync();
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** Saw slave (level in value) restarted at level 0 by a master that runs over [0, 2). Blocks
 *  only: its ticks return 0. */
class VX_BlepOscSawSync final : public VX_BlepOscSynced<VX_SawSyncRule, kRenderBlocks>
{
public:
  VX_BlepOscSawSync();
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** Saw to pulse: (1 - w) * ramp + w * square, one ramp per two half cycles. Blocks only. */
class VX_BlepOscVariable final : public VX_BlepOscRendered<VX_VariableRule, kRenderBlocks>
{
public:
  VX_BlepOscVariable();
  /** Morph w, held in [0, 1]: 0 is a saw, 1 a square of the same period. */
  void SetParam(float value) override;
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;
};

/** The silent oscillator: renders leave the output block as it is, but the phase runs on. */
class VX_BlepOscOff final : public VX_BlepOsc
{
public:
  VX_BlepOscOff();
  void RenderBlockPoly() override { AdvanceMain(); }
  void RenderBlockTable() override { AdvanceMain(); }
  void RenderLanesPoly(int laneCount) override { AdvanceLanes(laneCount); }
  void RenderLanesTable(int laneCount) override { AdvanceLanes(laneCount); }
  void ToCyclePosition(VX_OscState& s) const override;
  void FromCyclePosition(VX_OscState& s) const override;

private:
  void AdvanceMain();
  void AdvanceLanes(int laneCount);
};
