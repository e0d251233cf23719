#include "host/host_detection.h"

#include <cctype>

namespace
{
struct KnownHost
{
  std::string_view nameFragment;
  int id;
};

// In the order of testing: "wavelab elements" comes before "wavelab".
constexpr KnownHost kKnownHosts[] = {
    {"reaper", 1},
    {"protools", 2},
    {"cubase", 3},
    {"nuendo", 4},
    {"cakewalk", 5},
    {"vegas", 6},
    {"fruity", 7},
    {"samplitude", 8},
    {"live", kHostAbletonLive},
    {"tracktion", 10},
    {"ntracks", 11},
    {"melodyne", 12},
    {"vstmanlib", 13},
    {"aulab", 14},
    {"forte", 15},
    {"chainer", 16},
    {"audition", 17},
    {"orion", 18},
    {"bias", 19},
    {"sawstudio", 20},
    {"logic", 21},
    {"garageband", 22},
    {"digital", 23},
    {"audiomulch", 25},
    {"presonus", 26},
    {"vst3plugintesthost", 27},
    {"ardour", 28},
    {"renoise", 29},
    {"openmpt", 30},
    {"wavelab elements", 32},
    {"wavelab", kHostWaveLab},
    {"twistedwave", 33},
    {"bitwig studio", 34},
    {"reason", 36},
    {"gwvst", 37},
    {"waveform", 38},
    {"audacity", 39},
    {"acoustica", 40},
    {"plugindoctor", 41},
    {"izotope rx", 42},
    {"savihost", 43},
    {"blue cat's vst host", 44},
    {"standalone", 24},
    {"www", 35},
};

constexpr std::size_t kMaxNameLength = 127;
} // namespace

int HostIdFromName(std::string_view lowerName)
{
  for (const KnownHost& host : kKnownHosts)
    if (lowerName.find(host.nameFragment) != std::string_view::npos) return host.id;
  return kHostUnknown;
}

std::string NarrowHostName(const vst3::String128 name)
{
  std::string narrow;
  for (std::size_t i = 0; i < kMaxNameLength && name[i] != 0; ++i)
  {
    const auto low = static_cast<unsigned char>(name[i] & 0xFF);
    narrow += static_cast<char>(std::tolower(low));
  }
  return narrow;
}
