#pragma once
// What every fuzz target checks after reading its input: the instrument's state stays valid.

#include "plugin/vantrix.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>

/** Stops the run with a message when ok is false; libFuzzer keeps the input that did it. */
inline void Require(bool ok, const char* what)
{
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

/** Every parameter holds a number inside its range; every step is within the stored limit. */
inline void RequireValidSound(const Vantrix& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
  {
    const IParam& p = *plug.GetParam(i);
    Require(!std::isnan(p.Value()) && p.Value() >= p.Min() && p.Value() <= p.Max(),
            "parameter value inside its range");
  }
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
  {
    const int note = plug.Engine().Arpeggiator().StepNote(i);
    Require(note >= -kStepNoteLimit && note <= kStepNoteLimit, "step inside the stored limit");
  }
}

inline bool SameBits(const Vantrix& a, const Vantrix& b)
{
  for (int i = 0; i < a.NParams(); ++i)
    if (std::bit_cast<uint64_t>(a.GetParam(i)->Value()) !=
        std::bit_cast<uint64_t>(b.GetParam(i)->Value()))
      return false;
  for (int i = 0; i < VX_Arpeggiator::kNumStoredSteps; ++i)
    if (a.Engine().Arpeggiator().StepNote(i) != b.Engine().Arpeggiator().StepNote(i)) return false;
  return true;
}
