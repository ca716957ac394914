#include "SearchEngines.h"

namespace marlin {

std::span<const SearchEngine> SearchEngines() noexcept { return {}; }
const SearchEngine* FindEngineByName(std::wstring_view) noexcept { return nullptr; }
const SearchEngine* FindEngineByCommand(UINT) noexcept { return nullptr; }
std::wstring EncodeSearchQuery(std::wstring_view query) { return std::wstring(query); }
std::wstring ComposeSearchAddress(std::wstring_view urlTemplate, std::wstring_view) { return std::wstring(urlTemplate); }

} // namespace marlin
