#include "FloorBand.h"

#include "platform/Module.h"

#include <map>

namespace {

// A flat row of buttons with their text beside the icon, sized by the rebar.
constexpr DWORD kToolbarStyle =
    WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;

} // namespace

void* FloorBand::QueryExtraInterface(REFIID iid) noexcept
{
    if (iid == __uuidof(IOleWindow)) return static_cast<IOleWindow*>(static_cast<IDeskBand*>(this));
    if (iid == __uuidof(IDockingWindow)) return static_cast<IDockingWindow*>(static_cast<IDeskBand*>(this));
    return nullptr;
}

bool FloorBand::CreateToolbar(HWND parent)
{
    m_toolbar.reset(::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, kToolbarStyle, 0, 0, 0, 0, parent, nullptr,
                                      marlin::ModuleInstance(), nullptr));
    if (!m_toolbar) return false;
    HWND toolbar = m_toolbar.get();
    ::SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    // Each icon file is read once: buttons with the same icon share its image.
    const std::vector<FloorButton>& buttons = *m_buttons;
    m_images.reset(::ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4));
    std::map<std::wstring, int> imageOf;
    std::vector<TBBUTTON> entries(buttons.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto [known, added] = imageOf.try_emplace(buttons[i].iconPath, -1);
        if (added && m_images) {
            marlin::unique_hicon icon(static_cast<HICON>(
                ::LoadImageW(nullptr, buttons[i].iconPath.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
            if (icon) known->second = ::ImageList_ReplaceIcon(m_images.get(), -1, icon.get());
        }
        TBBUTTON& entry = entries[i];
        entry.iBitmap = known->second >= 0 ? known->second : I_IMAGENONE;
        entry.idCommand = static_cast<int>(i + 1);
        entry.fsState = TBSTATE_ENABLED;
        entry.fsStyle = BTNS_AUTOSIZE;
        entry.iString = reinterpret_cast<INT_PTR>(buttons[i].caption.c_str());
    }
    ::SendMessageW(toolbar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.get()));
    ::SendMessageW(toolbar, TB_ADDBUTTONSW, entries.size(), reinterpret_cast<LPARAM>(entries.data()));
    m_ideal = SIZE{};
    ::SendMessageW(toolbar, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&m_ideal));
    return true;
}

void FloorBand::DestroyToolbar() noexcept
{
    m_toolbar.reset();
    m_images.reset();
}

// IOleWindow

STDMETHODIMP FloorBand::GetWindow(HWND* window) noexcept
{
    if (!window) return E_INVALIDARG;
    *window = m_toolbar.get();
    return m_toolbar ? S_OK : E_FAIL;
}

STDMETHODIMP FloorBand::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

// IDockingWindow

STDMETHODIMP FloorBand::ShowDW(BOOL show) noexcept
{
    if (m_toolbar) ::ShowWindow(m_toolbar.get(), show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP FloorBand::CloseDW(DWORD) noexcept
{
    ShowDW(FALSE);
    DestroyToolbar();
    return S_OK;
}

STDMETHODIMP FloorBand::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept { return E_NOTIMPL; }

// IDeskBand

STDMETHODIMP FloorBand::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) noexcept
{
    if (!info) return E_INVALIDARG;
    const auto buttonSize = m_toolbar ? static_cast<DWORD>(::SendMessageW(m_toolbar.get(), TB_GETBUTTONSIZE, 0, 0)) : 0;
    const LONG height = HIWORD(buttonSize);
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = POINTL{static_cast<LONG>(LOWORD(buttonSize)), height};
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = POINTL{-1, height};
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = POINTL{1, 1};
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = POINTL{m_ideal.cx, height};
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_NORMAL;
    info->dwMask &= ~static_cast<DWORD>(DBIM_TITLE | DBIM_BKCOLOR);
    return S_OK;
}

// IObjectWithSite

STDMETHODIMP FloorBand::SetSite(IUnknown* site) noexcept
{
    return marlin::ComBoundary([&]() -> HRESULT {
        DestroyToolbar();
        m_site.Reset();
        if (!site) return S_OK;
        marlin::ComPtr<IOleWindow> siteWindow;
        HWND parent = nullptr;
        if (FAILED(site->QueryInterface(IID_PPV_ARGS(&siteWindow))) || FAILED(siteWindow->GetWindow(&parent)) ||
            !parent) {
            return E_FAIL;
        }
        if (FAILED(site->QueryInterface(IID_PPV_ARGS(&m_site)))) return E_FAIL;
        return CreateToolbar(parent) ? S_OK : E_FAIL;
    });
}

STDMETHODIMP FloorBand::GetSite(REFIID iid, void** site) noexcept
{
    if (!site) return E_POINTER;
    *site = nullptr;
    return m_site ? m_site->QueryInterface(iid, site) : E_FAIL;
}

// IInputObject

STDMETHODIMP FloorBand::UIActivateIO(BOOL activate, MSG*) noexcept
{
    if (activate && m_toolbar) ::SetFocus(m_toolbar.get());
    return S_OK;
}

STDMETHODIMP FloorBand::HasFocusIO() noexcept
{
    HWND focus = ::GetFocus();
    return m_toolbar && focus && (focus == m_toolbar.get() || ::IsChild(m_toolbar.get(), focus)) ? S_OK : S_FALSE;
}

STDMETHODIMP FloorBand::TranslateAcceleratorIO(MSG*) noexcept { return S_FALSE; }
