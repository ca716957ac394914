#pragma once
// ApplicationSettings.xml: the pop-up blocker switch, visited-URL logging,
// plug-in auto-update and the skin number, read into process-wide values.
#include <atomic>
#include <functional>
#include <string>

extern std::atomic<int> g_LogURL;
extern std::atomic<int> g_AutoUpdate;
extern std::atomic<int> g_Skin;
extern std::atomic<int> g_PopupMgr;

namespace marlin {

// Reads the document into the process-wide values (resolving the folders
// first); answers 1 when it was read and the skins loaded, else 0.
int InitializeApplicationSettings();

// Writes the four process-wide values back into the document; false when it
// was not written (no document, or its lock held elsewhere: logged).
bool SaveApplicationSettings();

// The states of the settings page's controls.
struct SettingsPageValues {
    int popupBlocker = 0;    // check box 719
    int logUrl = 0;          // check box 723
    int autoUpdate = 0;      // check box 724
    int skin = 0;            // the number of the skin chosen in combo box 722
};
// Writes the page's values into the document and, once written, into the
// process-wide values. When the document does not load or cannot be written,
// tells the user and changes nothing. False when nothing was written.
bool SaveSettingsPage(const SettingsPageValues& values);

// The skins are loaded by LoadSkin (Skins.h) unless a test installs another
// loader (nullptr: LoadSkin again).
using SkinLoader = std::function<int()>;
void SetSkinLoader(SkinLoader loader);

std::wstring ApplicationSettingsPath();

} // namespace marlin
