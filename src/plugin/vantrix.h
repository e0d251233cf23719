#pragma once
// The instrument: the parameter set and the engine behind the framework's processing entry.

#include "engine/engine.h"
#include "plugin/plug_processor.h"

class Vantrix : public IPlugProcessor
{
public:
  Vantrix();

  /** Audio thread, processing stopped: passes sample rate and block size to the engine. */
  void OnReset() override;
  /** Any thread: hands the parameter's new value to its engine slot. */
  void OnParamChange(int index) override;
  /** Audio thread: queues msg for the coming block. */
  void ProcessMidiMsg(const IMidiMsg& msg) override;
  /** Audio thread: renders one block into two 64-bit outputs; inputs are ignored. */
  void ProcessBlock(double** inputs, double** outputs, int frames) override;
  /** UI thread: mirrors the modulation wheel into its parameter while no editor is open. */
  void OnMidiMsgUI(const IMidiMsg& msg) override;

  VX_Engine& Engine() { return mEngine; }
  const VX_Engine& Engine() const { return mEngine; }

private:
  VX_Engine mEngine;
};
