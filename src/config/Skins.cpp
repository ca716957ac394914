#include "Skins.h"

#include "ApplicationSettings.h"
#include "ErrorLog.h"
#include "InstallPaths.h"
#include "Messages.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/ProcessValue.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

#include <atomic>
#include <unordered_set>

namespace marlin {

namespace {

constexpr wchar_t kDatabaseFailed[] = L"Failed to load Skin Database.";
constexpr wchar_t kDatabaseFailedLog[] = L"[CMarlinToolbarCtrl][LoadSkin][Failed to load Skin Database.]";
// A skin database is a few kilobytes; anything near this is not one.
constexpr size_t kMaxDatabaseBytes = 4 * 1024 * 1024;

ProcessValue<SkinState> g_skinState;
std::atomic<bool> g_messageShown{false};
std::atomic<bool> g_failing{false};

struct PartName {
    const wchar_t* element;
    SkinPart part;
};
constexpr PartName kPartNames[] = {
    {L"TabLineColor", SkinPart::TabLine},
    {L"TabColor", SkinPart::Tab},
    {L"TabBackground", SkinPart::TabBackground},
    {L"ToolbarBackground", SkinPart::ToolbarBackground},
};

// Decimal digits only (blanks around them allowed), within [low, high].
std::optional<int> StrictNumber(const std::optional<std::wstring>& text, long long low, long long high)
{
    if (!text) return std::nullopt;
    const std::wstring trimmed = Trim(*text);
    size_t i = 0;
    const bool negative = !trimmed.empty() && trimmed[0] == L'-';
    if (negative || (!trimmed.empty() && trimmed[0] == L'+')) ++i;
    if (i == trimmed.size() || trimmed.size() - i > 10) return std::nullopt;
    long long value = 0;
    for (; i < trimmed.size(); ++i) {
        if (trimmed[i] < L'0' || trimmed[i] > L'9') return std::nullopt;
        value = value * 10 + (trimmed[i] - L'0');
    }
    if (negative) value = -value;
    if (value < low || value > high) return std::nullopt;
    return static_cast<int>(value);
}

// A skin's number: a positive integer (it names the skin's folder).
std::optional<int> SkinNumber(IXMLDOMNode* skin) { return StrictNumber(GetAttribute(skin, L"ID"), 1, INT_MAX); }

std::optional<XmlDocument> LoadDatabase()
{
    auto document = XmlDocument::Create();
    if (!document || !document->Load(SkinDatabasePath(), kMaxDatabaseBytes) || !document->Root()) return std::nullopt;
    return document;
}

// The Skin elements of the database, at most kMaxSkins.
std::vector<XmlElement> SkinElements(const XmlDocument& document)
{
    std::vector<XmlElement> skins;
    for (XmlElement& child : ChildElements(document.Root().Get())) {
        if (NodeName(child.Get()) != L"Skin") continue;
        skins.push_back(std::move(child));
        if (skins.size() == kMaxSkins) break;
    }
    return skins;
}

void ReadParts(IXMLDOMNode* skin, SkinState& state)
{
    for (const XmlElement& child : ChildElements(skin)) {
        const std::wstring name = NodeName(child.Get());
        for (const PartName& known : kPartNames) {
            if (name != known.element) continue;
            SkinPartValue& value = state.parts[static_cast<size_t>(known.part)];
            const auto r = StrictNumber(GetAttribute(child.Get(), L"R"), 0, 255);
            const auto g = StrictNumber(GetAttribute(child.Get(), L"G"), 0, 255);
            const auto b = StrictNumber(GetAttribute(child.Get(), L"B"), 0, 255);
            if (r && g && b) value.colour = RGB(*r, *g, *b);
            const std::wstring image = GetAttribute(child.Get(), L"Image").value_or(L"");
            if (IsPlainFileName(image)) value.image = image;
        }
    }
}

void ReportDatabaseFailure()
{
    if (!g_failing.exchange(true)) LogError(kRiskLow, kDatabaseFailedLog);
    if (!g_messageShown.exchange(true)) {
        Env().ShowMessageBox(nullptr, kDatabaseFailed, kCaption, MB_OK | MB_ICONINFORMATION);
    }
}

bool IsDeviceName(std::wstring_view stem)
{
    static constexpr const wchar_t* kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if (EqualsNoCase(stem, device)) return true;
    }
    return stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), L"COM") || EqualsNoCase(stem.substr(0, 3), L"LPT")) &&
           stem[3] >= L'0' && stem[3] <= L'9';
}

} // namespace

COLORREF SkinState::Colour(SkinPart part, COLORREF fallback) const noexcept
{
    if (!found) return fallback;
    return (*this)[part].colour.value_or(fallback);
}

bool IsPlainFileName(const std::wstring& name)
{
    if (name.empty() || name.size() > 200) return false;
    if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
    for (wchar_t c : name) {
        if (c < 0x20) return false;
    }
    // Windows drops trailing dots and blanks: "..", ". " and the like name the folder above.
    const size_t last = name.find_last_not_of(L". ");
    if (last == std::wstring::npos) return false;
    const std::wstring_view stem = std::wstring_view(name).substr(0, name.find(L'.'));
    return !IsDeviceName(Trim(stem));
}

int LoadSkin()
{
    ComInitScope com;
    SkinState state;
    state.number = g_Skin;
    auto document = LoadDatabase();
    if (!document) {
        g_skinState = state;
        ReportDatabaseFailure();
        return 0;
    }
    g_failing = false;
    for (const XmlElement& skin : SkinElements(*document)) {
        if (SkinNumber(skin.Get()) != state.number) continue;
        // The type of the selected skin only; a type that is not a number is a skin of colours.
        state.found = true;
        state.type = StrictNumber(GetAttribute(skin.Get(), L"SkinType"), 0, INT_MAX).value_or(0);
        ReadParts(skin.Get(), state);
        break;
    }
    g_skinState = state;
    return 1;
}

SkinState CurrentSkin() { return g_skinState.get(); }

std::vector<SkinListEntry> LoadSkinList()
{
    ComInitScope com;
    std::vector<SkinListEntry> list;
    auto document = LoadDatabase();
    if (!document) return list;
    std::unordered_set<int> numbers;
    for (const XmlElement& skin : SkinElements(*document)) {
        const auto number = SkinNumber(skin.Get());
        if (!number || !numbers.insert(*number).second) continue;
        std::wstring name = Trim(GetAttribute(skin.Get(), L"Name").value_or(L""));
        if (name.size() > kMaxSkinNameChars) name.resize(kMaxSkinNameChars);
        // A skin without a name can still be chosen.
        if (name.empty()) name = Format(L"Skin %d", *number);
        list.push_back({*number, std::move(name)});
    }
    return list;
}

std::wstring SkinPicturePath(int number, const SkinPartValue& value)
{
    const std::wstring folder = SkinFolder(number);
    if (folder.empty() || !IsPlainFileName(value.image)) return {};
    return folder + value.image;
}

void ResetSkinState() noexcept
{
    try {
        g_skinState = SkinState{};
    } catch (...) {
    }
    g_messageShown = false;
    g_failing = false;
}

} // namespace marlin
