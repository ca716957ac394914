#pragma once
// The plug-in refresh of the process: one scheduler however many browser
// windows are open. Every band's hidden window registers; the oldest
// registration still alive drives it (its minute tick runs the refresh, the
// others' ticks do nothing) and when it goes the next one takes over. So a
// plug-in is refreshed once per due minute per process.
//
// A tick refreshes nothing, and logs nothing, while the user is signed out;
// offline, it logs "Not Connected to Network" once when the state changes.
// Workers make their own SDK object on their own thread (an SDK object is
// bound to the thread that made it): a slow or hung SDK holds up only its
// worker, never a window's thread, and a stop waits for it within a bound.
//
// Everything here may be called from any thread.
#include "plugins/PluginCatalogue.h"
#include "plugins/PluginScheduler.h"

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace marlin {

class PluginSdkLink;

// Stores one update's content (plug-in data, a ButtDesc document) as the menu
// of the plug-in's buttons in the signed-in document. Arguments: the plug-in
// identifier and the selected toolbar's index as decimal text, the content, and
// the image that goes with it. Called on a worker thread.
using PluginMerge = std::function<bool(const std::wstring& pluginId, const std::wstring& toolbarIndex,
                                       const std::wstring& content, const std::wstring& imagePath)>;

// The merge the refresh uses unless another is installed: StorePluginData,
// the entries without a picture taking `imagePath`.
bool MergePluginContent(const std::wstring& pluginId, const std::wstring& toolbarIndex, const std::wstring& content,
                        const std::wstring& imagePath) noexcept;
// Installs the merge the workers call (nullptr: MergePluginContent).
void SetPluginMerge(PluginMerge merge);

// "Images\eBay.ico" for plug-in 1, "Images\YouTube.ico" for any other, in the data folder.
std::wstring PluginContentImage(int pluginId);

// An update list (the SDK's XML answer): the text of each child of the
// document element, split at its first comma. The part before it is the
// stamp, the part from it on is the entry; both lose their commas. A text
// without a comma is an entry whole, with an empty stamp. At most
// kMaxPluginUpdateEntries entries; nothing when the text does not parse.
struct PluginUpdate {
    std::wstring stamp, entry;
};
inline constexpr size_t kMaxPluginUpdateEntries = 64;
std::vector<PluginUpdate> ParsePluginUpdates(const std::wstring& xml);

// One refresh of a plug-in: for each of `plugins` with this identifier, its
// update list from the SDK, then each entry's content (QueryPlugin kind 3, the
// entry as a number, the toolbar and the library path; text 2) merged. False
// when an SDK call or a merge failed; nothing is asked once `stopping`.
bool RunPluginUpdate(int pluginId, const std::vector<PluginRecord>& plugins, const PluginSdkLink& sdk, LONG toolbar,
                     const PluginMerge& merge, const std::atomic<bool>& stopping);

// A hidden window's place in the process refresh (movable; unregisters when it
// goes; the last one to go stops every worker).
class PluginRefreshRegistration {
public:
    PluginRefreshRegistration() noexcept = default;
    // `sdkReady`: the window's SDK link is ready. The refresh asks the SDK
    // only while a registered window's is.
    static PluginRefreshRegistration Register(bool sdkReady);
    ~PluginRefreshRegistration();
    PluginRefreshRegistration(PluginRefreshRegistration&& other) noexcept;
    PluginRefreshRegistration& operator=(PluginRefreshRegistration&& other) noexcept;

    bool registered() const noexcept { return m_id != 0; }
    // Whether this window's ticks drive the refresh.
    bool Drives() const noexcept;
    // One minute tick of this window's timer: answers how many refreshes
    // started (always 0 unless it drives, is signed in, online, not stopped).
    size_t Tick() noexcept;

private:
    void Unregister() noexcept;
    unsigned long long m_id = 0;
};

// Stops every worker (cooperatively, within `waitMs`) and keeps the refresh
// stopped until StartPluginRefresh. True when every worker ended in time.
bool StopPluginRefresh(DWORD waitMs = kWorkerStopWaitMs) noexcept;
void StartPluginRefresh() noexcept;

// While any hold exists the workers wait before running (the start signal is
// reset); the last one to go lets them run. A stop still ends waiting workers.
class PluginRefreshHold {
public:
    PluginRefreshHold() noexcept;
    ~PluginRefreshHold();
    PluginRefreshHold(PluginRefreshHold&& other) noexcept : m_holds(std::exchange(other.m_holds, false)) {}
    PluginRefreshHold& operator=(PluginRefreshHold&& other) noexcept;
    PluginRefreshHold(const PluginRefreshHold&) = delete;
    PluginRefreshHold& operator=(const PluginRefreshHold&) = delete;

private:
    void Release() noexcept;
    bool m_holds = false;
};

// The plug-ins being refreshed or waiting to be.
std::vector<std::wstring> QueuedPluginRefreshes();
// Not stopped, online, the merge back to the default, the counter at 0 (tests).
void ResetPluginRefreshState() noexcept;

} // namespace marlin
