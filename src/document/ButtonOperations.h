#pragma once
// Buttons (Buttons elements with their ButtDesc) of the login document: add,
// insert, move, delete, properties, icon, and plug-in menu entries. Every
// operation is one load-change-save of the document under its lock.
#include "platform/XmlDom.h"

#include <string>
#include <vector>

namespace marlin {

// A toolbar as the button operations address it: its name (any letter case)
// and its TabID.
struct ToolbarRef {
    std::wstring name;
    int tabId = 0;
};

// A button as the user saw it when asked to confirm: its ID, caption and address.
struct ButtonIdentity {
    int id = 0;
    std::wstring caption;
    std::wstring url;
};

struct NewButton {
    std::wstring caption;
    std::wstring iconPath;
    std::wstring toolTip;
    std::wstring url;
    int pluginType = 0;
};

// Menu entries a plug-in delivers for its buttons.
struct PluginSubEntry {
    std::wstring caption;
    std::wstring iconPath;
    std::wstring toolTip;
    std::wstring url;
    bool popup = false;
    bool newWindow = false;
    bool sliderWindow = false;
    bool enabled = true;
    std::wstring cid;
    std::wstring catId;
};
struct PluginEntry {
    std::wstring caption;
    std::wstring iconPath;
    std::wstring toolTip;
    std::wstring keywordSearchUrl;
    std::vector<PluginSubEntry> subEntries;
};

class CButtonOperations {
public:
    // Inserts before the button numbered `position`, or appends when there is none.
    bool AddButton(const ToolbarRef& toolbar, int position, const NewButton& button) const;
    // Appends a copy of `buttons` to toolbar `number` (1-based), which the tab
    // strip shows under tabNames[number - 1]. Out of range: logged, nothing written.
    bool InsertButtonIntoToolbar(int number, IXMLDOMNode* buttons, const std::vector<std::wstring>& tabNames) const;
    // Moves an ordinary button to toolbar `targetNumber`; built-in and plug-in
    // buttons stay where they are. Raises MoveToChanged.
    bool MoveButtonToToolbar(const ToolbarRef& source, int buttonId, int targetNumber,
                             const std::vector<std::wstring>& tabNames) const;
    // Moves the button before the one numbered `targetPosition`, or to the end.
    bool MoveButtonWithinToolbar(const ToolbarRef& toolbar, int buttonId, int targetPosition) const;
    // Removes the button unless it is a built-in or plug-in button.
    bool DeleteButton(const ToolbarRef& toolbar, int buttonId) const;
    // Deletes the button the user confirmed: the one with the identity's ID
    // when it still has that caption and address, otherwise the first one that
    // has them. Nothing changes when none has.
    bool DeleteButton(const ToolbarRef& toolbar, const ButtonIdentity& button) const;
    bool SetButtonProperties(const ToolbarRef& toolbar, int buttonId, const std::wstring& caption,
                             const std::wstring& url, const std::wstring& toolTip) const;
    bool ChangeButtonIcon(const ToolbarRef& toolbar, int buttonId, const std::wstring& iconPath) const;
    // Replaces the menu entries of every button of the toolbar driven by `pluginId`.
    bool SetPluginData(const ToolbarRef& toolbar, const std::wstring& pluginId,
                       const std::vector<PluginEntry>& entries) const;

    static bool IsProtected(IXMLDOMNode* buttons);
};

} // namespace marlin
