#include "ToolbarOperations.h"

#include "DocumentStore.h"
#include "SharedInstanceState.h"
#include "config/Messages.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace marlin {

namespace {

// Attributes in the order they are written.
using Attributes = std::initializer_list<std::pair<const wchar_t*, std::wstring>>;

XmlElement NewElement(XmlDocument& document, const wchar_t* name, Attributes attributes)
{
    XmlElement element = document.CreateElement(name);
    if (!element) return nullptr;
    for (const auto& [attribute, value] : attributes) {
        if (!SetAttribute(element.Get(), attribute, value)) return nullptr;
    }
    return element;
}

std::wstring IconOrDefault(const std::wstring& iconPath)
{
    return iconPath.empty() || !FileExists(iconPath) ? CToolbarOperations::DefaultToolbarIcon() : iconPath;
}

XmlElement FindTabById(const XmlDocument& document, int tabId)
{
    for (XmlElement& tab : TabElements(document)) {
        if (ParseInt(AttributeText(tab.Get(), L"TabID")) == tabId) return std::move(tab);
    }
    return nullptr;
}

void RaiseTabsChanged() { RaiseChange(SharedState().TabsChanged); }

// The toolbar at `tabIndex`, never the pseudo-toolbar, which must stay last.
bool RemoveTab(XmlDocument& document, int tabIndex)
{
    XmlElement tab = FindTabById(document, tabIndex + 1);
    XmlElement root = document.Root();
    if (!tab || IsPseudoToolbar(tab.Get()) || !RemoveChild(root.Get(), tab.Get())) return false;
    RenumberDocument(document);
    return true;
}

} // namespace

std::wstring CToolbarOperations::DefaultToolbarIcon() { return ImageFolder() + L"DefToolbar.ico"; }

bool CToolbarOperations::AddToolbarFromMenu(const std::wstring& name, const std::wstring& iconPath) const
{
    const std::wstring icon = IconOrDefault(iconPath);
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        std::vector<XmlElement> tabs = TabElements(document);
        if (tabs.empty() || !IsPseudoToolbar(tabs.back().Get())) return false;
        const int lastTabId = tabs.size() >= 2 ? ParseInt(AttributeText(tabs[tabs.size() - 2].Get(), L"TabID")) : 0;

        XmlElement tab = NewElement(document, L"Tab",
                                    {{L"Name", name},
                                     {L"img", icon},
                                     {L"TabID", Format(L"%d", lastTabId + 1)},
                                     {L"IsActiveTab", L"0"},
                                     {L"Privacy", L"0"},
                                     {L"IsDefault", L"0"},
                                     {L"IsImported", L"0"},
                                     {L"IsAdded", L"0"},
                                     {L"IDGen", L"0"}});
        XmlElement button = NewElement(document, L"Buttons",
                                       {{L"ID", L"1"},
                                        {L"Privacy", L"0"},
                                        {L"IsImported", L"0"},
                                        {L"IsActiveTablet", L"0"},
                                        {L"Cols", L"2"},
                                        {L"PluginType", L"9"},
                                        {L"PluginId", L""},
                                        {L"PlugInPath", L""}});
        XmlElement description = NewElement(document, L"ButtDesc",
                                            {{L"name", name},
                                             {L"img", icon},
                                             {L"ToolTipText", name},
                                             {L"UrlString", EscapeAmpersands(kProductHomePage)},
                                             {L"newwindow", L"no"}});
        XmlElement root = document.Root();
        return tab && button && description && InsertBefore(root.Get(), tab.Get(), tabs.back().Get()) &&
               AppendChild(tab.Get(), button.Get()) && AppendChild(button.Get(), description.Get());
    });
    if (saved) RaiseTabsChanged();
    return saved;
}

bool CToolbarOperations::AddToolbarFromTabStrip(const std::wstring& name) const
{
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        std::vector<XmlElement> tabs = TabElements(document);
        if (tabs.empty() || !IsPseudoToolbar(tabs.back().Get())) return false;
        XmlElement tab = NewElement(document, L"Tab",
                                    {{L"Name", name},
                                     {L"TabID", L"0"},
                                     {L"IsActiveTab", L"0"},
                                     {L"Privacy", L"0"},
                                     {L"IsDefault", L"0"},
                                     {L"IsImported", L"0"},
                                     {L"IsAdded", L"0"},
                                     {L"IDGen", L"0"}});
        XmlElement root = document.Root();
        if (!tab || !InsertBefore(root.Get(), tab.Get(), tabs.back().Get())) return false;
        // The first toolbar keeps its own home button; the new one gets a copy.
        std::vector<XmlElement> firstChildren = ChildElements(tabs.front().Get());
        if (!firstChildren.empty() && tabs.size() >= 2) {
            XmlNode copy = CloneNode(firstChildren.front().Get());
            if (!copy || !AppendChild(tab.Get(), copy.Get())) return false;
        }
        RenumberDocument(document);
        return true;
    });
    if (saved) RaiseTabsChanged();
    return saved;
}

