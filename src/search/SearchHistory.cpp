#include "SearchHistory.h"

#include "config/SettingsStore.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

#include <algorithm>
#include <set>

namespace marlin {
namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
// The longest value name the registry holds, and its terminator.
constexpr DWORD kNameBufferChars = 16384;

// Case ignored the way a sorted list box compares.
bool ListOrder(const std::wstring& a, const std::wstring& b) noexcept { return ::lstrcmpiW(a.c_str(), b.c_str()) < 0; }

// Every value name of the history key, whole whatever its length; the key is
// made when missing. A key that cannot be opened is an empty history.
std::vector<std::wstring> ReadStoredNames()
{
    std::vector<std::wstring> names;
    const unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, kReadWrite);
    if (!key) return names;
    std::wstring buffer(kNameBufferChars, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = kNameBufferChars;
        const LONG status =
            ::RegEnumValueW(key.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue; // cannot hold it: skip that one, not the rest
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

std::vector<std::wstring> SplitKeywords(std::wstring_view keywords)
{
    std::vector<std::wstring> pieces;
    while (!keywords.empty()) {
        const size_t tab = keywords.find(L'\t');
        pieces.emplace_back(keywords.substr(0, tab));
        keywords.remove_prefix(tab == std::wstring_view::npos ? keywords.size() : tab + 1);
    }
    return pieces;
}

bool StartsWithNoCase(const std::wstring& text, std::wstring_view prefix) noexcept
{
    return text.size() >= prefix.size() &&
           ::CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.data(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// Whether one of the `stored` names is `query`, ASCII case ignored.
bool IsStored(const std::wstring& query, const std::vector<std::wstring>& stored) noexcept
{
    return std::ranges::any_of(stored, [&](const std::wstring& name) { return EqualsNoCase(name, query); });
}

// Whether the history key holds `query` by the registry's own lookup. It
// compares value names without case (more widely than ASCII), so a name it
// finds is the query's own value; one it does not find may still be there.
bool StoredByRegistry(const std::wstring& query) noexcept
{
    const unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, KEY_QUERY_VALUE);
    return key && ::RegQueryValueExW(key.get(), query.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

} // namespace

std::wstring AppendKeyword(const std::wstring& keywords, const std::wstring& query)
{
    if (!keywords.empty() && keywords.find(query) != std::wstring::npos) return keywords;
    if (query.size() > kMaxKeyWordsChars) return keywords;
    std::wstring_view kept = keywords;
    // Room for the tab before the query, or none when nothing is kept.
    while (!kept.empty() && kept.size() + 1 + query.size() > kMaxKeyWordsChars) {
        const size_t tab = kept.find(L'\t');
        kept.remove_prefix(tab == std::wstring_view::npos ? kept.size() : tab + 1);
    }
    return kept.empty() ? query : std::wstring(kept) + L'\t' + query;
}

void CSearchHistory::LoadHistory()
{
    LoadStoredHistory();
    if (!m_entries.empty()) return;
    m_entries = SplitKeywords(CReadRegistryValues().GetMTSettingsFromIniFile(kKeyWordsSetting));
    std::ranges::stable_sort(m_entries, ListOrder);
}

void CSearchHistory::LoadStoredHistory()
{
    m_entries = ReadStoredNames();
    std::ranges::stable_sort(m_entries, ListOrder);
}

void CSearchHistory::RecordSearch(const std::wstring& query, bool signedIn)
{
    // A query searched before is found with one lookup; only a new one needs
    // every name, to merge with what other windows stored.
    const bool known = StoredByRegistry(query);
    const std::vector<std::wstring> stored = known ? std::vector<std::wstring>{} : ReadStoredNames();
    const bool inHistory = known || IsStored(query, stored);
    if (!inHistory && signedIn && query.find_first_not_of(L' ') != std::wstring::npos) {
        // Start from what is stored now, in this list's order, so that the
        // change below is all that is written: another window's entries stay.
        const std::set<std::wstring> storedSet(stored.begin(), stored.end());
        std::erase_if(m_entries, [&](const std::wstring& entry) { return !storedSet.contains(entry); });
        const std::set<std::wstring> listed(m_entries.begin(), m_entries.end());
        std::vector<std::wstring> added;
        std::ranges::copy_if(stored, std::back_inserter(added), [&](const std::wstring& name) { return !listed.contains(name); });
        std::ranges::stable_sort(added, ListOrder);
        m_entries.insert(m_entries.end(), added.begin(), added.end());

        std::vector<std::wstring> evicted;
        while (m_entries.size() >= kMaxHistoryEntries) {
            evicted.push_back(std::move(m_entries.back()));
            m_entries.pop_back();
        }
        m_entries.insert(m_entries.begin(), query);

        if (const unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, kReadWrite)) {
            for (const std::wstring& name : evicted) ::RegDeleteValueW(key.get(), name.c_str());
            const DWORD one = 1;
            ::RegSetValueExW(key.get(), query.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
        }
        std::erase(m_recent, query);
        m_recent.insert(m_recent.begin(), query);
        if (m_recent.size() > kMaxHistoryEntries) m_recent.pop_back();
    }

    const CReadRegistryValues settings;
    const std::wstring keywords = settings.GetMTSettingsFromIniFile(kKeyWordsSetting);
    const std::wstring updated = AppendKeyword(keywords, query);
    if (updated != keywords) settings.SetMTSettingsFromIniFile(kKeyWordsSetting, updated);
}

void CSearchHistory::ClearHistory()
{
    m_entries.clear();
    m_recent.clear();
    DeleteRegistryTree(HKEY_CURRENT_USER, kSearchHistoryKey);
    const CReadRegistryValues settings;
    if (!settings.GetMTSettingsFromIniFile(kKeyWordsSetting).empty()) settings.SetMTSettingsFromIniFile(kKeyWordsSetting, L"");
}

std::vector<std::wstring> CSearchHistory::Suggestions(std::wstring_view typed) const
{
    std::vector<std::wstring> found;
    if (typed.empty()) return found;
    const auto offer = [&](const std::wstring& entry) {
        if (found.size() < kMaxSuggestions && StartsWithNoCase(entry, typed) && std::ranges::find(found, entry) == found.end()) {
            found.push_back(entry);
        }
    };
    for (const std::wstring& entry : m_recent) {
        if (std::ranges::find(m_entries, entry) != m_entries.end()) offer(entry);
    }
    for (const std::wstring& entry : m_entries) offer(entry);
    return found;
}

} // namespace marlin
