#pragma once
// What the benchmarks share: the timing rule (the median of several runs, in
// milliseconds, with untimed work before each run when asked) and the scratch
// data folder.
#include <windows.h>

#include "config/InstallPaths.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
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

// Milliseconds on the performance counter.
inline double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double MedianMs(int runs, const std::function<void()>& work, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        const double start = NowMs();
        work();
        times.push_back(NowMs() - start);
    }
    return Median(std::move(times));
}

// One line of the performance report: scripts/bench gathers these lines from
// every benchmark into one table. `ratio` (0: none) is to the figure the
// benchmark compares with, named in its own output.
inline void ReportFigure(const char* figure, double value, const char* unit = "ms", double ratio = 0)
{
    if (ratio > 0)
        std::printf("@figure\t%s\t%.3f\t%s\tx%.1f\n", figure, value, unit, ratio);
    else
        std::printf("@figure\t%s\t%.3f\t%s\t-\n", figure, value, unit);
}
