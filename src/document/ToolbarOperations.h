#pragma once
// Whole toolbars (the Tab elements of the login document): add, rename,
// modify, remove, set as default. Every operation loads the login document,
// changes it, saves it and raises TabsChanged where the other windows must
// rebuild; refreshing this window is the caller's business.
#include <string>

#include "platform/Win32.h"

namespace marlin {

class CToolbarOperations {
public:
    // From the home menu's pseudo entry: a new toolbar with its own first
    // button, numbered after the last real toolbar (no renumbering).
    bool AddToolbarFromMenu(const std::wstring& name, const std::wstring& iconPath) const;
    // From the pseudo-tab: a new toolbar with a copy of the first toolbar's first button.
    bool AddToolbarFromTabStrip(const std::wstring& name) const;
    bool RenameToolbar(int tabId, const std::wstring& name) const;
    bool ModifyToolbar(int tabId, const std::wstring& name, const std::wstring& iconPath) const;
    // Removes the toolbar at 0-based `tabIndex` (tab strip).
    bool RemoveToolbar(int tabIndex) const;
    // The home menu's variant: also moves the default to the first toolbar when
    // the default was removed, and keeps CurrentToolbar on the same toolbar.
    bool RemoveToolbarFromMenu(int tabIndex) const;
    // The same for the toolbar named `name`, the one at `tabIndex` when it
    // still has that name. A confirmation may have let other windows change
    // the document meanwhile: when no toolbar has the name, nothing changes.
    bool RemoveToolbarFromMenu(int tabIndex, const std::wstring& name) const;
    bool SetAsDefault(int tabIndex) const;

    // The confirmations the callers ask before removing.
    static std::wstring RemoveTabQuestion(const std::wstring& name);
    static std::wstring RemoveToolbarQuestion(const std::wstring& name);
    static std::wstring RemoveButtonQuestion(const std::wstring& caption);
    // Yes/No with No as default; true only for Yes.
    static bool Confirm(HWND owner, const std::wstring& question);

    // The icon a toolbar gets when none (or a missing file) is given.
    static std::wstring DefaultToolbarIcon();
};

} // namespace marlin
