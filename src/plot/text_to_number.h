// The parameter boxes' number reader.
#pragma once

#include <string_view>

namespace lumivar {

// Reads a number the way the parameter boxes are read: blanks, tabs and line
// feeds are ignored anywhere; then an optional sign, digits with at most one
// full stop, an optional exponent introduced by E or e, or an integer behind
// &H (hexadecimal) or &O (octal). Reading stops at the first other character;
// a text with no leading number gives 0. The full stop is the only decimal
// point in every locale. Never fails: a value beyond double range gives
// +/-infinity, one too small for it gives 0.
[[nodiscard]] double textToNumber(std::string_view text);

} // namespace lumivar
