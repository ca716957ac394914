#include "ErrorLog.h"

#include "InstallPaths.h"
#include "platform/ComTypes.h"
#include "platform/Diagnostics.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

namespace marlin {

namespace {

constexpr wchar_t kRootName[] = L"MTRoot";

// A new log: the processing instruction and an empty MTRoot.
bool StartNewLog(XmlDocument& document)
{
    XmlElement root = document.CreateElement(kRootName);
    return root && document.AppendProcessingInstruction(L"xml", L"version='1.0'") &&
           document.AppendToDocument(root.Get());
}

void AppendEntry(const std::wstring& path, const std::wstring& risk, const std::wstring& message)
{
    ComInitScope com;
    if (!com.usable()) return;
    // A log whose lock cannot be had (after the lock's own retry) has nowhere
    // to report that: the entry is dropped rather than written blind.
    CrossProcessLock lock(path);
    if (!lock.held()) return;
    auto document = XmlDocument::Create();
    if (!document) return;

    if (FileExists(path)) {
        // A log that does not parse stays as it is; nothing is appended to it.
        if (!document->Load(path)) return;
    } else if (!StartNewLog(*document)) {
        return;
    }

    XmlElement entry = document->CreateElement(L"Error");
    XmlElement root = document->Root();
    if (!entry || !root) return;
    SYSTEMTIME now{};
    Env().GetLocalTime(now);
    if (!SetAttribute(entry.Get(), L"risk", risk) ||
        !SetAttribute(entry.Get(), L"timestamp", FormatErrorTimestamp(now)) || !AppendChild(root.Get(), entry.Get()) ||
        !SetText(entry.Get(), message)) {
        return;
    }
    document->SaveAtomically(path);
}

void ReportToErrorLog(const wchar_t* place) noexcept
{
    try {
        LogError(kRiskHigh, Format(L"[%ls][Boundary][Unexpected failure]", place ? place : L"?"));
    } catch (...) {
    }
}

} // namespace

std::wstring ErrorMessages::FileLockNotObtained(const wchar_t* className, const wchar_t* method,
                                                const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    return Format(L"[%ls][%ls][File in use, not saved: %ls]", className, method, name.c_str());
}

std::wstring ErrorLogPath()
{
    std::wstring folder = g_ApplicationPath.get();
    // Without a data folder the name would resolve against the current folder,
    // which is nowhere the product may write.
    if (folder.empty()) return {};
    return folder + L"XMLS\\MarlinToolbarErrorLog" + L".xml";
}

std::wstring FormatErrorTimestamp(const SYSTEMTIME& time)
{
    return Format(L"Date:[%d/%d/%d]-Time:[%d:%d:%d]", time.wMonth, time.wDay, time.wYear, time.wHour, time.wMinute,
                  time.wSecond);
}

void LogError(const std::wstring& risk, const std::wstring& message) noexcept
{
    try {
        std::wstring path = ErrorLogPath();
        if (!path.empty()) AppendEntry(path, risk, message);
    } catch (...) {
        // The log is the last resort; a failure to write it has nowhere to go.
    }
}

void InstallErrorLogFailureReporter() noexcept { SetFailureReporter(&ReportToErrorLog); }

} // namespace marlin
