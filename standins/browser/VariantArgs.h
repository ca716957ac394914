#pragma once
// Reading the optional VARIANT arguments callers pass to the browser
// (Navigate2, ShowBrowserBar): by value or by reference, or missing.
#include "platform/Win32.h"

#include <optional>
#include <string>

namespace standin {

// The argument converted to text, a number or a flag; nullopt when it is
// missing, empty or does not convert.
std::optional<std::wstring> TextArgument(const VARIANT* value);
std::optional<long> NumberArgument(const VARIANT* value);
std::optional<bool> FlagArgument(const VARIANT* value);

} // namespace standin
