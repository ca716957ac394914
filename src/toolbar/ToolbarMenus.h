#pragma once
// The toolbar's menus: a button's drop-down menu (its document entries, and
// for the home button the fixed entries), the chevron's overflow menu and a
// button's context menu. A builder makes one menu and the table of the
// commands its entries stand for; the toolbar window tracks the menu and
// looks the chosen identifier up in that table.
#include "MenuIcons.h"
#include "ToolbarModel.h"

#include "platform/UniqueHandle.h"

#include <string>
#include <vector>

namespace marlin {

inline constexpr wchar_t kTurnBlockerOn[] = L"Turn Pop-up Blocker (ON)";
inline constexpr wchar_t kTurnBlockerOff[] = L"Turn Pop-up Blocker (OFF)";
inline constexpr wchar_t kBlockerSettings[] = L"Pop-up Blocker Settings";
inline constexpr wchar_t kAllowPopupsFromSite[] = L"Allow pop-ups from this site";
inline constexpr wchar_t kPluginManager[] = L"Plug-in Manager";
inline constexpr wchar_t kAddToolbarEntry[] = L"Add Toolbar";
inline constexpr wchar_t kPluginSettingsEntry[] = L"Settings";

// What a chosen entry does.
enum class MenuAction {
    Entry,             // a document entry or a fixed home entry: see MenuCommand::entry
    AddToolbar,        // the home menu's pseudo entry
    ShowToolbar,
    ModifyToolbar,
    RemoveToolbar,
    SetDefaultToolbar,
    BlockerOn,
    BlockerOff,
    AllowSite,         // the site in MenuCommand::entry.url
    DeleteButton,
    ButtonProperties,
    ChangeButtonIcon,
    MoveButton,        // to MenuCommand::toolbarIndex
    PluginSettings,    // a plug-in button's "Settings": its plug-in's FetchData
};

struct MenuCommand {
    UINT id = 0;
    MenuAction action = MenuAction::Entry;
    size_t buttonIndex = 0; // the model record the entry belongs to
    int toolbarIndex = -1;
    EntryRecord entry;      // a copy: the model may be rebuilt before the command runs
};

// The most commands one menu holds; a hostile document's further entries are left out.
inline constexpr size_t kMaxMenuCommands = 4096;

struct MenuContext {
    const std::vector<ToolbarButton>* model = nullptr;
    std::vector<std::wstring> toolbarNames; // the real toolbars, in document order
    int currentToolbar = 0;
    bool signedIn = false;
    bool popupBlockerOn = false;
    std::wstring siteToAllow; // the shown page's site, empty when it cannot be allowed
    std::wstring imageFolder; // ends with "\"
    UINT firstEntryId = 555;  // where the entry counter starts
};

// A menu caption as shown: longer than 15 characters cut to 14 and "..."
// (the blocker's and plug-in manager's own captions excepted), "&" shown literally.
std::wstring MenuCaption(const std::wstring& caption);

// Appends the per-toolbar sub-menus (signed in only) and the fixed entries to
// the home button's entries.
void AddFixedMenuesinHomeButton(ToolbarButton& home, const std::vector<std::wstring>& toolbarNames, bool signedIn,
                                const std::wstring& imageFolder);

// A plug-in button's menu ends with one "Settings" entry, whether its data
// holds one (its own is moved last) or not (one with "pluginsettings.ico").
void PutPluginSettingsLast(ToolbarButton& button, const std::wstring& imageFolder);

class CToolbarMenuBuilder {
public:
    CToolbarMenuBuilder(CToolbarMenuHelp& helper, MenuContext context);

    unique_hmenu DropDownMenu(size_t buttonIndex);
    // Each hidden record becomes a sub-menu with its actions and entries.
    unique_hmenu OverflowMenu(const std::vector<size_t>& hiddenIndexes);
    // Delete, Properties, Change Icon and Move To, with their fixed identifiers.
    unique_hmenu ContextMenu(size_t buttonIndex);

    const std::vector<MenuCommand>& Commands() const noexcept { return m_commands; }
    // Entries left out because the menu was full or no identifier was left.
    size_t Dropped() const noexcept { return m_dropped; }

private:
    // The next free entry identifier, or 0 when none is left below 65000.
    UINT NextId();
    bool IsReserved(UINT id) const;
    // Whether another command fits; counts the ones that do not.
    bool HasRoom();
    void Add(HMENU menu, const MenuCommand& command, const std::wstring& caption, const std::wstring& iconPath,
             bool enabled = true);
    void AddEntries(HMENU menu, size_t buttonIndex, const std::vector<MenuEntry>& entries);
    // The switch and "Allow pop-ups from this site".
    void AddBlockerSwitch(HMENU menu, size_t buttonIndex);
    HMENU MoveToMenu(size_t buttonIndex, bool fixedIds);
    bool ToolbarHasPluginButton() const;
    std::wstring Image(const wchar_t* name) const { return m_context.imageFolder + name; }

    CToolbarMenuHelp& m_helper;
    MenuContext m_context;
    UINT m_nextId;
    std::vector<UINT> m_buttonIds; // sorted
    std::vector<MenuCommand> m_commands;
    size_t m_dropped = 0;
};

} // namespace marlin
