#include "SignInStrip.h"

#include "RowLayout.h"
#include "ButtonRow.h"
#include "ToolbarMenus.h"

namespace marlin {

namespace {

constexpr wchar_t kSignInText[] = L"SignIn";
constexpr wchar_t kSignOutText[] = L"SignOut";

} // namespace

void CSignInStrip::Show(HWND parent, const RECT& createRect, bool signedIn, const std::wstring& picture, int rowHeight)
{
    if (m_control && picture == m_picture && rowHeight == m_height) return;
    if (!m_control) {
        m_control = ToolbarControl(CreateInnerToolbar(parent, createRect));
        if (!m_control) return;
        m_control.Prepare(TBSTYLE_EX_MIXEDBUTTONS);
    } else {
        m_control.DeleteAllButtons();
    }
    m_picture = picture;
    m_height = rowHeight;
    ButtonIconRef icon = CachedButtonIcon(picture);
    unique_himagelist images(icon ? ImageListOf({icon}) : nullptr);
    m_control.SetImageList(images.get());
    m_images = std::move(images);
    m_icon = std::move(icon);

    TBBUTTON button{};
    button.iBitmap = m_icon ? 0 : I_IMAGENONE;
    button.idCommand = kSignInCommand;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = kStylePlain;
    button.iString = reinterpret_cast<INT_PTR>(signedIn ? kSignOutText : kSignInText);
    m_control.AddButtons(&button, 1);
    m_control.SetButtonSize(60, rowHeight);
    ::ShowWindow(m_control.hwnd(), SW_SHOWNA);
}

bool CSignInStrip::Place(const RECT& place) const noexcept { return PlaceChild(m_control.hwnd(), place); }

void CSignInStrip::Repaint() const noexcept
{
    if (m_control) ::RedrawWindow(m_control.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CSignInStrip::Destroy() noexcept
{
    if (HWND window = m_control.hwnd()) ::DestroyWindow(window);
    m_control = ToolbarControl();
    m_images.reset();
    m_icon.reset();
    m_picture.clear();
    m_height = 0;
}

int CSignInStrip::ButtonWidth() const noexcept
{
    if (!m_control) return 0;
    const RECT rect = m_control.ItemRect(kSignInCommand);
    return rect.right - rect.left;
}

} // namespace marlin
