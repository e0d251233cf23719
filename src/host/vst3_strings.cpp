#include "host/vst3_strings.h"

#include <algorithm>

namespace
{
constexpr char32_t kReplacement = 0xFFFD;

/** Decodes the UTF-8 character at text[pos], advancing pos; malformed bytes give U+FFFD. */
char32_t DecodeUtf8(std::string_view text, std::size_t& pos)
{
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos++);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || pos + extra > text.size()) return kReplacement;
  char32_t code = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i)
  {
    if ((byte(pos) & 0xC0) != 0x80) return kReplacement;
    code = (code << 6) | (byte(pos++) & 0x3F);
  }
  return code > 0x10FFFF ? kReplacement : code;
}

void AppendUtf8(std::string& out, char32_t code)
{
  if (code < 0x80)
    out += static_cast<char>(code);
  else if (code < 0x800)
  {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  else if (code < 0x10000)
  {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  else
  {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}
} // namespace

void CopyToField(char* dst, std::size_t capacity, std::string_view text)
{
  if (capacity == 0) return;
  const std::size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), n, dst);
  std::fill(dst + n, dst + capacity, '\0');
}

void CopyToField(vst3::char16* dst, std::size_t capacity, std::string_view text)
{
  if (capacity == 0) return;
  std::size_t out = 0;
  for (std::size_t pos = 0; pos < text.size();)
  {
    const char32_t code = DecodeUtf8(text, pos);
    const std::size_t units = code >= 0x10000 ? 2 : 1;
    if (out + units > capacity - 1) break;
    if (units == 2)
    {
      dst[out++] = static_cast<vst3::char16>(0xD800 + ((code - 0x10000) >> 10));
      dst[out++] = static_cast<vst3::char16>(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
    else
      dst[out++] = static_cast<vst3::char16>(code);
  }
  std::fill(dst + out, dst + capacity, u'\0');
}

std::string Utf8FromUtf16(const vst3::char16* src, std::size_t capacity)
{
  std::string out;
  for (std::size_t i = 0; i < capacity && src[i] != 0; ++i)
  {
    char32_t code = src[i];
    const bool high = code >= 0xD800 && code < 0xDC00;
    if (high && i + 1 < capacity && src[i + 1] >= 0xDC00 && src[i + 1] < 0xE000)
      code = 0x10000 + ((code - 0xD800) << 10) + (src[++i] - 0xDC00);
    else if (code >= 0xD800 && code < 0xE000)
      code = kReplacement;
    AppendUtf8(out, code);
  }
  return out;
}
