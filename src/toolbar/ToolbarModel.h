#pragma once
// The button model of the active toolbar: one record per button, built from
// the toolbar document, ending with the chevron. The toolbar window shows it;
// commands, menus and drops look buttons up in it.
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
};

struct ToolbarButton {
    int commandId = 0;     // the value of the Buttons element's first attribute
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

    bool IsChevron() const noexcept { return commandId == kChevronCommand; }
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
