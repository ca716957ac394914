#include "ToolbarMenus.h"

#include "monitors/PopupBlocker.h"
#include "platform/Strings.h"

#include <algorithm>

namespace marlin {

namespace {

constexpr wchar_t kProductContactPage[] = L"http://www.marlintoolbar.example/contact.htm";

MenuEntry FixedEntry(const wchar_t* caption, const wchar_t* help, const std::wstring& icon, int id = 0,
                     const std::wstring& url = {})
{
    MenuEntry entry;
    entry.entry.caption = caption;
    entry.entry.toolTip = help;
    entry.entry.iconPath = icon;
    entry.entry.url = url;
    entry.fixedId = id;
    return entry;
}

bool IsBlockerButton(const ToolbarButton& button)
{
    return IsPopupBlockerCaption(button.caption);
}

} // namespace

std::wstring MenuCaption(const std::wstring& caption)
{
    static const wchar_t* const kNeverCut[] = {kPluginManager, L"Pop-up Blocker (OFF)", L"Pop-up Blocker (ON)",
                                               kBlockerSettings, kAllowPopupsFromSite};
    std::wstring shown = caption;
    // The blocker's switch entries carry these texts too: cut, they would no
    // longer say whether they turn the blocker on or off.
    const bool exempt = std::any_of(std::begin(kNeverCut), std::end(kNeverCut),
                                    [&](const wchar_t* text) { return caption.find(text) != std::wstring::npos; });
    if (shown.size() > 15 && !exempt) shown = shown.substr(0, 14) + L"...";
    // The owner-drawn text goes through DrawText, which reads "&&" as one "&".
    // A "%" needs no escaping there: doubling it would show both.
    return ReplaceAll(shown, L"&", L"&&");
}

void AddFixedMenuesinHomeButton(ToolbarButton& home, const std::vector<std::wstring>& toolbarNames, bool signedIn,
                                const std::wstring& imageFolder)
{
    if (signedIn) {
        for (size_t index = 0; index < toolbarNames.size(); ++index) {
            MenuEntry toolbar;
            toolbar.entry.caption = toolbarNames[index];
            toolbar.toolbarIndex = static_cast<int>(index);
            auto add = [&](MenuEntry entry) {
                entry.toolbarIndex = static_cast<int>(index);
                toolbar.subEntries.push_back(std::move(entry));
            };
            MenuEntry setDefault =
                FixedEntry(L"Set As Default", L"To set current selected Toolbar as default when new instance of IE is opened",
                           imageFolder + L"DefToolbar.ico");
            setDefault.separatorBefore = true;
            add(std::move(setDefault));
            if (index > 0) {
                add(FixedEntry(L"Modify", L"For modify the current selected Toolbar Name", imageFolder + L"rename.ico"));
                add(FixedEntry(L"Remove", L"Delete current selected Toolbar", imageFolder + L"remove.ico"));
            }
            add(FixedEntry(L"Show", L"Show current selected Toolbar As Active Toolbar", imageFolder + L"show.ico"));
            home.menu.push_back(std::move(toolbar));
        }
        // The pseudo-toolbar's entry: a new toolbar through the dialog.
        MenuEntry addToolbar = FixedEntry(kAddToolbarEntry, L"Add a new Toolbar", imageFolder + L"addToolbar.ico");
        addToolbar.addsToolbar = true;
        home.menu.push_back(std::move(addToolbar));
        home.menu.push_back(FixedEntry(L"Settings", L"Marlin Toolbar Application Settings",
                                       imageFolder + L"applicationSettings.ico", kMenuSettings));
    }
    home.menu.push_back(FixedEntry(L"Uninstall", L"Uninstall Marlin Toolbar From System", imageFolder + L"uninstall.ico",
                                   kMenuUninstall));
    home.menu.push_back(FixedEntry(L"Help", L"Online Help About Marlin Toolbar", imageFolder + L"help.ico", kMenuHelp,
                                   kProductHomePage));
    home.menu.push_back(FixedEntry(L"About", L"About Marlin Toolbar", imageFolder + L"AboutMT.ico", kMenuAbout,
                                   kProductContactPage));
    home.menu.push_back(FixedEntry(L"About Developer", L"About Marlin Toolbar Developer",
                                   imageFolder + L"aboutDeveloper.ico", kMenuAboutDeveloper));
}

void PutPluginSettingsLast(ToolbarButton& button, const std::wstring& imageFolder)
{
    if (!button.IsPlugin()) return;
    MenuEntry settings = FixedEntry(kPluginSettingsEntry, kPluginSettingsEntry, imageFolder + L"pluginsettings.ico");
    bool found = false;
    std::erase_if(button.menu, [&](const MenuEntry& entry) {
        if (entry.entry.caption != kPluginSettingsEntry || !entry.subEntries.empty()) return false;
        if (!found) settings.entry = entry.entry;
        found = true;
        return true;
    });
    settings.pluginSettings = true;
    button.menu.push_back(std::move(settings));
}

CToolbarMenuBuilder::CToolbarMenuBuilder(CToolbarMenuHelp& helper, MenuContext context)
    : m_helper(helper), m_context(std::move(context)), m_nextId(m_context.firstEntryId)
{
    m_helper.Reset();
    for (const ToolbarButton& button : *m_context.model) m_buttonIds.push_back(static_cast<UINT>(button.commandId));
    std::sort(m_buttonIds.begin(), m_buttonIds.end());
}

bool CToolbarMenuBuilder::IsReserved(UINT id) const
{
    return IsReservedCommandId(id) || std::binary_search(m_buttonIds.begin(), m_buttonIds.end(), id);
}

UINT CToolbarMenuBuilder::NextId()
{
    while (m_nextId < static_cast<UINT>(kChevronCommand) && IsReserved(m_nextId)) ++m_nextId;
    if (m_nextId >= static_cast<UINT>(kChevronCommand)) return 0;
    return m_nextId++;
}

bool CToolbarMenuBuilder::HasRoom()
{
    if (m_commands.size() < kMaxMenuCommands) return true;
    ++m_dropped;
    return false;
}

void CToolbarMenuBuilder::Add(HMENU menu, const MenuCommand& command, const std::wstring& caption,
                              const std::wstring& iconPath, bool enabled)
{
    if (command.id == 0) {
        ++m_dropped;
        return;
    }
    m_helper.AddMenuItemWithIcon(menu, command.id, MenuCaption(caption), iconPath, enabled ? 0 : MF_GRAYED);
    m_commands.push_back(command);
}

bool CToolbarMenuBuilder::ToolbarHasPluginButton() const
{
    return std::any_of(m_context.model->begin(), m_context.model->end(),
                       [](const ToolbarButton& button) { return button.kind.find(L'1') != std::wstring::npos; });
}

void CToolbarMenuBuilder::AddEntries(HMENU menu, size_t buttonIndex, const std::vector<MenuEntry>& entries)
{
    const bool pluginButtons = ToolbarHasPluginButton();
    for (const MenuEntry& item : entries) {
        if (item.entry.caption == kPluginManager && !pluginButtons) continue;
        if (item.separatorBefore && ::GetMenuItemCount(menu) > 0) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        if (!item.subEntries.empty()) {
            HMENU sub = ::CreatePopupMenu();
            if (!sub) continue;
            AddEntries(sub, buttonIndex, item.subEntries);
            m_helper.AddMenuItemWithIcon(menu, 0, MenuCaption(item.entry.caption), item.entry.iconPath,
                                         item.entry.enabled ? 0 : MF_GRAYED, sub);
            continue;
        }
        if (!HasRoom()) continue;
        MenuCommand command;
        command.id = item.fixedId ? static_cast<UINT>(item.fixedId) : NextId();
        command.buttonIndex = buttonIndex;
        command.toolbarIndex = item.toolbarIndex;
        command.entry = item.entry;
        if (item.addsToolbar) command.action = MenuAction::AddToolbar;
        if (item.pluginSettings) command.action = MenuAction::PluginSettings;
        if (item.toolbarIndex >= 0) {
            const std::wstring& caption = item.entry.caption;
            command.action = caption == L"Show"     ? MenuAction::ShowToolbar
                             : caption == L"Modify" ? MenuAction::ModifyToolbar
                             : caption == L"Remove" ? MenuAction::RemoveToolbar
                                                    : MenuAction::SetDefaultToolbar;
        }
        Add(menu, command, item.entry.caption, item.entry.iconPath, item.entry.enabled);
    }
}

void CToolbarMenuBuilder::AddBlockerSwitch(HMENU menu, size_t buttonIndex)
{
    const ToolbarButton& button = (*m_context.model)[buttonIndex];
    const bool on = m_context.popupBlockerOn || button.caption.find(L"Blocked") != std::wstring::npos;
    if (!HasRoom()) return;
    MenuCommand command;
    command.id = NextId();
    command.buttonIndex = buttonIndex;
    command.action = on ? MenuAction::BlockerOff : MenuAction::BlockerOn;
    Add(menu, command, on ? kTurnBlockerOff : kTurnBlockerOn, Image(on ? L"PopupOff.ico" : L"PopupOn.ico"));

    if (!HasRoom()) return;
    MenuCommand allow;
    allow.id = NextId();
    allow.buttonIndex = buttonIndex;
    allow.action = MenuAction::AllowSite;
    allow.entry.url = m_context.siteToAllow;
    Add(menu, allow, kAllowPopupsFromSite, Image(L"PopupAllow.ico"), !m_context.siteToAllow.empty());
}

unique_hmenu CToolbarMenuBuilder::DropDownMenu(size_t buttonIndex)
{
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu || buttonIndex >= m_context.model->size()) return menu;
    const ToolbarButton& button = (*m_context.model)[buttonIndex];
    if (IsBlockerButton(button)) AddBlockerSwitch(menu.get(), buttonIndex);
    AddEntries(menu.get(), buttonIndex, button.menu);
    return menu;
}

