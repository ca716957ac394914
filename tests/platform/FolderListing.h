#pragma once
// Names of the files (not folders) directly in a folder, for checking that
// nothing was left behind.
#include "platform/UniqueHandle.h"

#include <string>
#include <vector>

namespace marlin::test {

inline std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    unique_find search(::FindFirstFileW((folder + L"*").c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

} // namespace marlin::test
