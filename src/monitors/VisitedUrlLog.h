#pragma once
// XMLS\LogURL.xml: every page the browser finishes loading while the user is
// signed in and URL logging is on, with its local time.
#include "platform/Win32.h"

#include <string>

namespace marlin {

std::wstring VisitedUrlLogPath();

// The timestamp of a visit at `time`: day/month/year-hour:minute:second.
std::wstring FormatVisitTimestamp(const SYSTEMTIME& time);

// True for addresses the log records (a web, ftp, gopher or telnet address).
bool IsLoggableAddress(const std::wstring& address);

// Appends one visit. Appends from every window and process are serialised by
// the file's cross-process lock, and the cost does not grow with the log: once
// the file is known to be the one the product last wrote, the new entry is
// written over the closing tag in one write, which a crashing process cannot
// leave half done. A file that does not parse is left untouched.
void LogVisitedUrl(const std::wstring& address) noexcept;

} // namespace marlin
