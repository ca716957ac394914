#include "ToolbarDocument.h"

#include "platform/Files.h"
#include "platform/Strings.h"

namespace marlin {

namespace {

constexpr wchar_t kSignedOutTemplate[] =
    L"<Root>"
    L"<Tab Name=\"Marlin Toolbar\" img=\"MarlinToolbar.ico\" TabID=\"1\" IDGen=\"2\" IsActiveTab=\"1\" Privacy=\"0\""
    L" IsDefault=\"0\" IsImported=\"1\">"
    L"<Buttons ID=\"1\" Privacy=\"0\" IsImported=\"1\" Cols=\"2\" PluginType=\"9\" PluginId=\"\" PlugInPath=\"\">"
    L"<ButtDesc name=\"MarlinToolbar\" img=\"MarlinToolbar.ico\" ToolTipText=\"MarlinToolbar\""
    L" UrlString=\"http://www.marlintoolbar.example/\" newwindow=\"no\"/>"
    L"</Buttons>"
    L"<Combo ID=\"-1\" caption=\"Search\" name=\"S1\" hint=\"Search\" command=\"\" limit=\"3\" img=\"Search.ico\""
    L" histmax=\"2\"/>"
    L"<Buttons ID=\"2\" Privacy=\"0\" IsImported=\"1\" Cols=\"2\" PluginType=\"0\" PluginId=\"\" PlugInPath=\"\">"
    L"<ButtDesc name=\"Features\" img=\"Features.ico\" ToolTipText=\"Marlin Toolbar Features\""
    L" UrlString=\"http://www.marlintoolbar.example/toolbarfeatures.htm\" newwindow=\"no\"/>"
    L"</Buttons>"
    L"</Tab>"
    L"<Tab Name=\"Add Tab\" TabID=\"2\" IDGen=\"2\" IsActiveTab=\"1\" Privacy=\"0\" IsDefault=\"0\" IsImported=\"1\""
    L" type=\"0\" img=\"AddButton.ico\" UrlString=\"\"/>"
    L"</Root>";

constexpr wchar_t kSignedInTemplate[] =
    L"<Root Default=\"1\">"
    L"<Tab Name=\"Marlin Toolbar\" img=\"MarlinToolbar.ico\" TabID=\"1\" IDGen=\"6\" IsActiveTab=\"0\" Privacy=\"0\""
    L" IsDefault=\"1\" IsImported=\"0\" IsAdded=\"0\">"
    L"<Buttons ID=\"1\" Privacy=\"0\" IsImported=\"0\" IsActiveTablet=\"0\" Cols=\"2\" PluginType=\"9\" PluginId=\"\""
    L" PlugInPath=\"\">"
    L"<ButtDesc name=\"MarlinToolbar\" img=\"MarlinToolbar.ico\" ToolTipText=\"MarlinToolbar\""
    L" UrlString=\"http://www.marlintoolbar.example/\" newwindow=\"no\"/>"
    L"</Buttons>"
    L"<Combo ID=\"2\" caption=\"Search\" name=\"S1\" hint=\"Search\" command=\"\" limit=\"3\""
    L" img=\"http://www.marlintoolbar.example/Search.ico\" histmax=\"2\"/>"
    L"<Buttons ID=\"3\" Privacy=\"0\" IsImported=\"0\" IsActiveTablet=\"0\" Cols=\"2\" PluginType=\"9\" PluginId=\"\""
    L" PlugInPath=\"\">"
    L"<ButtDesc name=\"Pop-up Blocker\" img=\"PopupOff.ico\" ToolTipText=\"Pop-up Blocker\""
    L" UrlString=\"http://www.marlintoolbar.example/\" newwindow=\"no\">"
    L"<Item caption=\"Pop-up Blocker Settings\" command=\"\" img=\"PopSettings.ico\" newwindow=\"no\""
    L" sliderwindow=\"no\"/>"
    L"</ButtDesc>"
    L"</Buttons>"
    L"<Buttons ID=\"4\" Privacy=\"0\" Cols=\"2\" IsImported=\"0\" IsActiveTablet=\"0\" IsSecure=\"0\" IsAdded=\"0\""
    L" PluginType=\"1\" PluginId=\"1\" PlugInPath=\"\">"
    L"<ButtDesc name=\"EBay\" img=\"Ebay.ico\" ToolTipText=\"Ebay\" UrlString=\"http://www.ebay.com/\" newwindow=\"no\">"
    L"<Item caption=\"Settings\" img=\"pluginsettings.ico\" ToolTipText=\"Settings\"/>"
    L"</ButtDesc>"
    L"</Buttons>"
    L"<Buttons ID=\"5\" Privacy=\"0\" IsImported=\"0\" IsActiveTablet=\"0\" Cols=\"2\" PluginType=\"1\" PluginId=\"3\""
    L" PlugInPath=\"\">"
    L"<ButtDesc name=\"YouTube\" img=\"YouTube.ico\" ToolTipText=\"YouTube Plugin\""
    L" UrlString=\"http://www.youtube.com/\" newwindow=\"no\">"
    L"<Item caption=\"Settings\" img=\"pluginsettings.ico\" ToolTipText=\"Settings\"/>"
    L"</ButtDesc>"
    L"</Buttons>"
    L"</Tab>"
    L"<Tab Name=\"Add Toolbar\" img=\"addToolbar.ico\" TabID=\"-1\" IDGen=\"2\" IsActiveTab=\"1\" Privacy=\"0\""
    L" IsDefault=\"0\" IsImported=\"1\" type=\"0\" UrlString=\"\"/>"
    L"</Root>";

bool IsNumberedChild(const std::wstring& name) { return name == L"Buttons" || name == L"Combo"; }

void ApplyNewWindow(EntryRecord& record, const std::wstring& value)
{
    if (value == L"no") {
        record.newWindow = false;
    } else if (value == L"yes") {
        record.newWindow = true;
    } else if (value == L"popup") {
        record.popup = true;
        record.newWindow = false;
    }
}

void ApplyFlag(bool& field, const std::wstring& value)
{
    if (value == L"no") field = false;
    else if (value == L"yes") field = true;
}

} // namespace

namespace {

EntryRecord ReadEntryWith(IXMLDOMNode* element, EntryKind kind, const std::wstring* imagesFolder,
                          SearchAddressTarget* search)
{
    EntryRecord record;
    const long count = AttributeCount(element);
    for (long i = 0; i < count; ++i) {
        auto attribute = AttributeAt(element, i);
        if (!attribute) continue;
        const std::wstring& name = attribute->first;
        const std::wstring& value = attribute->second;
        if (EqualsNoCase(name, L"name")) {
            if (kind == EntryKind::Button) record.caption = value;
        } else if (EqualsNoCase(name, L"caption")) {
            record.caption = value;
        } else if (EqualsNoCase(name, L"img")) {
            if (!imagesFolder) {
                record.iconPath = value;
                continue;
            }
            record.iconPath = value.find(L'\\') == std::wstring::npos ? *imagesFolder + value : value;
            record.iconExists = FileExists(record.iconPath);
        } else if (EqualsNoCase(name, L"ToolTipText")) {
            record.toolTip = value;
        } else if (EqualsNoCase(name, L"UrlString")) {
            record.url = UnescapeAmpersands(value);
            if (search && !search->searchFlag && record.caption.find(L"Search") != std::wstring::npos) {
                search->searchAddress = record.url;
            }
        } else if (EqualsNoCase(name, L"KeyWordSearchURL")) {
            record.keywordSearchUrl = UnescapeAmpersands(value);
        } else if (EqualsNoCase(name, L"command")) {
            if (kind != EntryKind::Button) record.command = UnescapeAmpersands(value);
        } else if (EqualsNoCase(name, L"cid")) {
            record.cid = value;
        } else if (EqualsNoCase(name, L"catId")) {
            record.catId = value;
        } else if (EqualsNoCase(name, L"newwindow")) {
            ApplyNewWindow(record, value);
        } else if (EqualsNoCase(name, L"sliderWindow")) {
            if (kind != EntryKind::Button) ApplyFlag(record.sliderWindow, value);
        } else if (EqualsNoCase(name, L"Enable")) {
            ApplyFlag(record.enabled, value);
        }
    }
    return record;
}

} // namespace

EntryRecord ReadEntry(IXMLDOMNode* element, EntryKind kind, const std::wstring& imagesFolder,
                      SearchAddressTarget* search)
{
    return ReadEntryWith(element, kind, &imagesFolder, search);
}

EntryRecord ReadForeignEntry(IXMLDOMNode* element, EntryKind kind)
{
    return ReadEntryWith(element, kind, nullptr, nullptr);
}

std::vector<XmlElement> SubMenuItems(IXMLDOMNode* item, bool* cut)
{
    std::vector<XmlElement> subItems;
    if (cut) *cut = false;
    ComPtr<IXMLDOMNode> sub;
    if (!item || item->get_firstChild(&sub) != S_OK) return subItems;
    while (sub) {
        if (NodeName(sub.Get()) == L"SubItem") {
            if (subItems.size() == kMaxSubEntries) {
                if (cut) *cut = true;
                break;
            }
            XmlElement element;
            if (SUCCEEDED(sub.As(&element))) subItems.push_back(std::move(element));
        }
        ComPtr<IXMLDOMNode> next;
        if (sub->get_nextSibling(&next) != S_OK) break;
        sub = std::move(next);
    }
    return subItems;
}

std::vector<XmlElement> MenuItems(IXMLDOMNode* buttDesc)
{
    std::vector<XmlElement> items;
    if (!buttDesc) return items;
    ComPtr<IXMLDOMNode> child;
    if (buttDesc->get_firstChild(&child) != S_OK) return items;
    for (int examined = 0; child && examined < kMaxMenuChildren; ++examined) {
        if (NodeName(child.Get()) == L"Item") {
            XmlElement item;
            if (SUCCEEDED(child.As(&item))) items.push_back(item);
        }
        ComPtr<IXMLDOMNode> next;
        if (child->get_nextSibling(&next) != S_OK) break;
        child = std::move(next);
    }
    return items;
}

void RenumberDocument(const XmlDocument& document)
{
    int tabNumber = 0;
    for (const XmlElement& tab : TabElements(document)) {
        SetAttribute(tab.Get(), L"TabID", Format(L"%d", ++tabNumber));
        int childNumber = 0;
        for (const XmlElement& child : ChildElements(tab.Get())) {
            if (!IsNumberedChild(NodeName(child.Get()))) continue;
            SetAttribute(child.Get(), L"ID", Format(L"%d", ++childNumber));
        }
        SetAttribute(tab.Get(), L"IDGen", Format(L"%d", childNumber));
        if (IsPseudoToolbar(tab.Get())) break;
    }
}

const std::wstring& DocumentTemplate(bool signedIn)
{
    static const std::wstring signedOut(kSignedOutTemplate);
    static const std::wstring signedInText(kSignedInTemplate);
    return signedIn ? signedInText : signedOut;
}

std::wstring EscapeAmpersands(const std::wstring& text) { return ReplaceAll(text, L"&", L"&amp;"); }
std::wstring UnescapeAmpersands(const std::wstring& text) { return ReplaceAll(text, L"&amp;", L"&"); }

std::vector<XmlElement> TabElements(const XmlDocument& document)
{
    std::vector<XmlElement> tabs;
    XmlElement root = document.Root();
    if (!root) return tabs;
    for (XmlElement& child : ChildElements(root.Get())) {
        if (NodeName(child.Get()) == L"Tab") tabs.push_back(std::move(child));
    }
    return tabs;
}

bool IsPseudoToolbar(IXMLDOMNode* tab) { return GetAttribute(tab, L"type").value_or(L"") == L"0"; }

XmlElement FirstChildNamed(IXMLDOMNode* parent, const wchar_t* name)
{
    for (XmlElement& child : ChildElements(parent)) {
        if (NodeName(child.Get()) == name) return std::move(child);
    }
    return nullptr;
}

std::wstring AttributeText(IXMLDOMNode* node, const wchar_t* name)
{
    return GetAttribute(node, name).value_or(std::wstring());
}

} // namespace marlin
