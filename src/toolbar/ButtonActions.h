#pragma once
// The button context actions ("Delete", "Properties", "Change Icon") and the
// home menu's toolbar dialogs ("Add Toolbar", "Modify"). Each asks the user,
// edits the login document and rebuilds the row; a button or toolbar that
// changed while the user was asked is left alone.
#include "ToolbarCommands.h"

#include <string>

namespace marlin {

inline constexpr wchar_t kActionDelete[] = L"Delete";
inline constexpr wchar_t kActionProperties[] = L"Properties";
inline constexpr wchar_t kActionChangeIcon[] = L"Change Icon";

// Runs `action` on the row's button at `buttonIndex`; 1 when the document changed.
int ButtonContextAction(IToolbarCommandHost& host, const std::wstring& action, size_t buttonIndex);

// "Add Toolbar" of the home menu: the dialog's add mode, then a new toolbar.
bool AddToolbarThroughDialog(IToolbarCommandHost& host);
// "Modify" of a toolbar in the home menu: the dialog's modify mode on its name and icon.
bool ModifyToolbarThroughDialog(IToolbarCommandHost& host, int toolbarIndex);

} // namespace marlin