bool CToolbarOperations::RenameToolbar(int tabId, const std::wstring& name) const
{
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindTabById(document, tabId);
        return tab && SetAttribute(tab.Get(), L"Name", name);
    });
    if (saved) RaiseTabsChanged();
    return saved;
}

bool CToolbarOperations::ModifyToolbar(int tabId, const std::wstring& name, const std::wstring& iconPath) const
{
    const std::wstring icon = IconOrDefault(iconPath);
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindTabById(document, tabId);
        if (!tab || !SetAttribute(tab.Get(), L"Name", name) || !SetAttribute(tab.Get(), L"img", icon)) return false;
        std::vector<XmlElement> children = ChildElements(tab.Get());
        if (children.empty()) return true;
        std::vector<XmlElement> firstButton = ChildElements(children.front().Get());
        if (firstButton.empty()) return true;
        IXMLDOMElement* description = firstButton.front().Get();
        return SetAttribute(description, L"img", icon) && SetAttribute(description, L"ToolTipText", name) &&
               SetAttribute(description, L"name", name);
    });
    if (saved) RaiseTabsChanged();
    return saved;
}

bool CToolbarOperations::RemoveToolbar(int tabIndex) const
{
    const bool saved = EditToolbarDocument(LoginDocumentPath(),
                                           [&](XmlDocument& document) { return RemoveTab(document, tabIndex); });
    if (saved) RaiseTabsChanged();
    return saved;
}

bool CToolbarOperations::RemoveToolbarFromMenu(int tabIndex) const
{
    return RemoveToolbarFromMenu(tabIndex, std::wstring());
}

bool CToolbarOperations::RemoveToolbarFromMenu(int tabIndex, const std::wstring& name) const
{
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        if (!name.empty()) {
            const std::vector<XmlElement> tabs = TabElements(document);
            auto named = [&](size_t index) {
                return index < tabs.size() && !IsPseudoToolbar(tabs[index].Get()) &&
                       EqualsNoCase(AttributeText(tabs[index].Get(), L"Name"), name);
            };
            if (!named(static_cast<size_t>(tabIndex))) {
                tabIndex = -1;
                for (size_t index = 0; index < tabs.size() && tabIndex < 0; ++index) {
                    if (named(index)) tabIndex = static_cast<int>(index);
                }
                if (tabIndex < 0) return false;
            }
        }
        if (!RemoveTab(document, tabIndex)) return false;
        XmlElement root = document.Root();
        const std::wstring current = AttributeText(root.Get(), L"Default");
        if (!current.empty() && ParseInt(current) - 1 == tabIndex) SetAttribute(root.Get(), L"Default", L"1");
        return true;
    });
    if (!saved) return false;
    SharedInstanceState& state = SharedState();
    const LONG current = state.CurrentToolbar;
    if (current >= tabIndex && current > 0) ::InterlockedExchange(&state.CurrentToolbar, current - 1);
    RaiseTabsChanged();
    return true;
}

bool CToolbarOperations::SetAsDefault(int tabIndex) const { return SetDefaultToolbar(tabIndex + 1); }

std::wstring CToolbarOperations::RemoveTabQuestion(const std::wstring& name)
{
    return L"Are you sure you want to delete  " + name + L" Tab?";
}

std::wstring CToolbarOperations::RemoveToolbarQuestion(const std::wstring& name)
{
    return L"Are you sure you want to delete  " + name + L" Toolbar?";
}

std::wstring CToolbarOperations::RemoveButtonQuestion(const std::wstring& caption)
{
    return L"Are you sure you want to delete  " + caption + L" Button?";
}

bool CToolbarOperations::Confirm(HWND owner, const std::wstring& question)
{
    return Env().ShowMessageBox(owner, question, kCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
}

} // namespace marlin
