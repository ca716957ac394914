#pragma once
// The plug-in catalogue (XMLS\Plug-in.xml in the data folder) and where a
// plug-in's library lies: Plugins\<id>\<name>.dll under the installation
// folder, and nowhere else.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

// A usable catalogue entry: an identifier above 0 whose library file exists.
struct PluginRecord {
    int id = 0;
    int frequency = 0; // minutes between refreshes; 0 or below: never refreshed
    std::wstring name; // also the library's base name
};

// The toolbar's copy of an entry, as the catalogue writes it.
struct PluginTextRecord {
    std::wstring id;
    std::wstring frequency;
    std::wstring name;
};

// Catalogues are a few kilobytes; these bound what a hostile one can cost.
inline constexpr size_t kMaxCatalogueBytes = 4 * 1024 * 1024;
inline constexpr size_t kMaxCatalogueEntries = 4096;
inline constexpr size_t kMaxCategoryChars = 256;

std::wstring PluginCataloguePath();

// The scheduler's and the manager's reader: entries with an identifier above 0
// whose library exists, in catalogue order. False (and no records) when the
// catalogue is missing or does not parse.
bool LoadPluginCatalogue(std::vector<PluginRecord>& records);
// The toolbar's reader: every entry whose ID text is not empty, the texts as
// written (the first ID and Frequency texts that are not empty), no file test.
bool LoadPluginCatalogue(std::vector<PluginTextRecord>& records);

// SuggestedCategory of the first PlugIn with this identifier whose
// SuggestedCategory follows its ID; "" when there is none.
std::wstring GetSuggestedCategory(int id);

// <installation>\Plugins\<id>\<name>.dll, or nothing when the
// identifier is not above 0, the name is not a plain file name, the
// installation folder is unknown or the path would leave the Plugins folder.
std::optional<std::wstring> PluginLibraryPath(int id, const std::wstring& name);
// The same from an identifier as text: decimal digits only.
std::optional<std::wstring> PluginLibraryPath(std::wstring_view idText, const std::wstring& name);
// The toolbar's record as one CallFetchData takes: its ID text decimal digits
// only, above 0; the frequency as the scheduler reads it.
std::optional<PluginRecord> ToPluginRecord(const PluginTextRecord& record);
// A file (not a folder) at the path.
bool PluginLibraryExists(const std::wstring& path);

} // namespace marlin
