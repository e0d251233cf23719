#pragma once
// Which host runs the plug-in, recognised by its name.

#include "host/vst3/vst3_base.h"

#include <string>
#include <string_view>

/** Host ids that change the plug-in's behaviour. */
enum EHostId
{
  kHostUnknown = 0,
  kHostAbletonLive = 9,
  kHostWaveLab = 31,
};

/** The host id of the first entry of the fixed list that lowerName contains (0: unknown). */
int HostIdFromName(std::string_view lowerName);

/** The host's name as the host-application interface gives it, each UTF-16 unit narrowed to
    its low byte, lower-cased, at most 127 characters. */
std::string NarrowHostName(const vst3::String128 name);
