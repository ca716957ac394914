#include "Diagnostics.h"

#include <atomic>

namespace marlin {

namespace {
std::atomic<FailureReporter> g_reporter{nullptr};
}

void SetFailureReporter(FailureReporter reporter) noexcept { g_reporter.store(reporter); }

void ReportFailure(const wchar_t* place) noexcept
{
    if (FailureReporter reporter = g_reporter.load()) reporter(place);
}

} // namespace marlin
