#pragma once
// Parameter values that arrive from the host.

#include "plugin/iparam.h"

/** Any thread: sets param from a host's normalised value. A value equal, in single precision, to
    the parameter's own normalised value leaves the real value as it is: hosts that keep
    parameters in single precision send back what they read rounded that way, and the way from
    normalised to real is not exact for every shape either, so each save and reopen of a song
    would otherwise move values in their last bits. */
inline void SetFromHostValue(IParam& param, double normalised)
{
  if (static_cast<float>(normalised) == static_cast<float>(param.NormalisedValue())) return;
  param.SetValue(param.RealFromNormalised(normalised));
}
