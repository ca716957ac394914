#pragma once
// Plug-in data: the ButtDesc document a plug-in answers (from FetchData or
// the SDK's updates), read as a button description with its menu entries,
// and stored as the menu of the plug-in's buttons in the signed-in document.
#include "document/ButtonOperations.h"
#include "document/ToolbarDocument.h"

#include <optional>
#include <string>
#include <vector>

namespace marlin {

struct PluginDescription {
    EntryRecord button;               // the ButtDesc's own attributes
    std::vector<PluginEntry> entries; // its Items (among its first 20 children) with their SubItems
};

// The data as a description; nothing when it is too long, does not parse or
// its document element is not ButtDesc (any letter case). Icon names are kept
// as written; at most kMaxSubEntries sub-entries per entry are read.
std::optional<PluginDescription> ParsePluginData(const std::wstring& text);

// Parses `data` and writes its entries as the menu of every button of
// plug-in `pluginId` on the toolbar at `toolbarIndex` (decimal text, 0-based)
// of the signed-in document. False, and nothing written, when the data or
// the index is bad or no such button is there. Entries without a picture of
// their own get `defaultImage` (the refresh's content comes with one).
bool StorePluginData(const std::wstring& pluginId, const std::wstring& toolbarIndex, const std::wstring& data,
                     const std::wstring& defaultImage = {});

// How many times plug-in data was stored in this process: windows that
// follow it rebuild their rows when it moves.
long PluginDataChanges() noexcept;

} // namespace marlin
