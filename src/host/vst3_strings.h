#pragma once
// Text at the VST3 boundary: the program's UTF-8 into the interface's fixed-size 8-bit and
// UTF-16 fields, and back.

#include "host/vst3/vst3_base.h"

#include <cstddef>
#include <string>
#include <string_view>

/** Copies text into the 8-bit field dst of capacity bytes, cut to fit, zero-terminated. */
void CopyToField(char* dst, std::size_t capacity, std::string_view text);

/** Converts UTF-8 text into the UTF-16 field dst of capacity units, cut at a character
    boundary to fit, zero-terminated. */
void CopyToField(vst3::char16* dst, std::size_t capacity, std::string_view text);

template <std::size_t N>
void CopyToField(vst3::char16 (&dst)[N], std::string_view text)
{
  CopyToField(dst, N, text);
}
template <std::size_t N>
void CopyToField(char (&dst)[N], std::string_view text)
{
  CopyToField(dst, N, text);
}

/** The UTF-8 form of the zero-terminated UTF-16 text src, reading at most capacity units. */
std::string Utf8FromUtf16(const vst3::char16* src, std::size_t capacity);
