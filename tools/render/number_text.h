#pragma once
// Numbers in command-line and parameter-file text. Reading is strict: the whole text must be the
// number, so "0.5x" or "" is rejected instead of silently read as 0.5 or 0.

#include <optional>
#include <string>
#include <string_view>

/** A decimal number with optional sign, fraction and exponent ("-1.5", ".5", "2e3"); finite. */
std::optional<double> ParseDecimal(std::string_view text);

/** An integer written with digits only, optionally preceded by '-'. */
std::optional<long long> ParseInteger(std::string_view text);

/** value printed with "%g": 0.5, 99.9, 20000, independent of any stream's formatting state. */
std::string ShortNumberText(double value);
