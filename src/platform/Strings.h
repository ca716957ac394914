#pragma once
// Small string helpers over UTF-16 std::wstring.
#include <string>
#include <string_view>

namespace marlin {

// Removes blanks, tabs, carriage returns, line feeds, vertical tabs and form feeds at both ends.
std::wstring Trim(std::wstring_view text);

// ASCII-only case folding: the names the product compares are ASCII, and a
// locale-dependent fold would make "I" and "i" differ on some systems.
wchar_t ToLowerAscii(wchar_t c) noexcept;
std::wstring ToLowerAscii(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept;
bool ContainsNoCase(std::wstring_view text, std::wstring_view part) noexcept;

// Replaces every occurrence of `from` (non-empty) with `to`, scanning left to right once.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// printf-style formatting into a std::wstring (%d, %s with wchar_t*, ...).
std::wstring Format(const wchar_t* format, ...);

// The decimal value of a text the way the C runtime's _wtoi reads it: leading
// blanks, an optional sign, digits up to the first non-digit; 0 when there are
// none. Values beyond the 32-bit range saturate instead of wrapping.
int ParseInt(std::wstring_view text) noexcept;

// Conversions between UTF-16 and UTF-8 / the ANSI code page.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
std::string ToAnsi(std::wstring_view text);

// Appends a backslash unless the text is empty or already ends with one.
std::wstring WithTrailingBackslash(std::wstring_view path);

// `text` as one argument of a command line, quoted so that CommandLineToArgvW
// and the C runtime read it back unchanged: blanks stay inside, a quote is
// escaped, backslashes before a quote are doubled.
std::wstring QuoteCommandLineArgument(std::wstring_view text);

} // namespace marlin
