#pragma once
// The four web search engines of the search box and the turning of a query
// into a search address. The table is fixed, not read from any file.
#include "platform/Win32.h"

#include <span>
#include <string>
#include <string_view>

namespace marlin {

struct SearchEngine {
    const wchar_t* name;         // also the label of its engine menu item
    UINT command;                // that item's command identifier
    const wchar_t* host;         // the engine's web search host
    const wchar_t* pathAndQuery; // "TEXT" stands for the encoded query
    const wchar_t* normalBitmap; // in the installation's Images folder
    const wchar_t* hoverBitmap;
};

// The search hosts the templates address.
inline constexpr wchar_t kGoogleSearchHost[] = L"www.google.com";
inline constexpr wchar_t kMsnSearchHost[] = L"search.msn.com";
inline constexpr wchar_t kYahooSearchHost[] = L"search.yahoo.com";
inline constexpr wchar_t kAolSearchHost[] = L"search.aol.com";

inline constexpr wchar_t kQueryPlaceholder[] = L"TEXT";
inline constexpr wchar_t kFirstEngineName[] = L"Google";

// Google, MSN, Yahoo, AOL, in the order of the engine menu.
std::span<const SearchEngine> SearchEngines() noexcept;
// The engine's address template: "https://", its host, its path and query.
std::wstring EngineUrlTemplate(const SearchEngine& engine);
// The first engine whose name occurs in `text` (case-sensitive); null when none.
const SearchEngine* FindEngineByName(std::wstring_view text) noexcept;
// The engine of an engine menu command; null for any other identifier.
const SearchEngine* FindEngineByCommand(UINT command) noexcept;

// `query` with the characters that would end or split an address's query
// percent-encoded; every other character, the percent sign among them,
// passes unchanged, so nothing is encoded twice.
std::wstring EncodeSearchQuery(std::wstring_view query);
// `urlTemplate` with each "TEXT" replaced by the encoded query in one pass
// (the inserted text is never searched again), or the encoded query appended
// when the template has no placeholder.
std::wstring ComposeSearchAddress(std::wstring_view urlTemplate, std::wstring_view query);

} // namespace marlin
