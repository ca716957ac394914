#include "ToolbarGlobals.h"

HHOOK g_hMouseHook = nullptr;
HWND g_hWndRebar = nullptr;
CMarlinToolbarCtrl* g_pToolbarCtrl = nullptr;
int g_TabStripMode = 2;
