#include "SearchEngines.h"

#include <algorithm>
#include <array>

namespace marlin {
namespace {

constexpr SearchEngine kEngines[] = {
    {L"Google", 32789, kGoogleSearchHost, L"/search?hl=en&q=TEXT&meta=", L"googleimgnormal.bmp", L"googleimgover.bmp"},
    {L"MSN", 32790, kMsnSearchHost, L"/results.aspx?q=TEXT&form=QBNO", L"msnbmp.bmp", L"msnbmpover.bmp"},
    {L"Yahoo", 32791, kYahooSearchHost, L"/search?p=TEXT&ei=UTF-8&iscqry=&fr=sfp", L"yahoobmp.bmp",
     L"yahoobmpover.bmp"},
    {L"AOL", 32792, kAolSearchHost, L"/aol/search?query=TEXT", L"AOLnormal.bmp", L"AOLover.bmp"},
};

struct PercentCode {
    wchar_t character;
    const wchar_t* code;
};

// The characters a query may not carry into the address as they are. The
// codes hold none of these characters, so one pass gives the same text as
// replacing them one after the other.
constexpr PercentCode kPercentCodes[] = {
    {L' ', L"%20"}, {L'&', L"%26"}, {L'>', L"%3E"}, {L'<', L"%3C"}, {L'[', L"%5B"}, {L']', L"%5D"},
    {L'"', L"%22"}, {L'^', L"%5E"}, {L'`', L"%60"}, {L'+', L"%2B"}, {L'$', L"%24"}, {L'?', L"%3F"},
    {L',', L"%2C"}, {L'@', L"%40"}, {L':', L"%3A"}, {L';', L"%3B"}, {L'/', L"%2F"}, {L'!', L"%21"},
    {L'#', L"%23"}, {L'=', L"%3D"}, {L'*', L"%2A"},
};

} // namespace

std::span<const SearchEngine> SearchEngines() noexcept { return kEngines; }

std::wstring EngineUrlTemplate(const SearchEngine& engine)
{
    return std::wstring(L"https://") + engine.host + engine.pathAndQuery;
}

const SearchEngine* FindEngineByName(std::wstring_view text) noexcept
{
    const auto found = std::ranges::find_if(kEngines, [&](const SearchEngine& engine) {
        return text.find(engine.name) != std::wstring_view::npos;
    });
    return found == std::end(kEngines) ? nullptr : &*found;
}

const SearchEngine* FindEngineByCommand(UINT command) noexcept
{
    const auto found = std::ranges::find(kEngines, command, &SearchEngine::command);
    return found == std::end(kEngines) ? nullptr : &*found;
}

std::wstring EncodeSearchQuery(std::wstring_view query)
{
    std::wstring encoded;
    encoded.reserve(query.size());
    for (const wchar_t c : query) {
        const auto code = std::ranges::find(kPercentCodes, c, &PercentCode::character);
        if (code == std::end(kPercentCodes)) {
            encoded += c;
        } else {
            encoded += code->code;
        }
    }
    return encoded;
}

std::wstring ComposeSearchAddress(std::wstring_view urlTemplate, std::wstring_view query)
{
    const std::wstring encoded = EncodeSearchQuery(query);
    const std::wstring_view placeholder = kQueryPlaceholder;
    if (urlTemplate.find(placeholder) == std::wstring_view::npos) return std::wstring(urlTemplate) + encoded;
    std::wstring address;
    size_t start = 0;
    for (size_t at; (at = urlTemplate.find(placeholder, start)) != std::wstring_view::npos;
         start = at + placeholder.size()) {
        address.append(urlTemplate.substr(start, at - start));
        address += encoded;
    }
    address.append(urlTemplate.substr(start));
    return address;
}

} // namespace marlin
