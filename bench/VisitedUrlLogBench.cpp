// One visit appended to a log of 10 and of 10,000 visits, with the ratio.
// Prints figures; asserts nothing.
#include "config/InstallPaths.h"
#include "monitors/VisitedUrlLog.h"
#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include "BenchTiming.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace marlin;

namespace {

double MedianAppendMs(int existingVisits)
{
    ::DeleteFileW(VisitedUrlLogPath().c_str());
    for (int i = 0; i < existingVisits; ++i) LogVisitedUrl(Format(L"http://seed%d.example/page?a=1&b=2", i));
    int visit = 0;
    return MedianMs(51, [&] { LogVisitedUrl(Format(L"http://visit%d.example/", ++visit)); });
}

} // namespace

int main()
{
    ComInitScope com;
    UseBenchDataFolder();

    const double small = MedianAppendMs(10);
    const double large = MedianAppendMs(10000);
    std::printf("visited-URL log append (median of 51 visits, ms)\n");
    std::printf("%-20s %10.3f\n%-20s %10.3f\n%-20s %10.2f\n", "10 visits", small, "10,000 visits", large, "ratio",
                large / small);
    ReportFigure("visited-URL log append, 10,000 visits (ratio: 10 visits)", large, "ms", large / small);
    ::DeleteFileW(VisitedUrlLogPath().c_str());
    return 0;
}
