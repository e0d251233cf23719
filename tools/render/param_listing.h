#pragma once
// The --list-params table: one tab-separated line per parameter with its persistent identity
// (index, name, kind, range, default, texts) and its current value.

#include <ostream>

class IPlugProcessor;

/** Writes one line of 11 tab-separated columns per parameter: index, name, kind ("number" or
    "list"), min, max, default, default text, display precision, flags, current value text and,
    for lists, the texts joined with '|' (empty for numbers). */
void WriteParamList(const IPlugProcessor& plug, std::ostream& out);
