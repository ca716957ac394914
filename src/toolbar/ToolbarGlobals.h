#pragma once
// Process-wide values of the band and its toolbar: the thread mouse hook the
// band installs, the rebar it was recorded for, and the toolbar window most
// recently created (or selected) in the process. The loader entry clears the
// hook and the toolbar when the module is unloaded.
#include "platform/Win32.h"

class CMarlinToolbarCtrl;

extern HHOOK g_hMouseHook;
extern HWND g_hWndRebar;
extern CMarlinToolbarCtrl* g_pToolbarCtrl;

// How the tab strip is shown; the band's minimum height depends on it.
extern int g_TabStripMode;
