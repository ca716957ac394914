#pragma once
// The one timing rule of the benchmarks: the median of several runs, in
// milliseconds, with untimed work before each run when asked.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

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
