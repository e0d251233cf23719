#pragma once
// Names of the interface ids this code knows, so a log or a test can say what a host asked for.

#include "host/vst3/vst3_base.h"

namespace vst3
{
/** The interface's name ("IComponent"), or nullptr for an id not declared here. */
const char* InterfaceName(const char8* iid);
} // namespace vst3
