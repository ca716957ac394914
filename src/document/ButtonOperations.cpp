#include "ButtonOperations.h"

#include "DocumentStore.h"
#include "SharedInstanceState.h"
#include "config/ErrorLog.h"
#include "platform/Strings.h"

#include <optional>

namespace marlin {

namespace {

XmlElement FindToolbar(const XmlDocument& document, const ToolbarRef& toolbar)
{
    const std::wstring tabId = Format(L"%d", toolbar.tabId);
    for (XmlElement& tab : TabElements(document)) {
        if (EqualsNoCase(AttributeText(tab.Get(), L"Name"), toolbar.name) &&
            AttributeText(tab.Get(), L"TabID") == tabId) {
            return std::move(tab);
        }
    }
    return nullptr;
}

std::vector<XmlElement> ButtonsOf(IXMLDOMNode* tab)
{
    std::vector<XmlElement> buttons;
    for (XmlElement& child : ChildElements(tab)) {
        if (NodeName(child.Get()) == L"Buttons") buttons.push_back(std::move(child));
    }
    return buttons;
}

XmlElement FindButton(IXMLDOMNode* tab, int buttonId)
{
    for (XmlElement& button : ButtonsOf(tab)) {
        if (ParseInt(AttributeText(button.Get(), L"ID")) == buttonId) return std::move(button);
    }
    return nullptr;
}

XmlElement DescriptionOf(IXMLDOMNode* buttons) { return FirstChildNamed(buttons, L"ButtDesc"); }

bool Matches(IXMLDOMNode* buttons, const ButtonIdentity& identity)
{
    XmlElement description = DescriptionOf(buttons);
    if (!description) return false;
    const EntryRecord record = ReadEntry(description.Get(), EntryKind::Button, std::wstring());
    return record.caption == identity.caption && record.url == identity.url;
}

bool SetAll(IXMLDOMNode* element, std::initializer_list<std::pair<const wchar_t*, std::wstring>> attributes)
{
    for (const auto& [name, value] : attributes) {
        if (!SetAttribute(element, name, value)) return false;
    }
    return true;
}

// The toolbar the tab strip shows as number `number` (1-based), or nothing.
XmlElement FindNumberedToolbar(const XmlDocument& document, int number, const std::vector<std::wstring>& tabNames)
{
    if (number < 1 || number > static_cast<int>(tabNames.size())) return nullptr;
    return FindToolbar(document, ToolbarRef{tabNames[static_cast<size_t>(number) - 1], number});
}

bool InRange(int number, const std::vector<std::wstring>& tabNames)
{
    if (number >= 1 && number <= static_cast<int>(tabNames.size())) return true;
    LogError(kRiskLow, ErrorMessages::kInsertButtonOutOfBound);
    return false;
}

bool WritePluginEntries(XmlDocument& document, IXMLDOMNode* description, const std::vector<PluginEntry>& entries)
{
    for (const PluginEntry& entry : entries) {
        XmlElement item = document.CreateElement(L"Item");
        if (!item || !SetAll(item.Get(), {{L"caption", entry.caption},
                                          {L"img", entry.iconPath},
                                          {L"ToolTipText", entry.toolTip},
                                          {L"KeyWordSearchURL", EscapeAmpersands(entry.keywordSearchUrl)}}) ||
            !AppendChild(description, item.Get())) {
            return false;
        }
        for (const PluginSubEntry& sub : entry.subEntries) {
            XmlElement subItem = document.CreateElement(L"SubItem");
            const wchar_t* newWindow = sub.popup ? L"popup" : (sub.newWindow ? L"yes" : L"no");
            if (!subItem || !SetAll(subItem.Get(), {{L"caption", sub.caption},
                                                    {L"img", sub.iconPath},
                                                    {L"ToolTipText", sub.toolTip},
                                                    {L"UrlString", EscapeAmpersands(sub.url)},
                                                    {L"newwindow", newWindow},
                                                    {L"sliderWindow", sub.sliderWindow ? L"yes" : L"no"},
                                                    {L"Enable", sub.enabled ? L"yes" : L"no"},
                                                    {L"cid", sub.cid},
                                                    {L"catId", sub.catId}}) ||
                !AppendChild(item.Get(), subItem.Get())) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

bool CButtonOperations::IsProtected(IXMLDOMNode* buttons)
{
    const std::wstring type = AttributeText(buttons, L"PluginType");
    return type == L"1" || type == L"9";
}

bool CButtonOperations::AddButton(const ToolbarRef& toolbar, int position, const NewButton& button) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        if (!tab) return false;
        XmlElement reference = FindButton(tab.Get(), position);
        XmlElement buttons = document.CreateElement(L"Buttons");
        XmlElement description = document.CreateElement(L"ButtDesc");
        return buttons && description &&
               SetAll(buttons.Get(), {{L"ID", L"111"},
                                      {L"Privacy", L"0"},
                                      {L"IsImported", L"0"},
                                      {L"IsActiveTablet", L"0"},
                                      {L"Cols", L"2"},
                                      {L"PluginType", Format(L"%d", button.pluginType)},
                                      {L"PluginId", L""},
                                      {L"PlugInPath", L""}}) &&
               InsertBefore(tab.Get(), buttons.Get(), reference.Get()) &&
               AppendChild(buttons.Get(), description.Get()) &&
               SetAll(description.Get(), {{L"name", button.caption},
                                          {L"img", button.iconPath},
                                          {L"ToolTipText", button.toolTip},
                                          {L"UrlString", EscapeAmpersands(button.url)},
                                          {L"newwindow", L"no"}}) &&
               (RenumberDocument(document), true);
    });
}

bool CButtonOperations::InsertButtonIntoToolbar(int number, IXMLDOMNode* buttons,
                                                const std::vector<std::wstring>& tabNames) const
{
    if (!buttons || !InRange(number, tabNames)) return false;
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindNumberedToolbar(document, number, tabNames);
        XmlNode copy = CloneNode(buttons);
        if (!tab || !copy || !AppendChild(tab.Get(), copy.Get())) return false;
        RenumberDocument(document);
        return true;
    });
}

