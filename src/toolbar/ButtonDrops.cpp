#include "ButtonDrops.h"

#include "DragDropButtonInfo.h"
#include "DropRules.h"
#include "FaviconDownload.h"
#include "config/InstallPaths.h"
#include "document/ButtonOperations.h"
#include "document/SignIn.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace marlin {

namespace {

constexpr int kLinkKind = 0;
constexpr int kFileKind = 3;
// AddButton appends when no button has this number.
constexpr int kAppendPosition = 0;

} // namespace

bool CButtonDrops::SignedIn() const
{
    // The window may have gone while a dialog was open (the browser closed).
    return ::IsWindow(m_host.OwnerWindow()) && StoredSignInState() == L"1" && m_host.Document().signedIn;
}

bool CButtonDrops::Dropped(DroppedData data)
{
    if (!SignedIn()) return false;
    // Text that is no address adds nothing; files are offered all the same.
    if (data.text && !DroppedLinkOf(*data.text)) data.text.reset();
    if (!data.text && data.files.empty()) return false;
    m_pending.push_back(std::move(data));
    if (m_running) {
        // A drop arriving while the dialog of an earlier one is open runs after it.
        ::PostMessageW(m_host.OwnerWindow(), kRunDropsMessage, 0, 0);
    } else {
        RunPendingDrops();
    }
    return true;
}

void CButtonDrops::RunPendingDrops()
{
    // A drop arriving while a dialog of an earlier one is open waits its turn.
    if (m_running) return;
    m_running = true;
    ScopeExit done([this] { m_running = false; });
    while (!m_pending.empty() && ::IsWindow(m_host.OwnerWindow())) {
        DroppedData drop = std::move(m_pending.front());
        m_pending.pop_front();
        if (drop.text) AddLinkButton(*drop.text, false);
        for (const std::wstring& path : drop.files) AddFileButton(path);
    }
}

bool CButtonDrops::Append(const std::wstring& caption, const std::wstring& icon, const std::wstring& toolTip,
                          const std::wstring& url, int kind)
{
    const RowDocument& document = m_host.Document();
    if (!document.signedIn || document.shownToolbar < 0 ||
        document.shownToolbar >= static_cast<int>(document.toolbarNames.size())) {
        return false;
    }
    const int shown = document.shownToolbar;
    const ToolbarRef toolbar{document.toolbarNames[static_cast<size_t>(shown)], shown + 1};
    if (!CButtonOperations().AddButton(toolbar, kAppendPosition, NewButton{caption, icon, toolTip, url, kind})) {
        return false;
    }
    m_host.Rebuild(shown);
    m_host.ButtonsChangedHere();
    return true;
}

bool CButtonDrops::AddLinkButton(const std::wstring& address, bool fromPage)
{
    if (!SignedIn()) return false;
    const auto link = DroppedLinkOf(address);
    if (!link) return false;
    CDragDropButtonInfo dialog(CDragDropButtonInfo::Mode::AddButton, {link->host, link->address, link->address});
    if (dialog.DoModal(m_host.OwnerWindow()) != IDOK || !SignedIn()) return false;
    const ButtonInfoTexts& texts = dialog.Texts();

    // The toolbar reads icons from its image folder; in protected mode that is
    // the installation's, which the browser cannot write: the icon goes into
    // the writable copy's and the API host is told to copy it over.
    const std::wstring readFolder = m_host.Startup().paths.imageFolder;
    const std::wstring imageFolder = g_bProtectedMode == 1 ? g_ApplicationPath.get() + L"Images\\" : readFolder;
    if (g_bProtectedMode == 1) EnsureFolder(imageFolder);
    const bool google = IsGoogleHost(link->host);
    const std::wstring icon = google ? std::wstring(kGoogleIcon) : ReserveIconFile(imageFolder, texts.name, readFolder);
    if (!Append(texts.name, icon, texts.middle, texts.url, kLinkKind)) {
        if (!google && !icon.empty()) ::DeleteFileW((imageFolder + icon).c_str()); // ours, still empty
        return false;
    }
    if (google || icon.empty()) return true;

    FaviconRequest request;
    request.addresses.push_back(L"http://" + link->host + L"/favicon.ico");
    if (fromPage) request.addresses.push_back(L"http://" + FaviconServiceHost() + kFaviconServicePath + link->host);
    request.targetPath = imageFolder + icon;
    request.iconName = icon;
    request.notify = m_host.OwnerWindow();
    request.message = kFaviconArrivedMessage;
    StartFaviconDownload(std::move(request));
    return true;
}

bool CButtonDrops::AddFileButton(const std::wstring& path)
{
    if (!SignedIn() || path.empty() || path.size() > kMaxDroppedAddress) return false;
    const size_t slash = path.find_last_of(L'\\');
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (Trim(name).empty()) name = path; // a drive's root ("C:\")
    CDragDropButtonInfo dialog(CDragDropButtonInfo::Mode::AddButton, {name, path, path});
    if (dialog.DoModal(m_host.OwnerWindow()) != IDOK || !SignedIn()) return false;
    const ButtonInfoTexts& texts = dialog.Texts();
    // Wildcards would make a look-up find another file: such a path is a file.
    const DWORD attributes = texts.url.find_first_of(L"*?") == std::wstring::npos
                                 ? ::GetFileAttributesW(texts.url.c_str())
                                 : INVALID_FILE_ATTRIBUTES;
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return Append(texts.name, folder ? kDropFolderIcon : kDropFileIcon, texts.middle, texts.url, kFileKind);
}

} // namespace marlin
