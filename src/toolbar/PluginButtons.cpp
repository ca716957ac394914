#include "PluginButtons.h"

#include "document/SharedInstanceState.h"
#include "platform/Strings.h"
#include "plugins/PluginData.h"
#include "plugins/PluginRefresh.h"
#include "plugins/PluginSdk.h"

#include <atomic>

namespace marlin {

namespace {

// Stops within the refresh's own bound; a worker that outlives it is logged there.
void StopRefresh() noexcept { StopPluginRefresh(kInteractiveStopWaitMs); }

std::atomic<void (*)() noexcept> g_stopRefresh{&StopRefresh};
std::atomic<void (*)() noexcept> g_startRefresh{&StartPluginRefresh};

} // namespace

PluginRefreshControl SetPluginRefreshControl(PluginRefreshControl control) noexcept
{
    if (!control.stop || !control.start) control = PluginRefreshControl{&StopRefresh, &StartPluginRefresh};
    return PluginRefreshControl{g_stopRefresh.exchange(control.stop), g_startRefresh.exchange(control.start)};
}

PluginRefreshPause::PluginRefreshPause() noexcept { g_stopRefresh.load()(); }

PluginRefreshPause::~PluginRefreshPause() { g_startRefresh.load()(); }

const std::vector<PluginTextRecord>& CPluginButtons::Catalogue()
{
    if (!m_catalogue) {
        m_catalogue.emplace();
        LoadPluginCatalogue(*m_catalogue);
    }
    return *m_catalogue;
}

const PluginTextRecord* CPluginButtons::FindRecord(const std::wstring& pluginId)
{
    if (pluginId.empty()) return nullptr;
    for (const PluginTextRecord& record : Catalogue()) {
        if (EqualsNoCase(record.id, pluginId)) return &record;
    }
    return nullptr;
}

std::optional<PluginRecord> CPluginButtons::RecordFor(const std::wstring& pluginId)
{
    const PluginTextRecord* record = FindRecord(pluginId);
    return record ? ToPluginRecord(*record) : std::nullopt;
}

std::optional<std::wstring> CPluginButtons::LibraryOf(const ToolbarButton& button)
{
    if (!button.IsPlugin()) return std::nullopt;
    const PluginTextRecord* record = FindRecord(button.pluginId);
    if (!record) return std::nullopt;
    auto path = PluginLibraryPath(record->id, record->name);
    if (!path || !PluginLibraryExists(*path)) return std::nullopt;
    return path;
}

bool CPluginButtons::ApplyPictures(std::vector<ToolbarButton>& model)
{
    bool unasked = false;
    for (ToolbarButton& button : model) {
        const auto library = LibraryOf(button);
        if (!library) continue;
        const auto known = m_pictures.find(ToLowerAscii(*library));
        if (known == m_pictures.end()) {
            unasked = true;
        } else if (known->second.icon) {
            button.pluginImage = known->second.icon;
            button.pluginImageWidth = known->second.width;
        }
    }
    return unasked;
}

bool CPluginButtons::AskPictures(const std::vector<ToolbarButton>& model, int toolbar)
{
    // Each library is asked once: its entry stays, with or without a picture.
    std::vector<std::wstring> libraries, keys;
    for (const ToolbarButton& button : model) {
        const auto library = LibraryOf(button);
        if (!library) continue;
        std::wstring key = ToLowerAscii(*library);
        if (!m_pictures.try_emplace(key).second) continue;
        libraries.push_back(*library);
        keys.push_back(std::move(key));
    }
    if (libraries.empty()) return false;
    std::vector<SdkPicture> answers = QueryToolbarPictures(libraries, toolbar);
    bool arrived = false;
    for (size_t i = 0; i < answers.size() && i < keys.size(); ++i) {
        if (!answers[i].icon) continue;
        m_pictures[keys[i]] = Picture{AdoptButtonIcon(std::move(answers[i].icon)), answers[i].width};
        arrived = true;
    }
    return arrived;
}

FetchOutcome CPluginButtons::Run(const PluginRecord& plugin, const RECT& rect, int toolbar, PluginCaller caller)
{
    const FetchOutcome outcome =
        CallFetchData(plugin, rect, toolbar, caller,
                      [](const std::wstring& id, const std::wstring& index, const std::wstring& data) {
                          StorePluginData(id, index, data);
                      });
    if (outcome == FetchOutcome::NotLoaded || outcome == FetchOutcome::Refused) return outcome;
    if (QueryToolbarDataChanged()) RaiseChange(SharedState().TabsChanged);
    return outcome;
}

void CPluginButtons::Reset() noexcept
{
    m_pictures.clear();
}

} // namespace marlin
