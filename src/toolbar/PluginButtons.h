#pragma once
// The toolbar's side of its plug-in buttons: its own copy of the plug-in
// catalogue, the pictures the SDK gives the buttons, and running a plug-in's
// FetchData with its answer stored in the signed-in document. Each SDK use is
// one bounded call with an SDK object of its own (PluginSdk.h), never on the
// window's thread.
#include "ToolbarModel.h"

#include "plugins/PluginCatalogue.h"
#include "plugins/PluginLibrary.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace marlin {

// How the toolbar stops and restarts the process's plug-in refresh; tests watch it.
struct PluginRefreshControl {
    void (*stop)() noexcept = nullptr;
    void (*start)() noexcept = nullptr;
};
// Installs `control` ({} : the process's refresh) and answers the one it replaced.
PluginRefreshControl SetPluginRefreshControl(PluginRefreshControl control) noexcept;

// Keeps the refresh stopped while the toolbar calls a plug-in library itself,
// and starts it again when it goes, whatever path the call took.
class PluginRefreshPause {
public:
    PluginRefreshPause() noexcept;
    ~PluginRefreshPause();
    PluginRefreshPause(const PluginRefreshPause&) = delete;
    PluginRefreshPause& operator=(const PluginRefreshPause&) = delete;
};

class CPluginButtons {
public:
    CPluginButtons() = default;
    CPluginButtons(const CPluginButtons&) = delete;
    CPluginButtons& operator=(const CPluginButtons&) = delete;

    // Gives each plug-in button of `model` the picture its plug-in gave it
    // (buttons without a catalogue entry or library keep their icon files).
    // True when a plug-in was never asked: AskPictures asks, once the row shows.
    bool ApplyPictures(std::vector<ToolbarButton>& model);
    // Asks the SDK, in one bounded call, for the pictures of `model`'s plug-ins
    // not asked yet; true when one arrived. A library asked is not asked again.
    bool AskPictures(const std::vector<ToolbarButton>& model, int toolbar);

    // The toolbar catalogue's record for a button's plug-in identifier (any letter case).
    std::optional<PluginRecord> RecordFor(const std::wstring& pluginId);
    // Calls the plug-in's FetchData with `rect` and the toolbar's index, stores
    // its answer for that toolbar, and raises the toolbars flag when the SDK says
    // the documents changed.
    FetchOutcome Run(const PluginRecord& plugin, const RECT& rect, int toolbar, PluginCaller caller);

    // The window is going: the pictures go with it.
    void Reset() noexcept;

private:
    struct Picture {
        ButtonIconRef icon; // null: the plug-in has none
        int width = 0;
    };
    const std::vector<PluginTextRecord>& Catalogue();
    const PluginTextRecord* FindRecord(const std::wstring& pluginId);
    // The library of a plug-in button, when its plug-in is known and the file is there.
    std::optional<std::wstring> LibraryOf(const ToolbarButton& button);

    std::optional<std::vector<PluginTextRecord>> m_catalogue; // read at first need
    std::map<std::wstring, Picture> m_pictures;                // by library path: asked once
};

} // namespace marlin
