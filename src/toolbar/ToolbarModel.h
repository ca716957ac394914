#pragma once
// The button model of the active toolbar: one record per button, built from
// the toolbar document, ending with the chevron. The toolbar window shows it;
// commands, menus and drops look buttons up in it.
#include "IconCache.h"

#include "document/ToolbarDocument.h"

#include <string>
#include <vector>

namespace marlin {

// Command identifiers with a fixed meaning in the button toolbar.
inline constexpr int kSeparatorAfterHome = 112;
inline constexpr int kSearchPlaceholder = 113;
inline constexpr int kSeparatorAfterSearch = 114;
inline constexpr int kChevronCommand = 65000;
inline constexpr int kSearchPlaceholderWidth = 125;

// Identifiers with a fixed meaning in the menus.
inline constexpr UINT kContextDelete = 32795;
inline constexpr UINT kContextProperties = 32796;
inline constexpr UINT kContextChangeIcon = 32797;
inline constexpr UINT kContextMoveTo = 65001;
inline constexpr UINT kMoveToBase = 9000;   // "Move To" entries are 9001 + the toolbar's index
inline constexpr UINT kMoveToLast = kMoveToBase + 1000;
inline constexpr UINT kMenuAboutDeveloper = 65003;
inline constexpr UINT kMenuSettings = 65004;
inline constexpr UINT kMenuUninstall = 65005;
inline constexpr UINT kMenuHelp = 65006;
inline constexpr UINT kMenuAbout = 65007;
inline constexpr UINT kSignInCommand = 20000;

// Whether `id` is one of the identifiers above, or outside what a command
// message carries (1 to 64999: 65000 on belong to the product).
bool IsReservedCommandId(long long id) noexcept;

// Buttons whose document identifier is reserved, or taken by an earlier
// button, get one from here on; the document keeps its own.
inline constexpr int kFirstSubstituteCommandId = 40000;

// What one row shows at most, against hostile documents (sub-entries per
// menu entry: kMaxSubEntries).
inline constexpr size_t kMaxRowButtons = 2000;

// Button styles: autosize, no prefix, show text, and the drop-down arrow.
inline constexpr BYTE kStyleWithArrow = 0x78;
inline constexpr BYTE kStylePlain = 0x70;

// A drop-down entry of a button: an Item with its SubItems, or one of the
// fixed entries the home button carries.
struct MenuEntry {
    EntryRecord entry;
    std::vector<MenuEntry> subEntries;
    int fixedId = 0;        // the entry's own command identifier; 0: assigned when shown
    int toolbarIndex = -1;  // the toolbar a home-menu management entry acts on
    bool separatorBefore = false;
    bool addsToolbar = false; // the home menu's pseudo entry
    bool pluginSettings = false; // a plug-in button's "Settings"
};

struct ToolbarButton {
    int commandId = 0;     // the value of the Buttons element's first attribute, unless reserved or taken
    int position = 0;      // its ID
    std::wstring caption;
    std::wstring toolTip;
    std::wstring iconPath;
    bool iconExists = false;
    std::wstring url;
    std::wstring command;
    std::wstring kind = L"0"; // PluginType
    std::wstring pluginId;
    std::wstring pluginPath;
    bool newWindow = false;
    bool popup = false;
    bool sliderWindow = false;
    bool enabled = true;
    std::vector<MenuEntry> menu;
    int imageIndex = -1;
    int imageList = 0;
    // The picture its plug-in gives it, shown instead of the icon file; it
    // may be wider than the row's icons.
    ButtonIconRef pluginImage;
    int pluginImageWidth = 0;

    bool IsChevron() const noexcept { return commandId == kChevronCommand; }
    bool IsPlugin() const noexcept { return kind == L"1"; }
};

struct ToolbarModelContext {
    std::wstring imageFolder; // the toolbar's Images folder, ending with "\"
    // The pop-up blocker counts as off on browsers that cannot block and in
    // protected mode; the caller decides.
    bool popupBlockerOn = false;
    SearchAddressTarget* search = nullptr;
};

// The records of the toolbar named `name` whose TabID is `number`, then the chevron.
std::vector<ToolbarButton> LoadToolbarButtons(const XmlDocument& document, const std::wstring& name,
                                              const std::wstring& number, const ToolbarModelContext& context);

// The style of a record's button: the first record, or one with menu entries,
// shows the drop-down arrow, except kinds "2" and "3", which never do.
BYTE ButtonStyle(const ToolbarButton& button, bool first);

// A tooltip as the toolbar shows it: "&" shown literally, at most 77
// characters and "..." when longer than 79.
std::wstring TooltipText(const std::wstring& text);

} // namespace marlin
