#include "MarlinToolbarCtrl.h"

#include "config/ApplicationSettings.h"
#include "config/Messages.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "platform/Module.h"
#include "platform/Strings.h"
#include "resources/resource.h"

#include <algorithm>
#include "IconCache.h"
#include "ToolbarGlobals.h"
#include "platform/Environment.h"

using namespace marlin;

namespace {

// The browser cannot block pop-ups on IE 6 of XP SP2, nor in protected mode.
bool PopupBlockerOn(const std::wstring& browserVersion)
{
    return g_PopupMgr > 0 && browserVersion.find(L"6.0.2800") == std::wstring::npos && g_bProtectedMode != 1;
}

} // namespace

HWND CMarlinToolbarCtrl::CreateIn(HWND parent, const RECT& rect)
{
    m_createRect = rect;
    return Create(parent, rect, L"", kStyle, 0, kControlId);
}

LRESULT CMarlinToolbarCtrl::OnCreate(WPARAM wParam, LPARAM lParam, bool&)
{
    const LRESULT created = DefaultProc(WM_CREATE, wParam, lParam);
    if (created == -1) return -1;
    try {
        ::SendMessageW(hwnd(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        m_startup = InitializeToolbarDocuments(hwnd());
        if (m_startup.pathFound) {
            auto document = LoadToolbarDocument(m_startup.currentDocumentPath);
            const int tabs = document ? static_cast<int>(TabElements(*document).size()) : 0;
            // Signed in, the current document is the login document: no second parse.
            const int defaultToolbar = document && m_startup.loginDocument ? DefaultToolbarOf(*document)
                                                                          : GetDefaultToolbar();
            ApplyDefaultToolbar(defaultToolbar, tabs);
            // The document just read is the one of the stored sign-in state.
            if (document) BuildRow(SharedState().CurrentToolbar, *document);
        }
        g_pToolbarCtrl = this;
    } catch (...) {
        Env().ShowMessageBox(hwnd(),
                             L"Problem in MarlinToolbar Toolbar..... Please Install again or report error to the vendor",
                             kCaption, MB_OK | MB_ICONWARNING);
    }
    return created;
}

void CMarlinToolbarCtrl::RefreshToolbar(int index)
{
    const bool signedIn = StoredSignInState() == L"1";
    const std::wstring path = signedIn ? LoginDocumentPath() : BasicDocumentPath();
    if (auto document = LoadToolbarDocument(path)) BuildRow(index, *document);
}

void CMarlinToolbarCtrl::BuildRow(int index, const XmlDocument& document)
{
    const std::vector<XmlElement> tabs = TabElements(document);
    if (index < 0 || index >= static_cast<int>(tabs.size())) index = 0;
    const std::wstring name = tabs.empty() ? std::wstring() : AttributeText(tabs[index].Get(), L"Name");

    if (!m_buttons) {
        RECT rect = m_createRect;
        m_buttons = ::CreateWindowExW(WS_EX_TRANSPARENT, TOOLBARCLASSNAMEW, L"", kStyle, rect.left, rect.top,
                                      rect.right - rect.left, rect.bottom - rect.top, hwnd(), nullptr,
                                      ModuleInstance(), nullptr);
        if (!m_buttons) return;
    }
    ToolbarModelContext context{m_startup.paths.imageFolder, PopupBlockerOn(m_startup.paths.browserVersion), nullptr};
    m_model = LoadToolbarButtons(document, name, Format(L"%d", index + 1), context);
    PopulateButtons();
    PlaceSearchPlaceholder();
    LayoutButtons(m_size.cx, m_size.cy);
}

void CMarlinToolbarCtrl::PopulateButtons()
{
    ::SendMessageW(m_buttons, WM_SETREDRAW, FALSE, 0);
    while (::SendMessageW(m_buttons, TB_DELETEBUTTON, 0, 0)) {
    }
    ::SendMessageW(m_buttons, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    ::SendMessageW(m_buttons, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(m_buttons, TB_SETMAXTEXTROWS, 1, 0);

    // Each record's icon: its file, or the built-in icon when the file does
    // not load (loaded once per build), or none.
    HICON builtIn = nullptr;
    std::vector<HICON> icons;
    int next = 0;
    for (ToolbarButton& button : m_model) {
        button.imageList = 0;
        button.imageIndex = -1;
        HICON icon = nullptr;
        if (!button.iconPath.empty()) {
            icon = button.iconExists ? CachedButtonIcon(button.iconPath) : nullptr;
            if (!icon) {
                // A shared resource icon belongs to the system; it is not destroyed.
                if (!builtIn) {
                    builtIn = static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_DEFAULT_BUTTON),
                                                              IMAGE_ICON, 16, 16, LR_SHARED));
                }
                icon = builtIn;
            }
        }
        if (icon) button.imageIndex = next++;
        icons.push_back(icon);
    }
    // The old lists go once the toolbar no longer refers to them.
    std::vector<unique_himagelist> lists;
    lists.emplace_back(ImageListOf(icons));
    ::SendMessageW(m_buttons, CCM_SETVERSION, 5, 0);
    ::SendMessageW(m_buttons, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(lists[0].get()));
    m_imageLists = std::move(lists);
    ::SendMessageW(m_buttons, TB_SETPADDING, 0, MAKELPARAM(8, 0));

    std::vector<TBBUTTON> entries;
    auto add = [&](const ToolbarButton& button, BYTE style, BYTE state) {
        TBBUTTON entry{};
        entry.iBitmap = button.imageIndex >= 0 ? MAKELONG(button.imageIndex, button.imageList) : I_IMAGENONE;
        entry.idCommand = button.commandId;
        entry.fsState = state;
        entry.fsStyle = style;
        entry.iString = reinterpret_cast<INT_PTR>(button.caption.c_str());
        entries.push_back(entry);
    };
    auto separator = [&](int command) {
        TBBUTTON entry{};
        entry.iBitmap = -1;
        entry.idCommand = command;
        entry.fsStyle = BTNS_SEP;
        entry.iString = -1;
        entries.push_back(entry);
    };
    for (size_t i = 0; i < m_model.size(); ++i) {
        const ToolbarButton& button = m_model[i];
        if (button.IsChevron()) {
            add(button, kStylePlain, TBSTATE_HIDDEN);
        } else {
            add(button, ButtonStyle(button, i == 0), button.enabled ? TBSTATE_ENABLED : 0);
        }
        if (i == 0) {
            separator(kSeparatorAfterHome);
            separator(kSearchPlaceholder);
            separator(kSeparatorAfterSearch);
        }
    }
    ::SendMessageW(m_buttons, TB_ADDBUTTONSW, entries.size(), reinterpret_cast<LPARAM>(entries.data()));
    ::SendMessageW(m_buttons, TB_SETBUTTONSIZE, 0, MAKELPARAM(81, m_rowHeight));
    TBBUTTONINFOW placeholder{sizeof(placeholder)};
    placeholder.dwMask = TBIF_SIZE;
    placeholder.cx = kSearchPlaceholderWidth;
    ::SendMessageW(m_buttons, TB_SETBUTTONINFOW, kSearchPlaceholder, reinterpret_cast<LPARAM>(&placeholder));
    ::SendMessageW(m_buttons, WM_SETREDRAW, TRUE, 0);
}

RECT CMarlinToolbarCtrl::ItemRect(int commandId) const noexcept
{
    RECT rect{};
    ::SendMessageW(m_buttons, TB_GETRECT, commandId, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void CMarlinToolbarCtrl::PlaceSearchPlaceholder()
{
    // The search box lies between the home button and the separator after it.
    const RECT home = ItemRect(m_model.empty() || m_model.front().IsChevron() ? 0 : m_model.front().commandId);
    const RECT after = ItemRect(kSeparatorAfterSearch);
    const RECT place{home.right + 1, home.top, after.left - 1, home.bottom};
    if (!m_searchPlaceholder) {
        m_searchPlaceholder = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_buttons,
                                                nullptr, ModuleInstance(), nullptr);
    }
    ::MoveWindow(m_searchPlaceholder, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
}

void CMarlinToolbarCtrl::LayoutButtons(int width, int height)
{
    if (width > 0) m_size = SIZE{width, height};
    if (!m_buttons) return;
    int available = m_size.cx;
    SHANDLE_PTR frame = 0;
    if (m_browser && SUCCEEDED(m_browser->get_HWND(&frame)) && frame) {
        RECT client{};
        if (::GetClientRect(reinterpret_cast<HWND>(frame), &client)) available = client.right - client.left;
    }
    ::MoveWindow(m_buttons, 0, 2, std::max(available - 12, 0), 24, TRUE);

    // The chevron's width is measured by showing it once.
    ::SendMessageW(m_buttons, TB_HIDEBUTTON, kChevronCommand, FALSE);
    const RECT chevron = ItemRect(kChevronCommand);
    const int chevronWidth = chevron.right - chevron.left;
    const int limit = m_size.cx - chevronWidth;

    m_hiddenCount = 0;
    bool overflowing = false;
    for (size_t i = 0; i < m_model.size(); ++i) {
        const ToolbarButton& button = m_model[i];
        if (button.IsChevron()) continue;
        if (overflowing) {
            ::SendMessageW(m_buttons, TB_HIDEBUTTON, button.commandId, TRUE);
            ++m_hiddenCount;
            continue;
        }
        ::SendMessageW(m_buttons, TB_HIDEBUTTON, button.commandId, FALSE);
        const RECT rect = ItemRect(button.commandId);
        if (i > 0 && rect.left <= limit && limit <= rect.right + chevronWidth) {
            overflowing = true;
            ::SendMessageW(m_buttons, TB_HIDEBUTTON, button.commandId, TRUE);
            ++m_hiddenCount;
        }
    }
    ::SendMessageW(m_buttons, TB_HIDEBUTTON, kChevronCommand, overflowing ? FALSE : TRUE);
    if (m_searchPlaceholder) PlaceSearchPlaceholder();
}

const ToolbarButton* CMarlinToolbarCtrl::GetButton(size_t index) const noexcept
{
    return index < m_model.size() ? &m_model[index] : nullptr;
}

LRESULT CMarlinToolbarCtrl::OnSize(WPARAM, LPARAM lParam, bool& handled)
{
    LayoutButtons(LOWORD(lParam), HIWORD(lParam));
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnNotify(WPARAM, LPARAM lParam, bool& handled)
{
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header || header->code != TTN_GETDISPINFOW) {
        handled = false;
        return 0;
    }
    auto* request = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    for (const ToolbarButton& button : m_model) {
        if (static_cast<UINT_PTR>(button.commandId) != header->idFrom || button.toolTip.empty()) continue;
        m_tooltip = TooltipText(button.toolTip);
        request->lpszText = m_tooltip.data();
        request->uFlags |= TTF_DI_SETITEM;
        break;
    }
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnMouseMove(WPARAM, LPARAM, bool& handled)
{
    m_mouseMoved = true;
    handled = false;
    return 0;
}

LRESULT CMarlinToolbarCtrl::OnDestroy(WPARAM, LPARAM, bool& handled)
{
    if (g_pToolbarCtrl == this) g_pToolbarCtrl = nullptr;
    m_browser.Reset();
    // The inner toolbar goes with this window; the image lists go after it.
    if (m_buttons) ::DestroyWindow(m_buttons);
    m_buttons = nullptr;
    m_searchPlaceholder = nullptr;
    m_imageLists.clear();
    m_model.clear();
    handled = false;
    return 0;
}

void CMarlinToolbarCtrl::Repaint() noexcept
{
    if (hwnd()) ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CMarlinToolbarCtrl::ReleaseBandResources() noexcept
{
    m_browser.Reset();
}
