#include "PluginRefresh.h"

#include "PluginData.h"
#include "PluginSdk.h"
#include "config/ErrorLog.h"
#include "config/InstallPaths.h"
#include "document/SharedInstanceState.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <mutex>

namespace marlin {

bool MergePluginContent(const std::wstring& pluginId, const std::wstring& toolbar, const std::wstring& content,
                        const std::wstring& image) noexcept
{
    try {
        return StorePluginData(pluginId, toolbar, content, image);
    } catch (...) {
        return false; // out of memory: the refresh logs its failure
    }
}

std::wstring PluginContentImage(int pluginId)
{
    return WithTrailingBackslash(g_ApplicationPath.get()) + (pluginId == 1 ? L"Images\\eBay.ico" : L"Images\\YouTube.ico");
}

std::vector<PluginUpdate> ParsePluginUpdates(const std::wstring& xml)
{
    std::vector<PluginUpdate> updates;
    auto document = XmlDocument::Create();
    if (!document || !document->LoadXml(xml)) return updates;
    const XmlElement root = document->Root();
    if (!root) return updates;
    for (const XmlElement& child : ChildElements(root.Get())) {
        if (updates.size() == kMaxPluginUpdateEntries) break;
        const std::wstring text = GetText(child.Get());
        const size_t comma = text.find(L',');
        PluginUpdate update;
        update.stamp = comma == std::wstring::npos ? L"" : text.substr(0, comma);
        update.entry = comma == std::wstring::npos ? text : text.substr(comma);
        std::erase(update.stamp, L',');
        std::erase(update.entry, L',');
        updates.push_back(std::move(update));
    }
    return updates;
}

namespace {

// An entry as the SDK takes it: its leading number (0 when there is none).
LONG EntryNumber(const std::wstring& entry)
{
    const long long value = std::wcstoll(entry.c_str(), nullptr, 10);
    return static_cast<LONG>(std::clamp<long long>(value, LONG_MIN, LONG_MAX));
}

} // namespace

bool RunPluginUpdate(int pluginId, const std::vector<PluginRecord>& plugins, const PluginSdkLink& sdk, LONG toolbar,
                     const PluginMerge& merge, const std::atomic<bool>& stopping)
{
    bool succeeded = true;
    for (const PluginRecord& plugin : plugins) {
        if (plugin.id != pluginId || stopping) continue;
        const std::optional<std::wstring> library = PluginLibraryPath(plugin.id, plugin.name);
        if (!library) continue;
        const std::optional<std::wstring> answer = sdk.GetPluginUpdates(pluginId);
        if (!answer) {
            succeeded = false;
            continue;
        }
        const std::wstring id = std::to_wstring(pluginId), toolbarText = std::to_wstring(toolbar);
        for (const PluginUpdate& update : ParsePluginUpdates(*answer)) {
            if (stopping) break;
            const auto content = sdk.QueryPlugin(kQueryPluginUpdate, EntryNumber(update.entry), toolbar, *library);
            if (stopping) break; // an answer that came after the stop is not stored
            if (!content || !merge || !merge(id, toolbarText, content->text2, PluginContentImage(pluginId))) {
                succeeded = false;
            }
        }
    }
    return succeeded;
}

namespace {

// The process's refresh. Never held across a wait for a worker: `lock` guards
// the registrations and flags, `tickLock` makes a stop wait for a tick under
// way (a tick is short: it reads the catalogue and starts threads).
class ProcessRefresh {
public:
    unsigned long long Register(bool sdkReady)
    {
        std::lock_guard guard(m_lock);
        const unsigned long long id = ++m_lastId;
        m_windows.push_back({id, sdkReady});
        if (!m_scheduler) {
            m_scheduler = std::make_shared<CPluginScheduler>([this] { return ReadCatalogue(); },
                                                             [this](int pluginId, const std::atomic<bool>& stopping) {
                                                                 return RefreshPlugin(pluginId, stopping);
                                                             });
            if (m_holds > 0) m_scheduler->SetHeld(true);
        }
        return id;
    }

    void Unregister(unsigned long long id)
    {
        std::shared_ptr<CPluginScheduler> last;
        {
            std::lock_guard guard(m_lock);
            std::erase_if(m_windows, [&](const Registered& window) { return window.id == id; });
            if (m_windows.empty()) last = std::move(m_scheduler);
        }
        if (!last) return;
        {
            std::lock_guard tick(m_tickLock);
        }
        last->Stop();
    }

    bool Drives(unsigned long long id) const
    {
        std::lock_guard guard(m_lock);
        return !m_windows.empty() && m_windows.front().id == id;
    }

    size_t Tick(unsigned long long id)
    {
        std::shared_ptr<CPluginScheduler> scheduler;
        {
            std::lock_guard guard(m_lock);
            if (m_windows.empty() || m_windows.front().id != id) return 0;
            scheduler = m_scheduler;
        }
        std::lock_guard tick(m_tickLock);
        if (SharedState().IsLoggedIn == 0) return 0;
        if (!Env().InternetGetConnectedState()) {
            if (m_online.exchange(false)) LogError(kRiskHigh, ErrorMessages::kNotConnected);
            return 0;
        }
        m_online = true;
        {
            std::lock_guard guard(m_lock);
            if (m_stopped) return 0;
        }
        return scheduler ? scheduler->Tick(true) : 0;
    }

    bool Stop(DWORD waitMs)
    {
        std::shared_ptr<CPluginScheduler> scheduler;
        {
            std::lock_guard guard(m_lock);
            m_stopped = true;
            scheduler = m_scheduler;
        }
        {
            // A tick under way has queued its workers before they are stopped.
            std::lock_guard tick(m_tickLock);
        }
        return scheduler ? scheduler->Stop(waitMs) : true;
    }

