#include "plugin/plug_processor.h"

IPlugProcessor::IPlugProcessor(int numParams) : mParams(static_cast<std::size_t>(numParams)) {}

void IPlugProcessor::NotifyParamChange(int index, EParamSource /*source*/, int /*sampleOffset*/)
{
  OnParamChange(index);
}

void IPlugProcessor::NotifyEditorParamChange(int index, EParamSource source)
{
  OnEditorParamChange(index, source);
}

void IPlugProcessor::SendValueToEditor(int index, double /*value*/, bool /*isNormalised*/)
{
  // Editor controls bound to the parameter take the value once the editor exists.
  NotifyEditorParamChange(index, EParamSource::kEditorPush);
}

void IPlugProcessor::ReportEditToHost(int index, double normalised)
{
  if (mHostReporter) mHostReporter->PerformEdit(index, normalised);
}

void IPlugProcessor::SetParameterAndInformHost(int index, double normalised)
{
  GetParam(index)->SetValue(GetParam(index)->RealFromNormalised(normalised));
  ReportEditToHost(index, normalised);
  NotifyParamChange(index, EParamSource::kUI, -1);
}

void IPlugProcessor::BeginEditFromEditor(int index)
{
  if (mHostReporter) mHostReporter->BeginEdit(index);
}

void IPlugProcessor::SendParameterFromEditor(int index, double normalised)
{
  if (mHostReporter) mHostReporter->UpdateHostParam(index, normalised);
  SetParameterAndInformHost(index, normalised);
  GetParam(index)->SetValue(GetParam(index)->RealFromNormalised(normalised));
  NotifyEditorParamChange(index, EParamSource::kUI);
}

void IPlugProcessor::EndEditFromEditor(int index)
{
  if (mHostReporter) mHostReporter->EndEdit(index);
}

void IPlugProcessor::SendMidiFromEditor(const IMidiMsg& msg)
{
  mMidiFromEditor.Push(msg);
}

void IPlugProcessor::SendMidiToEditor(const IMidiMsg& msg)
{
  // Editor controls that take MIDI (the on-screen keyboard) receive msg once the editor exists.
  OnMidiMsgUI(msg);
}

void IPlugProcessor::ProcessMidiFromEditor()
{
  IMidiMsg msg;
  while (mMidiFromEditor.Pop(msg))
    ProcessMidiMsg(msg);
}

void IPlugProcessor::DrainMidiToEditor()
{
  IMidiMsg msg;
  while (mMidiToEditor.Pop(msg))
    SendMidiToEditor(msg);
}

void IPlugProcessor::OnIdleTimer()
{
  DrainMidiToEditor();
  IdleTick();
}

void IPlugProcessor::SetOutputChannelConnected(int channel, bool connected)
{
  if (channel >= 0 && channel < kMaxOutputChannels) mOutputConnected[channel] = connected;
}

int IPlugProcessor::NOutChansConnected() const
{
  int count = 0;
  for (bool connected : mOutputConnected)
    count += connected ? 1 : 0;
  return count;
}
