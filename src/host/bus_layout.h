#pragma once
// The buses a host sees: audio buses built from the channel configuration ("2-2": one stereo
// input, one stereo output) and the one MIDI input bus.
//
// Thread contract: host's user-interface thread, or while processing is stopped;
// OutputActive is read by the audio thread, whose host never changes activation while
// processing.

#include <string>
#include <vector>

class BusLayout
{
public:
  struct Bus
  {
    std::string name;
    int channels = 0;
    bool active = true;
  };

  enum EKind
  {
    kAudio,
    kEvent,
  };
  enum EDirection
  {
    kInput,
    kOutput,
  };

  /** Builds the default buses of the channel configuration. */
  BusLayout();

  /** Rebuilds the audio buses for the requested channel counts per bus; false (nothing
      changes) when there are more buses than the configuration has or no configuration has
      these channel counts. */
  bool Arrange(const std::vector<int>& inputChannels, const std::vector<int>& outputChannels);

  int Count(EKind kind, EDirection direction) const;
  /** The bus, or nullptr when there is none at index. */
  const Bus* Find(EKind kind, EDirection direction, int index) const;
  /** Activates or deactivates a bus; false when there is none at index. */
  bool Activate(EKind kind, EDirection direction, int index, bool active);
  /** True when audio output bus index exists and is active. */
  bool OutputActive(int index) const;

private:
  std::vector<Bus>* AudioBuses(EDirection direction);
  const std::vector<Bus>* AudioBuses(EDirection direction) const;
  void BuildAudioBuses(const std::vector<int>& inputChannels,
                       const std::vector<int>& outputChannels);

  std::vector<Bus> mInputs;
  std::vector<Bus> mOutputs;
  Bus mMidiInput{"MIDI Input", 1, true};
};
