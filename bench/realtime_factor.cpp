// vantrix-realtime: how many seconds of audio the whole instrument renders per CPU second on one
// core (48 kHz, blocks of 512 frames), for held chords on a few patches. Driven through the
// processing entry like a host, with the offline renderer's host.

#include "render/offline_host.h"
#include "render/param_assignment.h"
#include "render/score.h"

#include <cstdio>
#include <ctime>
#include <initializer_list>
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
};

double RealTimeFactor(const Case& c)
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
  const double cpuSeconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  return kSeconds / cpuSeconds;
}
} // namespace

int main()
{
  std::printf("real-time factor at %d Hz, block %d (audio seconds per CPU second):\n", kRate,
              kBlock);
  for (const Case& c : kCases)
    std::printf("  %-62s %7.1fx\n", c.name, RealTimeFactor(c));
  return 0;
}
