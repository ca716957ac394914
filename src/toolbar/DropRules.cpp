#include "DropRules.h"

#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "platform/Win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace marlin {

namespace {

constexpr size_t kMaxHostChars = 253;
constexpr size_t kMaxStemChars = 64;
constexpr int kMaxIconNameAttempts = 100;

bool IsHostChar(wchar_t c) noexcept
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' || c == L'-';
}

bool IsDigits(std::wstring_view text) noexcept
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// A host name or dotted address with an optional port. Without a scheme the
// name must be dotted and end in a name or be a full dotted address, so that
// plain words and numbers are not taken for hosts.
bool IsValidHost(std::wstring_view host, bool schemeGiven)
{
    std::wstring_view name = host;
    if (const size_t colon = host.find(L':'); colon != std::wstring_view::npos) {
        const std::wstring_view port = host.substr(colon + 1);
        if (!IsDigits(port) || port.size() > 5 || ParseInt(port) < 1 || ParseInt(port) > 65535) return false;
        name = host.substr(0, colon);
    }
    if (name.empty() || name.size() > kMaxHostChars) return false;
    if (!std::all_of(name.begin(), name.end(), IsHostChar)) return false;
    if (name.front() == L'.' || name.back() == L'.' || name.front() == L'-' || name.back() == L'-') return false;
    if (name.find(L"..") != std::wstring_view::npos) return false;
    if (schemeGiven) return true;
    const size_t lastDot = name.rfind(L'.');
    if (lastDot == std::wstring_view::npos) return false;
    const std::wstring_view last = name.substr(lastDot + 1);
    if (!IsDigits(last)) return true;
    return std::count(name.begin(), name.end(), L'.') == 3; // a dotted address
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view start) noexcept
{
    return text.size() >= start.size() && EqualsNoCase(text.substr(0, start.size()), start);
}

bool IsReservedDeviceName(std::wstring_view stem)
{
    const std::wstring_view base = stem.substr(0, stem.find(L'.'));
    static constexpr const wchar_t* kNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* name : kNames) {
        if (EqualsNoCase(Trim(base), name)) return true;
    }
    if (base.size() == 4 && (StartsWithNoCase(base, L"COM") || StartsWithNoCase(base, L"LPT"))) {
        return base[3] >= L'0' && base[3] <= L'9';
    }
    return false;
}

std::uint32_t ReadLittle32(std::string_view bytes, size_t at) noexcept
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof(value));
    return value;
}

std::uint16_t ReadLittle16(std::string_view bytes, size_t at) noexcept
{
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof(value));
    return value;
}

std::uint32_t ReadBig32(std::string_view bytes, size_t at) noexcept
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool IsSaneIconFile(std::string_view bytes)
{
    constexpr size_t kHeader = 6, kEntry = 16;
    if (bytes.size() < kHeader + kEntry) return false;
    if (ReadLittle16(bytes, 0) != 0 || ReadLittle16(bytes, 2) != 1) return false;
    const size_t count = ReadLittle16(bytes, 4);
    if (count == 0 || count > 64 || bytes.size() < kHeader + kEntry * count) return false;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = kHeader + kEntry * i;
        const std::uint64_t size = ReadLittle32(bytes, entry + 8);
        const std::uint64_t offset = ReadLittle32(bytes, entry + 12);
        if (size < 8 || offset < kHeader + kEntry * count || offset + size > bytes.size()) return false;
    }
    return true;
}

std::optional<std::string> WrappedPng(std::string_view bytes)
{
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 33 || bytes.substr(0, 8) != std::string_view(kSignature, 8)) return std::nullopt;
    if (bytes.substr(12, 4) != "IHDR") return std::nullopt;
    const std::uint32_t width = ReadBig32(bytes, 16);
    const std::uint32_t height = ReadBig32(bytes, 20);
    if (width == 0 || height == 0 || width > 256 || height > 256) return std::nullopt;
    std::string icon;
    auto put16 = [&](std::uint16_t v) { icon.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](std::uint32_t v) { icon.append(reinterpret_cast<const char*>(&v), 4); };
    put16(0);
    put16(1);
    put16(1);
    icon.push_back(static_cast<char>(width == 256 ? 0 : width));
    icon.push_back(static_cast<char>(height == 256 ? 0 : height));
    icon.push_back(0);
    icon.push_back(0);
    put16(1);
    put16(32);
    put32(static_cast<std::uint32_t>(bytes.size()));
    put32(22);
    icon.append(bytes);
    return icon;
}

} // namespace

std::wstring SplitHost(std::wstring_view address)
{
    std::wstring_view rest = address;
    if (const size_t slashes = address.find(L"//"); slashes != std::wstring_view::npos) {
        rest = address.substr(slashes + 2);
    }
    return std::wstring(rest.substr(0, rest.find_first_of(L"/?#")));
}

std::optional<DroppedLink> DroppedLinkOf(std::wstring_view text)
{
    const std::wstring address = Trim(text);
    if (address.empty() || address.size() > kMaxDroppedAddress) return std::nullopt;
    if (std::any_of(address.begin(), address.end(), [](wchar_t c) { return c <= L' ' || c == 0x7F; })) {
        return std::nullopt;
    }
    const bool schemeGiven = StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://");
    // Without http or https, "//" means another scheme ("file://", "ftp://");
    // "javascript:", "mailto:" and the like fail the host check (a colon
    // before the first "/" that is no port).
    if (!schemeGiven && address.find(L"//") != std::wstring::npos) return std::nullopt;
    DroppedLink link{address, SplitHost(address)};
    if (!IsValidHost(link.host, schemeGiven)) return std::nullopt;
    return link;
}

bool IsGoogleHost(std::wstring_view host) { return ContainsNoCase(host, L"google"); }

std::wstring SafeIconFileStem(std::wstring_view name)
{
    std::wstring stem;
    for (wchar_t c : name) {
        const bool forbidden = c < 32 || c == 0x7F || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
        stem.push_back(forbidden ? L'_' : c);
        if (stem.size() >= kMaxStemChars * 2) break;
    }
    const size_t first = stem.find_first_not_of(L" .");
    if (first == std::wstring::npos) return L"Button";
    const size_t last = stem.find_last_not_of(L" .");
    stem = stem.substr(first, last - first + 1);
    if (stem.size() > kMaxStemChars) {
        stem.resize(kMaxStemChars);
        stem.erase(stem.find_last_not_of(L" .") + 1);
    }
    if (IsReservedDeviceName(stem)) stem.insert(0, L"_");
    return stem;
}

std::wstring ReserveIconFile(const std::wstring& imagesFolder, std::wstring_view buttonName,
                             const std::wstring& alsoTaken)
{
    const std::wstring stem = SafeIconFileStem(buttonName);
    for (int attempt = 1; attempt <= kMaxIconNameAttempts; ++attempt) {
        const std::wstring name = attempt == 1 ? stem + L".ico" : stem + Format(L" (%d).ico", attempt);
        const bool takenThere = !alsoTaken.empty() && alsoTaken != imagesFolder &&
                                ::GetFileAttributesW((alsoTaken + name).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (takenThere) continue;
        // CREATE_NEW: two windows dropping at once never get the same file.
        unique_file file(::CreateFileW((imagesFolder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return name;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    }
    return std::wstring();
}

std::optional<std::string> AsIconFile(std::string_view bytes)
{
    if (IsSaneIconFile(bytes)) return std::string(bytes);
    return WrappedPng(bytes);
}

} // namespace marlin
