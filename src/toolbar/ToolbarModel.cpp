#include "ToolbarModel.h"

#include "config/ErrorLog.h"
#include "monitors/PopupBlocker.h"
#include "platform/Files.h"
#include "platform/Strings.h"

#include <atomic>
#include <set>

namespace marlin {

namespace {

constexpr wchar_t kRowCut[] = L"[CMarlinToolbarCtrl][LoadToolbarButtons][Toolbar too large: buttons or menu entries left out.]";

// Logged once per process: every rebuild of the same document would repeat it.
void LogRowCut()
{
    static std::atomic<bool> logged{false};
    if (!logged.exchange(true)) LogError(kRiskLow, kRowCut);
}

// Keeps the document's identifiers where they are free and valid, and gives
// the others substitutes, so no click reaches a fixed command or another button.
void AssignSafeCommandIds(std::vector<ToolbarButton>& model)
{
    std::set<int> taken;
    std::vector<ToolbarButton*> displaced;
    for (ToolbarButton& button : model) {
        if (!IsReservedCommandId(button.commandId) && taken.insert(button.commandId).second) continue;
        displaced.push_back(&button);
    }
    int next = kFirstSubstituteCommandId;
    for (ToolbarButton* button : displaced) {
        while (taken.count(next)) ++next;
        button->commandId = next;
        taken.insert(next++);
    }
}

ToolbarButton ReadButton(IXMLDOMNode* buttons, const ToolbarModelContext& context)
{
    ToolbarButton button;
    if (auto first = AttributeAt(buttons, 0)) button.commandId = ParseInt(first->second);
    button.position = ParseInt(AttributeText(buttons, L"ID"));
    if (auto kind = GetAttribute(buttons, L"PluginType")) button.kind = *kind;
    button.pluginId = AttributeText(buttons, L"PluginId");
    button.pluginPath = AttributeText(buttons, L"PlugInPath");

    XmlElement description = FirstChildNamed(buttons, L"ButtDesc");
    if (!description) return button;
    const EntryRecord record = ReadEntry(description.Get(), EntryKind::Button, context.imageFolder, context.search);
    button.caption = record.caption;
    button.toolTip = record.toolTip;
    button.iconPath = record.iconPath;
    button.iconExists = record.iconExists;
    button.url = record.url;
    button.command = record.command;
    button.newWindow = record.newWindow;
    button.popup = record.popup;
    button.sliderWindow = record.sliderWindow;
    button.enabled = record.enabled;
    for (const XmlElement& item : MenuItems(description.Get())) {
        MenuEntry entry{ReadEntry(item.Get(), EntryKind::Menu, context.imageFolder, context.search), {}};
        bool cut = false;
        for (const XmlElement& sub : SubMenuItems(item.Get(), &cut)) {
            entry.subEntries.push_back(
                MenuEntry{ReadEntry(sub.Get(), EntryKind::SubMenu, context.imageFolder, context.search), {}});
        }
        if (cut) LogRowCut();
        button.menu.push_back(std::move(entry));
    }

    if (EqualsNoCase(button.caption, kPopupBlockerName)) {
        button.iconPath = context.imageFolder + (context.popupBlockerOn ? L"PopupOn.ico" : L"PopupOff.ico");
        button.iconExists = FileExists(button.iconPath);
        button.caption += context.popupBlockerOn ? L" (ON)" : L" (OFF)";
    }
    return button;
}

} // namespace

std::vector<ToolbarButton> LoadToolbarButtons(const XmlDocument& document, const std::wstring& name,
                                              const std::wstring& number, const ToolbarModelContext& context)
{
    std::vector<ToolbarButton> model;
    for (const XmlElement& tab : TabElements(document)) {
        // Toolbar names are compared without regard to letter case.
        if (!EqualsNoCase(AttributeText(tab.Get(), L"Name"), name) || AttributeText(tab.Get(), L"TabID") != number) {
            continue;
        }
        for (const XmlElement& child : ChildElements(tab.Get())) {
            if (NodeName(child.Get()) != L"Buttons") continue;
            if (model.size() == kMaxRowButtons) {
                LogRowCut();
                break;
            }
            model.push_back(ReadButton(child.Get(), context));
        }
        break;
    }
    AssignSafeCommandIds(model);
    ToolbarButton chevron;
    chevron.commandId = kChevronCommand;
    chevron.caption = L" ";
    chevron.iconPath = context.imageFolder + L"Chevron_Arrow.ico";
    chevron.iconExists = FileExists(chevron.iconPath);
    model.push_back(std::move(chevron));
    return model;
}

bool IsReservedCommandId(long long id) noexcept
{
    if (id <= 0 || id >= kChevronCommand) return true;
    if (id >= kSeparatorAfterHome && id <= kSeparatorAfterSearch) return true;
    if (id > kMoveToBase && id <= kMoveToLast) return true;
    return id == kSignInCommand || (id >= kContextDelete && id <= kContextChangeIcon);
}

BYTE ButtonStyle(const ToolbarButton& button, bool first)
{
    if (button.kind == L"2" || button.kind == L"3") return kStylePlain;
    return first || !button.menu.empty() ? kStyleWithArrow : kStylePlain;
}

std::wstring TooltipText(const std::wstring& text)
{
    std::wstring shown = ReplaceAll(text, L"&", L"&&&");
    if (shown.size() > 79) shown = shown.substr(0, 77) + L"...";
    return shown;
}

} // namespace marlin
