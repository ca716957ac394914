#include "WebSearch.h"

namespace marlin {

CWebSearch::CWebSearch() = default;
bool CWebSearch::SetEngine(std::wstring_view) noexcept { return false; }
bool CWebSearch::RunSearch(std::wstring_view) { return false; }

} // namespace marlin
