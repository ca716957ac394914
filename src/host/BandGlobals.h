#pragma once
// Process-wide values of the band: the thread mouse hook it installs and the
// toolbar window most recently created in the process. The loader entry clears
// both when the module is unloaded.
#include "platform/Win32.h"

class CMarlinToolbarCtrl;

extern HHOOK g_hMouseHook;
extern CMarlinToolbarCtrl* g_pToolbarCtrl;
