#pragma once
// The instrument's fixed set of 94 parameters, addressed by the indices of EParams.

#include "engine/param_ids.h"

class IPlugProcessor;

/** Creates every parameter of the set in plug, whose parameter records must be fresh. */
void InitParameterSet(IPlugProcessor& plug);
