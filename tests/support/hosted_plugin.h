#pragma once
// Drives a Vantrix instance through the processing entry the way a host does: set-up, every
// parameter delivered at start, MIDI with sample offsets, 64-bit stereo blocks.

#include "plugin/parameter_set.h"
#include "plugin/vantrix.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

class HostedPlugin
{
public:
  explicit HostedPlugin(double sampleRate = 44100.0, int maxBlock = 512)
      : mPlug(std::make_unique<Vantrix>()), mLeft(maxBlock), mRight(maxBlock), mIn(maxBlock)
  {
    mPlug->SetSampleRate(sampleRate);
    mPlug->SetBlockSize(maxBlock);
    Connect(2);
    mPlug->OnReset();
    for (int i = 0; i < mPlug->NParams(); ++i)
      mPlug->NotifyParamChange(i, EParamSource::kReset);
  }

  Vantrix& Plug() { return *mPlug; }
  VX_Engine& Engine() { return mPlug->Engine(); }
  const VX_ParamSlot& Slot(int index) { return Engine().Slot(index); }

  /** Connects the first count output channels. */
  void Connect(int count)
  {
    for (int c = 0; c < IPlugProcessor::kMaxOutputChannels; ++c)
      mPlug->SetOutputChannelConnected(c, c < count);
  }

  void SetTempo(double bpm)
  {
    ITimeInfo info;
    info.mTempo = bpm;
    mPlug->SetTimeInfo(info);
  }

  /** Sets a parameter's real value as the host would, delivered through the processing entry. */
  void Set(int index, double value)
  {
    mPlug->GetParam(index)->SetValue(value);
    mPlug->NotifyParamChange(index, EParamSource::kHost);
  }

  /** Sets a parameter from its display text (a list entry, say). */
  void SetText(int index, std::string_view text)
  {
    Set(index, mPlug->GetParam(index)->ParseText(text));
  }

  void Midi(int offset, int kind, int data1, int data2, int channel = 0)
  {
    mPlug->ProcessMidiMsg(IMidiMsg::Make(offset, kind, channel, data1, data2));
  }
  void NoteOn(int offset, int note, int velocity = 100) { Midi(offset, 9, note, velocity); }
  void NoteOff(int offset, int note) { Midi(offset, 8, note, 0); }

  /** Renders one block; the output stays readable in Left() and Right(). */
  void Render(int frames)
  {
    if (frames > static_cast<int>(mLeft.size()))
      throw std::logic_error("a host never renders more than its maximum block");
    double* in[2] = {mIn.data(), mIn.data()};
    double* out[2] = {mLeft.data(), mRight.data()};
    mPlug->ProcessBlock(in, out, frames);
  }
  /** Renders frames in blocks of blockSize and returns the left channel of all of them. */
  std::vector<double> RenderLeft(int frames, int blockSize, std::vector<double>* right = nullptr)
  {
    std::vector<double> left;
    for (int done = 0; done < frames; done += blockSize)
    {
      const int n = std::min(blockSize, frames - done);
      Render(n);
      left.insert(left.end(), mLeft.begin(), mLeft.begin() + n);
      if (right)
        right->insert(right->end(), mRight.begin(), mRight.begin() + n);
    }
    return left;
  }

  const std::vector<double>& Left() const { return mLeft; }
  const std::vector<double>& Right() const { return mRight; }

private:
  std::unique_ptr<Vantrix> mPlug;
  std::vector<double> mLeft, mRight, mIn;
};
