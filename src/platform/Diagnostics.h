#pragma once
// Failures caught at a COM or window-procedure boundary are reported here.
// The configuration layer installs a reporter that writes the error log; the
// platform layer cannot reach it directly (dependencies point one way).
namespace marlin {

using FailureReporter = void (*)(const wchar_t* place) noexcept;
void SetFailureReporter(FailureReporter reporter) noexcept;
void ReportFailure(const wchar_t* place) noexcept;

} // namespace marlin
