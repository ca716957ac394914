#include "DocumentStore.h"

#include "SharedInstanceState.h"
#include "config/ApiHost.h"
#include "config/ErrorLog.h"
#include "config/Messages.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include <map>
#include <mutex>

namespace marlin {

namespace {

// A toolbar document this large is not one the product wrote; reading it
// would stall the browser.
constexpr size_t kMaxDocumentBytes = 32 * 1024 * 1024;

bool SignedIn() { return SharedState().IsLoggedIn != 0; }

bool LoadFile(XmlDocument& document, const std::wstring& path) { return document.Load(path, kMaxDocumentBytes); }

// The document this thread saved last, per path. Parsing a large toolbar
// document costs far more than the edit itself; as long as the file is still
// the one this thread wrote, the parsed copy is the same document. Kept per
// thread because a DOM document belongs to the apartment that made it, and
// only for threads whose COM outlives the edit. Never destroyed: releasing
// DOM objects after COM has shut down at process exit would be unsafe.
class SavedDocumentCache {
public:
    static SavedDocumentCache& Instance()
    {
        static SavedDocumentCache* cache = new SavedDocumentCache();
        return *cache;
    }

    // The cached document when the file is still the one it was saved as; the
    // entry leaves the cache, so a failed edit cannot leave a changed copy behind.
    std::optional<XmlDocument> Take(const std::wstring& path, const FileIdentity& stamp)
    {
        std::lock_guard guard(m_lock);
        auto found = m_entries.find(Key(path));
        if (found == m_entries.end()) return std::nullopt;
        Entry entry = std::move(found->second);
        m_entries.erase(found);
        if (!(entry.stamp == stamp)) return std::nullopt;
        return std::move(entry.document);
    }

    void Put(const std::wstring& path, const FileIdentity& stamp, XmlDocument document)
    {
        std::lock_guard guard(m_lock);
        m_entries.insert_or_assign(Key(path), Entry{stamp, std::move(document)});
    }

private:
    struct Entry {
        FileIdentity stamp;
        XmlDocument document;
    };
    static std::pair<DWORD, std::wstring> Key(const std::wstring& path)
    {
        return {::GetCurrentThreadId(), ToLowerAscii(path)};
    }

