#include "plugin/vantrix.h"

#include "dsp/denormals.h"
#include "plugin/parameter_set.h"

Vantrix::Vantrix() : IPlugProcessor(kNumParams)
{
  InitParameterSet(*this);
}

void Vantrix::OnReset()
{
  mEngine.SetSampleRate(static_cast<float>(GetSampleRate()));
  mEngine.SetMaxBlockSize(GetBlockSize());
}

void Vantrix::OnParamChange(int index)
{
  mEngine.WriteParamValue(index, static_cast<float>(GetParam(index)->Value()));
}

void Vantrix::ProcessMidiMsg(const IMidiMsg& msg)
{
  mEngine.QueueMidi(msg.mOffset, msg.mStatus, msg.mData1, msg.mData2);
}

void Vantrix::ProcessBlock(double** /*inputs*/, double** outputs, int frames)
{
  const VX_ScopedFlushDenormals flushDenormals;
  const int connected = NOutChansConnected();
  mEngine.SetHostTempo(static_cast<float>(GetTempo()));
  // Without exactly two outputs nothing is rendered; queued events wait for the next block.
  if (connected == 2) mEngine.RenderBlock(outputs, frames);
}

void Vantrix::OnMidiMsgUI(const IMidiMsg& msg)
{
  if (msg.StatusKind() == IMidiMsg::kControlChange && msg.mData1 == 1)
    GetParam(kModWheel)->SetValue(msg.mData2 / 127.0);
}
