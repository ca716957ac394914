#pragma once
// Calling a plug-in library: load it, call its "FetchData", take its answer,
// unload it. No library stays loaded.
#include "PluginCatalogue.h"

#include "platform/Win32.h"

#include <functional>
#include <string>

namespace marlin {

// The library's entry point: caller cleans the stack; its return value is not used.
using FetchDataFunction = void(__cdecl*)(RECT rect, int currentToolbar, BSTR* data);
inline constexpr char kFetchDataExport[] = "FetchData";

// Plug-in data is a button and at most twenty menu entries; anything longer is not taken.
inline constexpr size_t kMaxPluginDataChars = 1 << 20;

// How long a caller waits for FetchData (a plug-in may show its own window)
// before it leaves the call running and goes on without its answer.
inline constexpr DWORD kFetchDataTimeoutMs = 120000;

inline constexpr wchar_t kFailsToLoadDll[] = L"Fails To Load Dll";
inline constexpr wchar_t kFailsToLoadPluginDll[] = L"Fails To Load Plugin Dll";

// Who calls: each says a library that does not load its own way.
enum class PluginCaller {
    Manager, // "Fails To Load Plugin Dll", error icon
    Toolbar, // "Fails To Load Dll", information icon
};

enum class FetchOutcome {
    Stored,       // the answer went to the sink
    Empty,        // "Empty", no answer or an empty one: nothing to store
    NoEntryPoint, // the library lacks FetchData
    NotLoaded,    // the library did not load (the caller's message was shown)
    Refused,      // the path is not a plug-in library's (logged, the message shown)
    Rejected,     // the answer was too long or the call failed (logged)
    Faulted,      // FetchData raised an exception nobody handled (logged)
    TimedOut,     // FetchData had not returned in time; it is left to finish (logged)
};

// Receives the plug-in identifier and the toolbar's index (both as decimal
// text) and the data, to store in the toolbar document.
using PluginDataSink =
    std::function<void(const std::wstring& pluginId, const std::wstring& toolbar, const std::wstring& data)>;

void ShowPluginLoadFailure(PluginCaller caller) noexcept;

// Loads Plugins\<id>\<name>.dll, calls FetchData with `rect` and the toolbar's
// index, hands an answer other than "Empty" (any case) to `store`, unloads.
// FetchData runs on a thread of its own: a fault inside it ends that thread
// only, and a call that does not return within `timeoutMs` is left running
// (the library stays loaded until it returns). The calling thread handles
// messages sent to its windows meanwhile.
FetchOutcome CallFetchData(const PluginRecord& plugin, const RECT& rect, int currentToolbar, PluginCaller caller,
                           const PluginDataSink& store, DWORD timeoutMs = kFetchDataTimeoutMs) noexcept;

} // namespace marlin
