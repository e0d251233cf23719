#include "render/offline_host.h"

#include <algorithm>
#include <cmath>
#include <vector>

OfflineHost::OfflineHost(int sampleRate, int blockSize)
    // Preferences in memory only: a render never touches the user's settings file.
    : mPlug(std::make_unique<Vantrix>(std::string_view())), mSampleRate(sampleRate),
      mBlockSize(blockSize)
{
  mPlug->SetSampleRate(sampleRate);
  mPlug->SetBlockSize(blockSize);
  mPlug->SetOutputChannelConnected(0, true);
  mPlug->SetOutputChannelConnected(1, true);
}

void OfflineHost::DeliverAllParams()
{
  for (int i = 0; i < mPlug->NParams(); ++i)
    mPlug->NotifyParamChange(i, EParamSource::kReset);
}

void OfflineHost::Render(const Score& score, long long frames, const BlockSink& sink)
{
  mPlug->OnReset();
  DeliverAllParams();

  const auto block = static_cast<std::size_t>(mBlockSize);
  std::vector<double> inputLeft(block), inputRight(block), outputLeft(block), outputRight(block);
  double* inputs[2] = {inputLeft.data(), inputRight.data()};
  double* outputs[2] = {outputLeft.data(), outputRight.data()};
  std::vector<float> interleaved(2 * block);

  const std::vector<ScoreEvent>& events = score.Events();
  const std::vector<ScoreParamChange>& changes = score.ParamChanges();
  const auto frameOf = [this](const auto& e) { return std::llround(e.seconds * mSampleRate); };
  std::size_t next = 0;
  std::size_t nextChange = 0;

  for (long long start = 0; start < frames; start += mBlockSize)
  {
    const int count = static_cast<int>(std::min<long long>(mBlockSize, frames - start));

    ITimeInfo time;
    time.mTempo = score.TempoAt(static_cast<double>(start) / mSampleRate);
    time.mSamplePos = static_cast<double>(start);
    time.mTransportIsRunning = true;
    mPlug->SetTimeInfo(time);

    // Automation first, as hosts deliver parameter changes before the block's events.
    for (; nextChange < changes.size() && frameOf(changes[nextChange]) < start + count;
         ++nextChange)
    {
      const ScoreParamChange& change = changes[nextChange];
      mPlug->GetParam(change.index)->SetValue(change.value);
      mPlug->NotifyParamChange(change.index, EParamSource::kHost,
                               static_cast<int>(frameOf(change) - start));
    }
    for (; next < events.size() && frameOf(events[next]) < start + count; ++next)
    {
      IMidiMsg msg;
      msg.mOffset = static_cast<int32_t>(frameOf(events[next]) - start);
      msg.mStatus = events[next].status;
      msg.mData1 = events[next].data1;
      msg.mData2 = events[next].data2;
      mPlug->ProcessMidiMsg(msg);
    }

    std::fill(outputLeft.begin(), outputLeft.end(), 0.0);
    std::fill(outputRight.begin(), outputRight.end(), 0.0);
    mPlug->ProcessBlock(inputs, outputs, count);
    for (int i = 0; i < count; ++i)
    {
      interleaved[2 * i] = static_cast<float>(outputLeft[i]);
      interleaved[2 * i + 1] = static_cast<float>(outputRight[i]);
    }
    sink(interleaved.data(), count);
  }
}
