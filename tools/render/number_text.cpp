#include "render/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

std::optional<double> ParseDecimal(std::string_view text)
{
  std::size_t start = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) start = 1;
  // from_chars would also take "inf", "nan" and hexadecimal forms; a decimal number starts with a
  // digit or a point.
  if (start >= text.size() ||
      !(std::isdigit(static_cast<unsigned char>(text[start])) || text[start] == '.'))
    return std::nullopt;
  double value = 0.0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data() + start, end, value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return text[0] == '-' ? -value : value;
}

std::optional<long long> ParseInteger(std::string_view text)
{
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
  return value;
}

std::string ShortNumberText(double value)
{
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%g", value);
  return buf;
}
