#pragma once
// What the benchmarks share: the timing rule (the median of several runs, in
// milliseconds, with untimed work before each run when asked) and the scratch
// data folder.
#include <windows.h>

#include "config/InstallPaths.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// A scratch data folder with its XMLS folder under the temporary folder,
// made the data folder of this process.
inline std::wstring UseBenchDataFolder()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = marlin::WithTrailingBackslash(temp) + L"marlin-bench\\";
    marlin::EnsureFolder(folder);
    marlin::EnsureFolder(folder + L"XMLS");
    g_ApplicationPath = folder;
    return folder;
}

inline double MedianMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare = {})
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        work();
        ::QueryPerformanceCounter(&end);
        times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