HMENU CToolbarMenuBuilder::MoveToMenu(size_t buttonIndex, bool fixedIds)
{
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    for (size_t index = 0; index < m_context.toolbarNames.size() && HasRoom(); ++index) {
        MenuCommand command;
        // Toolbar numbers count from 1: the first toolbar is 9001.
        command.id = fixedIds ? kMoveToBase + 1 + static_cast<UINT>(index) : NextId();
        command.action = MenuAction::MoveButton;
        command.buttonIndex = buttonIndex;
        command.toolbarIndex = static_cast<int>(index);
        Add(menu, command, m_context.toolbarNames[index], {},
            static_cast<int>(index) != m_context.currentToolbar);
    }
    return menu;
}

unique_hmenu CToolbarMenuBuilder::OverflowMenu(const std::vector<size_t>& hiddenIndexes)
{
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return menu;
    for (size_t index : hiddenIndexes) {
        if (index >= m_context.model->size()) continue;
        const ToolbarButton& button = (*m_context.model)[index];
        if (button.IsChevron()) continue;
        HMENU sub = ::CreatePopupMenu();
        if (!sub) continue;
        if (m_context.signedIn) {
            auto action = [&](MenuAction what, const wchar_t* caption, const wchar_t* icon) {
                if (!HasRoom()) return;
                MenuCommand command;
                command.id = NextId();
                command.action = what;
                command.buttonIndex = index;
                if (what == MenuAction::Entry) command.entry.url = button.url;
                Add(sub, command, caption, Image(icon));
            };
            action(MenuAction::DeleteButton, L"Delete", L"DeleteButton.ico");
            action(MenuAction::ButtonProperties, L"Properties", L"ButtonProperty.ico");
            action(MenuAction::Entry, L"Open", L"OpenWeb.ico");
            action(MenuAction::ChangeButtonIcon, L"Change Icon", L"ChangeIcon.ico");
            if (HMENU moveTo = MoveToMenu(index, false)) {
                m_helper.AddMenuItemWithIcon(sub, 0, L"Move To", Image(L"MoveTo.ico"), 0, moveTo);
            }
        }
        if (IsBlockerButton(button)) AddBlockerSwitch(sub, index);
        AddEntries(sub, index, button.menu);
        m_helper.AddMenuItemWithIcon(menu.get(), 0, MenuCaption(button.caption), button.iconPath, 0, sub);
    }
    return menu;
}

unique_hmenu CToolbarMenuBuilder::ContextMenu(size_t buttonIndex)
{
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return menu;
    auto action = [&](MenuAction what, UINT id, const wchar_t* caption, const wchar_t* icon) {
        MenuCommand command;
        command.id = id;
        command.action = what;
        command.buttonIndex = buttonIndex;
        Add(menu.get(), command, caption, Image(icon));
    };
    action(MenuAction::DeleteButton, kContextDelete, L"Delete", L"DeleteButton.ico");
    action(MenuAction::ButtonProperties, kContextProperties, L"Properties", L"ButtonProperty.ico");
    action(MenuAction::ChangeButtonIcon, kContextChangeIcon, L"Change Icon", L"ChangeIcon.ico");
    if (HMENU moveTo = MoveToMenu(buttonIndex, true)) {
        // The sub-menu's own item carries the "MoveTo" identifier.
        m_helper.AddMenuItemWithIcon(menu.get(), kContextMoveTo, L"Move To", Image(L"MoveTo.ico"), 0, moveTo);
    }
    return menu;
}

} // namespace marlin