    void Start()
    {
        std::lock_guard guard(m_lock);
        m_stopped = false;
    }

    void Hold(bool take)
    {
        std::lock_guard guard(m_lock);
        const int before = m_holds;
        m_holds += take ? 1 : -1;
        if ((before == 0) != (m_holds == 0) && m_scheduler) m_scheduler->SetHeld(m_holds > 0);
    }

    std::vector<std::wstring> Queued() const
    {
        std::shared_ptr<CPluginScheduler> scheduler;
        {
            std::lock_guard guard(m_lock);
            scheduler = m_scheduler;
        }
        return scheduler ? scheduler->QueuedNames() : std::vector<std::wstring>();
    }

    void SetMerge(PluginMerge merge)
    {
        std::lock_guard guard(m_lock);
        m_merge = merge ? std::move(merge) : PluginMerge(&MergePluginContent);
    }

    void Reset()
    {
        std::lock_guard guard(m_lock);
        m_stopped = false;
        m_online = true;
        m_merge = &MergePluginContent;
    }

private:
    struct Registered {
        unsigned long long id;
        bool sdkReady;
    };

    // The plug-in list, read afresh at every tick under the catalogue lock.
    std::optional<std::vector<ScheduledPlugin>> ReadCatalogue()
    {
        std::vector<PluginRecord> records;
        std::lock_guard catalogue(m_catalogueLock);
        if (!LoadPluginCatalogue(records)) return std::nullopt;
        m_plugins = records;
        std::vector<ScheduledPlugin> plugins;
        for (const PluginRecord& record : records) plugins.push_back({record.id, record.frequency, record.name});
        return plugins;
    }

    // A worker's refresh: with its own SDK object, on its own thread.
    bool RefreshPlugin(int pluginId, const std::atomic<bool>& stopping)
    {
        PluginMerge merge;
        {
            std::lock_guard guard(m_lock);
            const bool sdkReady = std::ranges::any_of(m_windows, &Registered::sdkReady);
            if (!sdkReady) return true; // without a ready SDK no plug-in is refreshed
            merge = m_merge;
        }
        std::vector<PluginRecord> plugins;
        {
            std::lock_guard catalogue(m_catalogueLock);
            plugins = m_plugins;
        }
        const ComInitScope com;
        if (!com.usable()) return false;
        const PluginSdkLink sdk = PluginSdkLink::InitializeForRefresh();
        if (!sdk.ready()) return false;
        return RunPluginUpdate(pluginId, plugins, sdk, SharedState().CurrentToolbar, merge, stopping);
    }

    mutable std::mutex m_lock;
    std::mutex m_tickLock;
    std::mutex m_catalogueLock;
    std::vector<Registered> m_windows; // oldest first: the first drives
    unsigned long long m_lastId = 0;
    std::shared_ptr<CPluginScheduler> m_scheduler; // while a window is registered
    bool m_stopped = false;
    int m_holds = 0;
    std::atomic<bool> m_online{true};
    PluginMerge m_merge = &MergePluginContent;
    std::vector<PluginRecord> m_plugins;
};

ProcessRefresh& Refresh()
{
    static ProcessRefresh refresh;
    return refresh;
}

} // namespace

void SetPluginMerge(PluginMerge merge) { Refresh().SetMerge(std::move(merge)); }

PluginRefreshRegistration PluginRefreshRegistration::Register(bool sdkReady)
{
    PluginRefreshRegistration registration;
    registration.m_id = Refresh().Register(sdkReady);
    return registration;
}

PluginRefreshRegistration::~PluginRefreshRegistration() { Unregister(); }

PluginRefreshRegistration::PluginRefreshRegistration(PluginRefreshRegistration&& other) noexcept
    : m_id(std::exchange(other.m_id, 0))
{
}

PluginRefreshRegistration& PluginRefreshRegistration::operator=(PluginRefreshRegistration&& other) noexcept
{
    if (this != &other) {
        Unregister();
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void PluginRefreshRegistration::Unregister() noexcept
{
    if (m_id == 0) return;
    try {
        Refresh().Unregister(std::exchange(m_id, 0));
    } catch (...) {
    }
}

bool PluginRefreshRegistration::Drives() const noexcept
{
    try {
        return m_id != 0 && Refresh().Drives(m_id);
    } catch (...) {
        return false;
    }
}

size_t PluginRefreshRegistration::Tick() noexcept
{
    try {
        return m_id != 0 ? Refresh().Tick(m_id) : 0;
    } catch (...) {
        return 0;
    }
}

bool StopPluginRefresh(DWORD waitMs) noexcept
{
    try {
        return Refresh().Stop(waitMs);
    } catch (...) {
        return false;
    }
}

void StartPluginRefresh() noexcept
{
    try {
        Refresh().Start();
    } catch (...) {
    }
}

PluginRefreshHold::PluginRefreshHold() noexcept
{
    try {
        Refresh().Hold(true);
        m_holds = true;
    } catch (...) {
    }
}

PluginRefreshHold::~PluginRefreshHold() { Release(); }

PluginRefreshHold& PluginRefreshHold::operator=(PluginRefreshHold&& other) noexcept
{
    if (this != &other) {
        Release();
        m_holds = std::exchange(other.m_holds, false);
    }
    return *this;
}

void PluginRefreshHold::Release() noexcept
{
    if (!std::exchange(m_holds, false)) return;
    try {
        Refresh().Hold(false);
    } catch (...) {
    }
}

std::vector<std::wstring> QueuedPluginRefreshes() { return Refresh().Queued(); }

void ResetPluginRefreshState() noexcept
{
    try {
        Refresh().Reset();
    } catch (...) {
    }
    ResetMinuteCounter();
}

} // namespace marlin
