#include "PluginData.h"

#include "PluginLibrary.h"

#include "config/ErrorLog.h"
#include "document/DocumentStore.h"
#include "platform/Strings.h"

#include <atomic>

namespace marlin {

namespace {

constexpr wchar_t kDataRefused[] = L"[CMarlinToolbarCtrl][SetPluginData][Plugin data not understood]";

std::atomic<long> g_pluginDataChanges{0};

PluginSubEntry ToSubEntry(const EntryRecord& record)
{
    return PluginSubEntry{record.caption, record.iconPath, record.toolTip, record.url,  record.popup,
                          record.newWindow, record.sliderWindow, record.enabled, record.cid, record.catId};
}

std::optional<int> ToolbarIndex(const std::wstring& text)
{
    if (text.empty() || text.size() > 4) return std::nullopt;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
    }
    return ParseInt(text);
}

} // namespace

std::optional<PluginDescription> ParsePluginData(const std::wstring& text)
{
    // The same bound as a FetchData answer: a button and a few menus.
    if (text.empty() || text.size() > kMaxPluginDataChars) return std::nullopt;
    auto document = XmlDocument::Create();
    if (!document || !document->LoadXml(text)) return std::nullopt;
    XmlElement root = document->Root();
    if (!root || !EqualsNoCase(NodeName(root.Get()), L"ButtDesc")) return std::nullopt;

    PluginDescription description;
    description.button = ReadForeignEntry(root.Get(), EntryKind::Button);
    for (const XmlElement& item : MenuItems(root.Get())) {
        const EntryRecord record = ReadForeignEntry(item.Get(), EntryKind::Menu);
        PluginEntry entry{record.caption, record.iconPath, record.toolTip, record.keywordSearchUrl, {}};
        for (const XmlElement& sub : SubMenuItems(item.Get())) {
            entry.subEntries.push_back(ToSubEntry(ReadForeignEntry(sub.Get(), EntryKind::SubMenu)));
        }
        description.entries.push_back(std::move(entry));
    }
    return description;
}

bool StorePluginData(const std::wstring& pluginId, const std::wstring& toolbarIndex, const std::wstring& data,
                     const std::wstring& defaultImage)
{
    const auto index = ToolbarIndex(toolbarIndex);
    if (!index || pluginId.empty()) return false;
    auto description = ParsePluginData(data);
    if (!description) {
        LogError(kRiskLow, kDataRefused);
        return false;
    }
    for (PluginEntry& entry : description->entries) {
        if (entry.iconPath.empty()) entry.iconPath = defaultImage;
    }
    // The toolbar the index names now; the edit finds it again by name and
    // number under the document's lock, and writes nothing when it went meanwhile.
    const auto document = LoadToolbarDocument(LoginDocumentPath());
    if (!document) return false;
    const std::vector<XmlElement> tabs = TabElements(*document);
    if (*index >= static_cast<int>(tabs.size()) || IsPseudoToolbar(tabs[*index].Get())) return false;
    const ToolbarRef toolbar{AttributeText(tabs[*index].Get(), L"Name"),
                             ParseInt(AttributeText(tabs[*index].Get(), L"TabID"))};
    if (!CButtonOperations().SetPluginData(toolbar, pluginId, description->entries)) return false;
    ++g_pluginDataChanges;
    return true;
}

long PluginDataChanges() noexcept { return g_pluginDataChanges.load(); }

} // namespace marlin
