#include "VisitedUrlLog.h"

#include "config/ApiHost.h"
#include "config/InstallPaths.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

#include <string_view>

namespace marlin {

namespace {

// How the DOM ends the file; the line break is whichever it writes.
constexpr std::string_view kClosingTags[] = {"</MTRoot>\r\n", "</MTRoot>\n"};
constexpr size_t kLongestClosingTag = 11;

// The log as the product last wrote it, shared by every process that maps the
// module and touched only under the file's lock: when the file still has this
// identity, it is well-formed and ends with the closing tag.
struct LogFileIdentity {
    unsigned long long pathHash;
    FileIdentity file;
};
__attribute__((section(".shared"), shared)) LogFileIdentity g_lastWrittenLog = {0, {0, 0, 0}};

unsigned long long HashPath(const std::wstring& path)
{
    unsigned long long hash = 14695981039346656037ull;
    for (wchar_t c : ToLowerAscii(path)) {
        hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ull;
    }
    return hash | 1; // never 0, which means "nothing written yet"
}

// Only a log in 8-bit text may be appended to in place: the entry is UTF-8,
// and a UTF-16 log (byte-order mark first) would be destroyed by it.
bool IsEightBitText(const std::wstring& path)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    unsigned char start[2] = {};
    DWORD read = 0;
    return file && ::ReadFile(file.get(), start, sizeof(start), &read, nullptr) && read == sizeof(start) &&
           start[0] == '<' && start[1] != 0;
}

void Remember(const std::wstring& path)
{
    if (auto identity = IsEightBitText(path) ? QueryFileIdentity(path) : std::nullopt) {
        g_lastWrittenLog = LogFileIdentity{HashPath(path), *identity};
    } else {
        g_lastWrittenLog.pathHash = 0;
    }
}

// The entry exactly as the DOM's save writes it.
std::string EntryText(const std::wstring& timestamp, const std::wstring& address)
{
    std::wstring escaped = ReplaceAll(address, L"&", L"&amp;");
    escaped = ReplaceAll(escaped, L"<", L"&lt;");
    escaped = ReplaceAll(escaped, L">", L"&gt;");
    return ToUtf8(L"<VisitedURL timestamp=\"" + timestamp + L"\">" + escaped + L"</VisitedURL>");
}

// Control characters have escapes of their own in the DOM's output, and
// surrogates and the non-characters U+FFFE/U+FFFF are not plain XML text;
// such an address takes the DOM's way, whose save refuses what would not load.
bool PlainText(const std::wstring& address)
{
    for (wchar_t c : address) {
        if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE) return false;
    }
    return true;
}

// One write over the closing tag, when the file is the one the product last wrote.
bool AppendInPlace(const std::wstring& path, const std::string& entry)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    const auto identity = QueryFileIdentity(file.get());
    const unsigned long long pathHash = HashPath(path);
    if (!identity || g_lastWrittenLog.pathHash != pathHash || !(g_lastWrittenLog.file == *identity)) return false;
    const auto size = static_cast<unsigned long long>(identity->size);
    if (size < kLongestClosingTag) return false;

    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size - kLongestClosingTag);
    char last[kLongestClosingTag] = {};
    DWORD read = 0;
    if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) ||
        !::ReadFile(file.get(), last, static_cast<DWORD>(kLongestClosingTag), &read, nullptr) ||
        read != kLongestClosingTag) {
        return false;
    }
    const std::string_view tailText(last, kLongestClosingTag);
    std::string_view closing;
    for (std::string_view candidate : kClosingTags) {
        if (tailText.ends_with(candidate)) closing = candidate;
        if (!closing.empty()) break;
    }
    if (closing.empty()) return false;

    LARGE_INTEGER tail{};
    tail.QuadPart = static_cast<LONGLONG>(size - closing.size());
    const std::string bytes = entry + std::string(closing);
    DWORD written = 0;
    if (!::SetFilePointerEx(file.get(), tail, nullptr, FILE_BEGIN) ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        return false;
    }
    if (auto written = QueryFileIdentity(file.get())) g_lastWrittenLog = LogFileIdentity{pathHash, *written};
    return true;
}

// Through the DOM: creates the log when missing, refuses a file that does not parse.
bool AppendThroughDocument(const std::wstring& path, const std::wstring& timestamp, const std::wstring& address)
{
    ComInitScope com;
    if (!FileExists(path)) {
        auto fresh = XmlDocument::Create();
        XmlElement root = fresh ? fresh->CreateElement(L"MTRoot") : nullptr;
        if (!root || !fresh->AppendProcessingInstruction(L"xml", L"version='1.0'") ||
            !fresh->AppendToDocument(root.Get()) || !fresh->SaveAtomically(path)) {
            return false;
        }
    }
    auto document = XmlDocument::Create();
    if (!document || !document->Load(path)) return false;
    XmlElement visit = document->CreateElement(L"VisitedURL");
    XmlElement root = document->Root();
    if (!visit || !root || !SetAttribute(visit.Get(), L"timestamp", timestamp) || !AppendChild(root.Get(), visit.Get()) ||
        !SetText(visit.Get(), address) || !document->SaveAtomically(path)) {
        return false;
    }
    Remember(path);
    return true;
}

} // namespace

std::wstring VisitedUrlLogPath() { return g_ApplicationPath.get() + L"XMLS\\" + L"LogURL.xml"; }

std::wstring FormatVisitTimestamp(const SYSTEMTIME& time)
{
    return Format(L"%d/%d/%d-%d:%d:%d", time.wDay, time.wMonth, time.wYear, time.wHour, time.wMinute, time.wSecond);
}

bool IsLoggableAddress(const std::wstring& address)
{
    for (const wchar_t* scheme : {L"http:", L"https:", L"ftp:", L"gopher:", L"telnet:"}) {
        if (address.find(scheme) != std::wstring::npos) return true;
    }
    return false;
}

void LogVisitedUrl(const std::wstring& address) noexcept
{
    try {
        if (!IsLoggableAddress(address) || g_ApplicationPath.get().empty()) return;
        const std::wstring path = VisitedUrlLogPath();
        SYSTEMTIME now{};
        Env().GetLocalTime(now);
        const std::wstring timestamp = FormatVisitTimestamp(now);

        bool appended = false;
        {
            CrossProcessLock lock(path);
            if (!lock.held()) return;
            appended = (PlainText(address) && AppendInPlace(path, EntryText(timestamp, address))) ||
                       AppendThroughDocument(path, timestamp, address);
        }
        // On the navigation path: a running host is told at once, none is started.
        if (appended && g_bProtectedMode == 1) NotifyApiHostIfRunning(kApiMessageDocumentSaved, L"LogURL.xml");
    } catch (...) {
    }
}

} // namespace marlin
