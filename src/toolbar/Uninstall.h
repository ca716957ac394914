#pragma once
// Uninstalling from the home menu: the installer's own uninstall command,
// run through a batch file in the installation folder.
#include <string>

namespace marlin {

inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{F9E838F2-C644-44F0-A09C-E1DA9CB28434}";

// Writes the "UninstallString" value into "UnInstall.bat" in `installFolder`
// (ending with "\"), runs it hidden, waits two seconds and deletes it.
// Answers whether the batch file was written and started.
bool RunUninstall(const std::wstring& installFolder);

} // namespace marlin
