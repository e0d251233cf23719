#pragma once
// Bounded UTF-8 text used for parameter names, labels, groups, display texts and formatted
// values. Longer input is cut to fit without splitting a multi-byte character.

#include <cstddef>
#include <cstring>
#include <string_view>

struct ParamText
{
  static constexpr std::size_t kCapacity = 32; // bytes, including the terminating zero

  ParamText() = default;
  ParamText(std::string_view text) { Assign(text); } // NOLINT: implicit by design

  /** Copies text, cut at a character boundary so that it fits kCapacity - 1 bytes. */
  void Assign(std::string_view text);

  const char* c_str() const { return mStr; }
  std::string_view view() const { return {mStr, std::strlen(mStr)}; }
  bool empty() const { return mStr[0] == '\0'; }
  bool operator==(std::string_view other) const { return view() == other; }

private:
  char mStr[kCapacity] = {};
};

/** Length of the longest prefix of text that fits maxBytes without splitting a UTF-8 sequence. */
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);