bool CButtonOperations::MoveButtonToToolbar(const ToolbarRef& source, int buttonId, int targetNumber,
                                            const std::vector<std::wstring>& tabNames) const
{
    if (!InRange(targetNumber, tabNames)) return false;
    // One edit: the button leaves its toolbar and arrives in the other in the
    // same save, so no failure in between can lose it.
    const bool saved = EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement from = FindToolbar(document, source);
        XmlElement to = FindNumberedToolbar(document, targetNumber, tabNames);
        XmlElement button = from ? FindButton(from.Get(), buttonId) : nullptr;
        if (!to || !button || IsProtected(button.Get()) || !RemoveChild(from.Get(), button.Get()) ||
            !AppendChild(to.Get(), button.Get())) {
            return false;
        }
        RenumberDocument(document);
        return true;
    });
    if (saved) RaiseChange(SharedState().MoveToChanged);
    return saved;
}

bool CButtonOperations::MoveButtonWithinToolbar(const ToolbarRef& toolbar, int buttonId, int targetPosition) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        XmlElement button = tab ? FindButton(tab.Get(), buttonId) : nullptr;
        if (!button) return false;
        XmlElement target = FindButton(tab.Get(), targetPosition);
        if (target && target.Get() == button.Get()) return false;
        if (!InsertBefore(tab.Get(), button.Get(), target.Get())) return false;
        RenumberDocument(document);
        return true;
    });
}

bool CButtonOperations::DeleteButton(const ToolbarRef& toolbar, const ButtonIdentity& identity) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        if (!tab) return false;
        const std::vector<XmlElement> buttons = ButtonsOf(tab.Get());
        std::optional<size_t> target;
        for (size_t index = 0; index < buttons.size(); ++index) {
            IXMLDOMNode* button = buttons[index].Get();
            if (IsProtected(button) || !Matches(button, identity)) continue;
            if (ParseInt(AttributeText(button, L"ID")) == identity.id) {
                target = index;
                break;
            }
            if (!target) target = index;
        }
        if (!target || !RemoveChild(tab.Get(), buttons[*target].Get())) return false;
        RenumberDocument(document);
        return true;
    });
}

bool CButtonOperations::DeleteButton(const ToolbarRef& toolbar, int buttonId) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        if (!tab) return false;
        for (const XmlElement& button : ButtonsOf(tab.Get())) {
            if (IsProtected(button.Get())) continue;
            if (ParseInt(AttributeText(button.Get(), L"ID")) != buttonId) continue;
            if (!RemoveChild(tab.Get(), button.Get())) return false;
            RenumberDocument(document);
            return true;
        }
        return false;
    });
}

bool CButtonOperations::SetButtonProperties(const ToolbarRef& toolbar, int buttonId, const std::wstring& caption,
                                            const std::wstring& url, const std::wstring& toolTip) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        XmlElement button = tab ? FindButton(tab.Get(), buttonId) : nullptr;
        XmlElement description = button ? DescriptionOf(button.Get()) : nullptr;
        return description && SetAll(description.Get(), {{L"name", caption},
                                                          {L"UrlString", EscapeAmpersands(url)},
                                                          {L"ToolTipText", toolTip}});
    });
}

bool CButtonOperations::ChangeButtonIcon(const ToolbarRef& toolbar, int buttonId, const std::wstring& iconPath) const
{
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        XmlElement button = tab ? FindButton(tab.Get(), buttonId) : nullptr;
        XmlElement description = button ? DescriptionOf(button.Get()) : nullptr;
        return description && SetAttribute(description.Get(), L"img", iconPath);
    });
}

bool CButtonOperations::SetPluginData(const ToolbarRef& toolbar, const std::wstring& pluginId,
                                      const std::vector<PluginEntry>& entries) const
{
    // An empty identifier would match every ordinary button.
    if (pluginId.empty()) return false;
    return EditToolbarDocument(LoginDocumentPath(), [&](XmlDocument& document) {
        XmlElement tab = FindToolbar(document, toolbar);
        if (!tab) return false;
        bool changed = false;
        for (const XmlElement& button : ButtonsOf(tab.Get())) {
            if (AttributeText(button.Get(), L"PluginId") != pluginId) continue;
            XmlElement description = DescriptionOf(button.Get());
            if (!description || !RemoveAllChildren(description.Get())) {
                LogError(kRiskLow, ErrorMessages::kDeletePluginDataFailed);
                return false;
            }
            if (!WritePluginEntries(document, description.Get(), entries)) {
                LogError(kRiskLow, ErrorMessages::kAddPluginDataFailed);
                return false;
            }
            changed = true;
        }
        return changed;
    });
}

} // namespace marlin
