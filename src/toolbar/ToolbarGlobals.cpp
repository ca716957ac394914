#include "ToolbarGlobals.h"

thread_local int g_TabStripMode = 2;
