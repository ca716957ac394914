#pragma once
// What was searched, in two stores shared by every window and process of the
// user: the search history (at most 50 queries, one REG_DWORD value per query
// under the per-user key, only the names count) and the keyword list (the
// "KeyWords" setting, queries joined by tabs, oldest first).
//
// The history list is this search box's working copy, in the order its
// drop-down shows it: sorted (case ignored) when loaded, a recorded query on
// top. It is loaded when the search box is made, so a recording never forgets
// what is stored; a recording changes the stored history by what it adds and
// evicts, so entries another window stored in the meantime stay.
#include <string>
#include <string_view>
#include <vector>

namespace marlin {

inline constexpr wchar_t kSearchHistoryKey[] = L"software\\MarlinToolbar\\All\\History";
inline constexpr wchar_t kKeyWordsSetting[] = L"KeyWords";
inline constexpr size_t kMaxHistoryEntries = 50;
// The settings store gives back at most this much of a value.
inline constexpr size_t kMaxKeyWordsChars = 254;
inline constexpr size_t kMaxSuggestions = 10;

class CSearchHistory {
public:
    const std::vector<std::wstring>& Entries() const noexcept { return m_entries; }

    // Fills the list from the stored history, sorted with case ignored; when
    // that is empty, from the keyword list (empty pieces included).
    void LoadHistory();
    // The stored history alone, without the keywords (the list a search box
    // starts with: its suggestions come from what was searched).
    void LoadStoredHistory();
    // Empties the list only (the drop-down opened while signed out).
    void ClearList() noexcept { m_entries.clear(); }
    // Records a trimmed, non-empty query: in the history when signed in and
    // not stored yet (in any case), in the keyword list always unless a
    // stored keyword contains it.
    void RecordSearch(const std::wstring& query, bool signedIn);
    // Empties the list, the stored history and the keyword list.
    void ClearHistory();
    // Up to kMaxSuggestions entries that begin with `typed` (case ignored):
    // those this search box recorded, the latest first, then the others in
    // list order. Nothing for an empty text.
    std::vector<std::wstring> Suggestions(std::wstring_view typed) const;

private:
    std::vector<std::wstring> m_entries;
    std::vector<std::wstring> m_recent; // recorded by this search box, the latest first
};

// The keyword list after `query` was searched: unchanged when a keyword
// contains it; else the query appended, and the oldest whole keywords dropped
// until the value fits the settings store. A query too long to fit alone is
// not added. Pure, for the recording and its tests.
std::wstring AppendKeyword(const std::wstring& keywords, const std::wstring& query);

} // namespace marlin
