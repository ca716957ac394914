#pragma once
// How the tab strip is shown; the band's minimum height depends on it. Kept
// per thread: the browser runs its tabs on several threads of one process,
// each with its own band and tab strip.
extern thread_local int g_TabStripMode;
