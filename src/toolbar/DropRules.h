#pragma once
// The rules a drop on the toolbar follows before anything is written: which
// dropped text is a web address and which host it names, the file a new
// button's icon goes into, and which downloaded bytes are an icon.
#include <optional>
#include <string>
#include <string_view>

namespace marlin {

// The longest address or path a drop turns into a button (the browser's own limit).
inline constexpr size_t kMaxDroppedAddress = 2083;

// The host of an address as the link drop proposes it: the text after "//" up
// to the next "/" (without "//", the text before the first "/"); a query or
// fragment right after the host ends it too.
std::wstring SplitHost(std::wstring_view address);

struct DroppedLink {
    std::wstring address; // as dropped, trimmed
    std::wstring host;
};

// A dropped text that is a web address: one "http://" or "https://" address,
// or one without a scheme whose first part is a dotted host name
// ("www.example.com/page"), of at most kMaxDroppedAddress characters, with
// no blanks or control characters, and a host of letters, digits, dots and
// hyphens with an optional port. Anything else (plain words, other schemes
// such as "javascript:" or "file:", several lines) is not an address.
std::optional<DroppedLink> DroppedLinkOf(std::wstring_view text);

// Hosts whose buttons take the installation's "DefGoogle.ico" and download nothing.
bool IsGoogleHost(std::wstring_view host);
inline constexpr wchar_t kGoogleIcon[] = L"DefGoogle.ico";
inline constexpr wchar_t kDropFolderIcon[] = L"DropFolder.ico";
inline constexpr wchar_t kDropFileIcon[] = L"DropFile.ico";
inline constexpr wchar_t kDropFailedIcon[] = L"DropURL.ico";

// The file name stem a button name maps to inside the image folder: every
// character a file name cannot hold (control characters and < > : " / \ | ? *)
// becomes "_", blanks and dots are cut at both ends (so no "..", no hidden or
// trailing-dot names), a reserved device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, CONIN$, CONOUT$, with or without an extension) gets a leading "_",
// at most 64 characters are kept, and an empty result is "Button".
std::wstring SafeIconFileStem(std::wstring_view name);

// Reserves the icon file of a new button in `imagesFolder` (ending with "\"):
// "<stem>.ico", or "<stem> (2).ico", "<stem> (3).ico"... when that exists, so
// that a new button never shares or overwrites another file. The file is
// created empty (an empty icon shows the built-in picture) until its icon
// arrives. A name that exists in `alsoTaken` (the folder the toolbar reads
// icons from, when it is another) is passed over too. Answers the bare file
// name, "" when none could be made.
std::wstring ReserveIconFile(const std::wstring& imagesFolder, std::wstring_view buttonName,
                             const std::wstring& alsoTaken = {});

// The bytes of an icon file made from downloaded bytes: an icon file whose
// directory is sane (every image inside the file) as it is, a PNG picture
// wrapped in an icon directory; nothing for anything else (HTML, empty...).
std::optional<std::string> AsIconFile(std::string_view bytes);

} // namespace marlin
