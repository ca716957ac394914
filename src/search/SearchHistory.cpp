#include "SearchHistory.h"

namespace marlin {

void CSearchHistory::LoadHistory() {}
void CSearchHistory::RecordSearch(const std::wstring&, bool) {}
void CSearchHistory::ClearHistory() { m_entries.clear(); }
std::vector<std::wstring> CSearchHistory::Suggestions(std::wstring_view) const { return {}; }
std::wstring AppendKeyword(const std::wstring& keywords, const std::wstring&) { return keywords; }

} // namespace marlin
