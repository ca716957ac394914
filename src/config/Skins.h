#pragma once
// The skin database Skins\MTSkins.xml: the skins the user chooses from, and
// the colours and pictures of the selected one (the settings' skin number).
// Nothing here draws; the toolbar makes its brushes from the state.
#include "platform/Win32.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace marlin {

// What each child element of a Skin colours.
enum class SkinPart { TabLine, Tab, TabBackground, ToolbarBackground };
inline constexpr size_t kSkinPartCount = 4;

// The colours that apply where no skin says otherwise.
inline constexpr COLORREF kBuiltInToolbarBackground = RGB(199, 216, 237);
inline constexpr COLORREF kBuiltInStripBackground = RGB(219, 225, 242);
inline constexpr COLORREF kBuiltInTabFill = RGB(230, 238, 250);
inline constexpr COLORREF kBuiltInTabLine = RGB(147, 179, 226);
inline constexpr COLORREF kBuiltInTabText = RGB(15, 15, 15);

struct SkinPartValue {
    std::optional<COLORREF> colour; // set when R, G and B are each 0 to 255
    std::wstring image;             // a plain file name in the skin's folder, or ""
    bool operator==(const SkinPartValue&) const = default;
};

struct SkinState {
    int number = 0;     // the skin number asked for
    bool found = false; // a Skin with that number exists; otherwise the built-in colours apply
    int type = 0;       // SkinType of that skin: 0 colours only, 1 or more also pictures
    std::array<SkinPartValue, kSkinPartCount> parts;

    const SkinPartValue& operator[](SkinPart part) const noexcept { return parts[static_cast<size_t>(part)]; }
    bool HasPictures() const noexcept { return found && type >= 1; }
    // The skin's colour for `part`, or `fallback`.
    COLORREF Colour(SkinPart part, COLORREF fallback) const noexcept;
    bool operator==(const SkinState&) const = default;
};

struct SkinListEntry {
    int number = 0;
    std::wstring name;
};

// Reads the selected skin (g_Skin) from the database into the process-wide
// state. A database that does not load leaves the built-in colours, is logged
// each time it starts failing and is shown to the user once per process.
// Answers 1 when the database loaded.
int LoadSkin();

// The process-wide state LoadSkin filled last.
SkinState CurrentSkin();

// Every skin of the database with a usable number, in the file's order, the
// first of a repeated number only; empty when the database does not load.
std::vector<SkinListEntry> LoadSkinList();

// The file of `value`'s picture in the folder of skin `number`; "" when the
// skin names none.
std::wstring SkinPicturePath(int number, const SkinPartValue& value);

// Whether `name` names a file directly in a folder: no folder parts, no
// drive, stream or device names.
bool IsPlainFileName(const std::wstring& name);

// How many skins the database is read for at most, and the longest name kept.
inline constexpr size_t kMaxSkins = 4096;
inline constexpr size_t kMaxSkinNameChars = 128;

// Back to the built-in colours; the failure message may be shown again (tests).
void ResetSkinState() noexcept;

} // namespace marlin
