#pragma once
// Renders through a VST3 module (--plugin PATH.vst3) instead of the built-in instrument. The
// module is loaded and driven only through the VST3 interfaces, as a host drives it: its own
// host application (with a run loop ticked every 20 ms of rendered time), setupProcessing,
// activation, and one process() per block with the block's events, controller parameter
// changes and a process context carrying the tempo. Notes become note events; controllers,
// channel pressure and pitch bend become values of the parameters the plug-in's MIDI mapping
// assigns to them.
//
// The sound (parameters, sequencer, preset path) is settled beforehand on an instance of the
// built-in instrument used only as the sound's codec and parameter dictionary, exactly as the
// built-in path settles it; LoadSound hands it to the module the way a host would.
//
// Thread contract: single-threaded, like OfflineHost: the owner's thread makes every call.

#include "render/score.h"
#include "render/vst3_host_objects.h"
#include "render/vst3_module.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class Vantrix;

class Vst3Host
{
public:
  /** Receives each rendered block as frames interleaved stereo pairs. */
  using BlockSink = std::function<void(const float* interleaved, int frames)>;

  /** Loads the plug-in at bundle and creates one instance. Throws FileError. */
  Vst3Host(const std::filesystem::path& bundle, int sampleRate, int blockSize);
  ~Vst3Host();

  /** Gives the plug-in the sound that sound holds. fromState (the sound came from a state or a
      preset file): the whole state through setState, so the voices reset at the first block as
      after any state load. Otherwise each parameter whose value differs from the plug-in's is
      set on the controller and sent through the first block's parameter queue, with the
      normalised value that maps back to exactly the real value. Throws FileError when the
      plug-in refuses the state. */
  void LoadSound(const Vantrix& sound, bool fromState);
  /** The plug-in's current state (getState) restored into scratch. Throws FileError. */
  void SaveSound(Vantrix& scratch);
  /** Sets up processing, renders frames of score block by block, stops processing. */
  void Render(const Score& score, long long frames, const BlockSink& sink);

private:
  struct PendingChange
  {
    vst3::ParamID id;
    vst3::ParamValue value;
  };

  vst3::ParamValue NormalisedFor(vst3::ParamID id, double real) const;
  void AddScoreEvent(const ScoreEvent& event, int offset);
  void AddController(int channel, int controller, vst3::ParamValue value, int offset);
  void ProcessBlock(long long start, int frames, double tempo);

  int mSampleRate;
  int mBlockSize;
  vst3host::HostApplication mHostApp{"vantrix-render", true};
  vst3host::Vst3Module mModule;
  std::unique_ptr<vst3host::Vst3Instance> mInstance;
  std::vector<PendingChange> mFirstBlockChanges;

  vst3host::ParameterChanges mChanges;
  vst3host::EventList mEvents;
  std::vector<float> mOutput[2];
  std::vector<float> mInput;
};
