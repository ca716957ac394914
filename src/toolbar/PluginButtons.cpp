#include "PluginButtons.h"

#include "document/SharedInstanceState.h"
#include "platform/Strings.h"
#include "plugins/PluginData.h"
#include "plugins/PluginRefresh.h"

#include <atomic>

namespace marlin {

namespace {

// Stops within the refresh's own bound; a worker that outlives it is logged there.
void StopRefresh() noexcept { StopPluginRefresh(kInteractiveStopWaitMs); }

std::atomic<void (*)() noexcept> g_stopRefresh{&StopRefresh};
std::atomic<void (*)() noexcept> g_startRefresh{&StartPluginRefresh};

// The SDK hands out an icon handle it keeps: the button gets a copy of its own,
// and nothing that is not an icon.
std::pair<ButtonIconRef, int> PictureFromHandle(LONG value)
{
    const auto handle = reinterpret_cast<HICON>(static_cast<LONG_PTR>(value));
    ICONINFO info{};
    if (!handle || !::GetIconInfo(handle, &info)) return {};
    const unique_hbitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    if (!::GetObjectW(colour ? colour.get() : mask.get(), sizeof(bitmap), &bitmap) || bitmap.bmWidth <= 0) return {};
    unique_hicon copy(::CopyIcon(handle));
    if (!copy) return {};
    return {AdoptButtonIcon(std::move(copy)), static_cast<int>(bitmap.bmWidth)};
}

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

const PluginSdkLink* CPluginButtons::Sdk()
{
    if (!m_sdk) m_sdk = PluginSdkLink::CreateForToolbar();
    return m_sdk->exists() ? &*m_sdk : nullptr;
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
    bool arrived = false;
    for (const ToolbarButton& button : model) {
        const auto library = LibraryOf(button);
        if (!library) continue;
        const std::wstring key = ToLowerAscii(*library);
        if (m_pictures.count(key)) continue;
        Picture& picture = m_pictures[key];
        const PluginSdkLink* sdk = Sdk();
        const auto answer = sdk ? sdk->QueryPlugin(kQueryPluginIcon, 0, toolbar, *library) : std::nullopt;
        if (!answer) continue;
        std::tie(picture.icon, picture.width) = PictureFromHandle(answer->value);
        arrived = arrived || picture.icon != nullptr;
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
    if (const PluginSdkLink* sdk = Sdk(); sdk && sdk->QueryDataChanged()) RaiseChange(SharedState().TabsChanged);
    return outcome;
}

void CPluginButtons::Reset() noexcept
{
    m_sdk.reset();
    m_pictures.clear();
}

} // namespace marlin