    std::mutex m_lock;
    std::map<std::pair<DWORD, std::wstring>, Entry> m_entries;
};

std::wstring FileNameOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Keeps a copy of a file that does not parse, so that saving over it loses nothing.
bool PreserveBrokenFile(const std::wstring& path)
{
    SYSTEMTIME now{};
    Env().GetLocalTime(now);
    const std::wstring stem = path + Format(L".broken-%04d%02d%02d-%02d%02d%02d", now.wYear, now.wMonth, now.wDay,
                                            now.wHour, now.wMinute, now.wSecond);
    std::wstring backup = stem;
    for (int n = 2; FileExists(backup) && n < 100; ++n) backup = stem + Format(L"-%d", n);
    return ::CopyFileW(path.c_str(), backup.c_str(), TRUE) != FALSE;
}

// Load (or the template), change and save, under the file's lock. Without the
// lock another window's edit could be overwritten: nothing is written then.
bool EditUnderLock(const std::wstring& path, const std::function<bool(XmlDocument&)>& edit, bool keepDocument)
{
    CrossProcessLock lock(path);
    if (!lock.held()) {
        LogError(kRiskHigh, ErrorMessages::FileLockNotObtained(L"DocumentStore", L"EditToolbarDocument", path));
        return false;
    }
    const std::optional<FileIdentity> stamp = QueryFileIdentity(path);
    std::optional<XmlDocument> document;
    if (stamp && keepDocument) document = SavedDocumentCache::Instance().Take(path, *stamp);
    const bool fileExists = stamp.has_value();
    bool fromFile = document.has_value();
    if (!document) {
        document = XmlDocument::Create();
        if (!document) return false;
        fromFile = fileExists && LoadFile(*document, path);
    }
    if (!fromFile) {
        document = XmlDocument::Create();
        if (!document || !document->LoadXml(DocumentTemplate(SignedIn()))) return false;
    }
    if (!edit(*document)) return false;
    if (fileExists && !fromFile && !PreserveBrokenFile(path)) return false;
    if (!document->SaveAtomically(path)) return false;
    if (keepDocument) {
        if (auto saved = QueryFileIdentity(path)) SavedDocumentCache::Instance().Put(path, *saved, std::move(*document));
    }
    return true;
}

} // namespace

std::wstring BasicDocumentPath() { return g_ApplicationPath.get() + L"XMLS\\" + kBasicDocumentName; }
std::wstring LoginDocumentPath() { return g_ApplicationPath.get() + L"XMLS\\" + kLoginDocumentName; }
std::wstring CurrentDocumentPath() { return SignedIn() ? LoginDocumentPath() : BasicDocumentPath(); }

std::optional<XmlDocument> LoadToolbarDocument(const std::wstring& path)
{
    auto document = XmlDocument::Create();
    if (!document) return std::nullopt;
    if (!LoadFile(*document, path)) {
        document = XmlDocument::Create();
        if (!document || !document->LoadXml(DocumentTemplate(SignedIn()))) return std::nullopt;
    }
    return document;
}

bool DocumentFileLoads(const std::wstring& path)
{
    auto document = XmlDocument::Create();
    return document && LoadFile(*document, path);
}

bool CreateDocumentFile(const std::wstring& path)
{
    auto document = XmlDocument::Create();
    return document && document->LoadXml(DocumentTemplate(SignedIn())) && document->SaveAtomically(path);
}

bool EnsureCurrentDocument(HWND owner)
{
    const std::wstring path = CurrentDocumentPath();
    if (FileExists(path)) return true;
    {
        CrossProcessLock lock(path);
        if (!lock.held()) {
            LogError(kRiskHigh, ErrorMessages::FileLockNotObtained(L"DocumentStore", L"EnsureCurrentDocument", path));
        } else if (FileExists(path) || CreateDocumentFile(path)) {
            return true;
        }
    }
    Env().ShowMessageBox(owner,
                         SignedIn() ? L"Unable to Create Login Marlin Toolbar XML"
                                    : L"Unable to Create Basic Marlin Toolbar XML",
                         kDocumentCaption, MB_OK | MB_ICONINFORMATION);
    return false;
}

int GetDefaultToolbar()
{
    auto document = LoadToolbarDocument(LoginDocumentPath());
    return document ? DefaultToolbarOf(*document) : 0;
}

int DefaultToolbarOf(const XmlDocument& loginDocument)
{
    XmlElement root = loginDocument.Root();
    const std::wstring value = root ? AttributeText(root.Get(), L"Default") : std::wstring();
    return value.empty() ? -1 : ParseInt(value) - 1;
}

bool SetDefaultToolbar(int number)
{
    return EditToolbarDocument(LoginDocumentPath(), [number](XmlDocument& document) {
        XmlElement root = document.Root();
        return root && SetAttribute(root.Get(), L"Default", Format(L"%d", number));
    });
}

bool EditToolbarDocument(const std::wstring& path, const std::function<bool(XmlDocument&)>& edit)
{
    ComInitScope com;
    if (!com.usable() || g_ApplicationPath.get().empty()) return false;
    if (!EditUnderLock(path, edit, com.outlivesScope())) return false;
    // Reaching the API host may start it and wait for it: never under the lock.
    if (g_bProtectedMode == 1) SendToApiHost(kApiMessageDocumentSaved, FileNameOf(path));
    return true;
}

DocumentStartup InitializeToolbarDocuments(HWND owner)
{
    DocumentStartup startup;
    startup.paths = InitToolbarPaths();
    ::InterlockedExchange(&SharedState().IsLoggedIn, startup.paths.signedIn ? 1 : 0);
    if (g_ApplicationPath.get().empty()) {
        Env().ShowMessageBox(owner, L"Application Path not found", kCaption, MB_OK | MB_ICONINFORMATION);
        return startup;
    }
    startup.pathFound = true;
    EnsureFolder(g_ApplicationPath.get() + L"XMLS");
    EnsureFolder(g_ApplicationPath.get() + L"Images");
    startup.loginDocument = startup.paths.signedIn;
    startup.currentDocumentPath =
        startup.loginDocument ? startup.paths.loginDocumentPath : startup.paths.basicDocumentPath;
    EnsureCurrentDocument(owner);
    return startup;
}

void ApplyDefaultToolbar(int defaultIndex, int tabCount)
{
    if (defaultIndex < 0) return;
    ::InterlockedExchange(&SharedState().CurrentToolbar, defaultIndex < tabCount ? defaultIndex : 0);
}

} // namespace marlin
