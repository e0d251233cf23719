// vantrix-realtime: how many seconds of audio the whole instrument renders per CPU second on one
// core (48 kHz, blocks of 512 frames), for held chords on a few patches. Driven through the
// processing entry like a host, with the offline renderer's host.

#include "render/offline_host.h"
#include "render/param_assignment.h"
#include "render/score.h"

#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <iterator>
#include <string_view>
#include <vector>

namespace
{
constexpr int kRate = 48000;
constexpr int kBlock = 512;
constexpr double kSeconds = 20.0;

struct Case
{
  const char* name;
  int notes;
  std::initializer_list<std::string_view> settings;
};

const Case kCases[] = {
    {"(a) 1 note, default patch", 1, {}},
    {"(b) 8 notes, default patch", 8, {}},
    {"(c) 8 notes, 6 unison voices, High, all sources, LP2 driven",
     8,
     {"Unison Voices=6 Voices", "Quality=High", "Osc2 Volume=1", "Sub Volume=1",
      "Ring Modulation Volume=1", "Noise Volume=1", "Filter Type=FILTER LP2",
      "Filter Drive Active=ON", "Filter Drive=0.5"}},
    {"(d) as (c), 6 voices * 8 voice emulation, DIFF DELAY at 50 %",
     8,
     {"Unison Voices=6 Voices * 8 Voice Emulation", "Quality=High", "Osc2 Volume=1", "Sub Volume=1",
      "Ring Modulation Volume=1", "Noise Volume=1", "Filter Type=FILTER LP2",
      "Filter Drive Active=ON", "Filter Drive=0.5", "Delay Type=DIFF DELAY", "FX Mix=50"}},
};

/** One note of the default patch with one output-chain stage switched on. */
const Case kStages[] = {
    {"none (1 note, default patch)", 1, {}},
    {"DELAY", 1, {"Delay Type=DELAY", "FX Mix=50"}},
    {"PING PONG", 1, {"Delay Type=PING PONG", "FX Mix=50"}},
    {"DIFF DELAY", 1, {"Delay Type=DIFF DELAY", "FX Mix=50"}},
    {"TAPE DELAY", 1, {"Delay Type=TAPE DELAY", "FX Mix=50"}},
    {"PHASE DELAY 1", 1, {"Delay Type=PHASE DELAY 1", "FX Mix=50"}},
    {"PHASE DELAY 2", 1, {"Delay Type=PHASE DELAY 2", "FX Mix=50"}},
    {"4 Voice Emulation (Low CPU)", 1, {"Unison Voices=4 Voice Emulation (Low CPU)"}},
    {"8 Voice Emulation (Low CPU)", 1, {"Unison Voices=8 Voice Emulation (Low CPU)"}},
};

/** CPU seconds to render kSeconds of audio of case c. */
double CpuSeconds(const Case& c)
{
  OfflineHost host(kRate, kBlock);
  for (std::string_view setting : c.settings)
    ApplyAssignment(host.Plug(), ParseAssignment(setting, "case"));
  Score score;
  std::vector<NoteSpec> notes;
  for (int n = 0; n < c.notes; ++n)
    notes.push_back({48 + 5 * n, 100, 0.0, kSeconds + 1.0});
  score.AddNotes(notes);

  const std::clock_t start = std::clock();
  host.Render(score, static_cast<long long>(kSeconds * kRate), [](const float*, int) {});
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}
} // namespace

int main()
{
  std::printf("real-time factor at %d Hz, block %d (audio seconds per CPU second):\n", kRate,
              kBlock);
  for (const Case& c : kCases)
    std::printf("  %-62s %7.1fx\n", c.name, kSeconds / CpuSeconds(c));

  std::printf("cost of each output-chain stage over one note, ns per output sample:\n");
  const double samples = kSeconds * kRate;
  const double baseline = CpuSeconds(kStages[0]) / samples * 1e9;
  std::printf("  %-62s %7.1f\n", kStages[0].name, baseline);
  for (const Case& c : std::vector<Case>(std::begin(kStages) + 1, std::end(kStages)))
    std::printf("  %-62s %+7.1f\n", c.name, CpuSeconds(c) / samples * 1e9 - baseline);
  return 0;
}
