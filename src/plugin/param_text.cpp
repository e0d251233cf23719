#include "plugin/param_text.h"

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes)
{
  if (text.size() <= maxBytes)
    return text.size();
  std::size_t len = maxBytes;
  // Step back over continuation bytes (10xxxxxx) so the cut lands on a character start.
  while (len > 0 && (static_cast<unsigned char>(text[len]) & 0xC0) == 0x80)
    --len;
  return len;
}

void ParamText::Assign(std::string_view text)
{
  const std::size_t len = Utf8PrefixLength(text, kCapacity - 1);
  std::memcpy(mStr, text.data(), len);
  mStr[len] = '\0';
}
