#include "ButtonDrag.h"

#include "config/Messages.h"
#include "document/ButtonOperations.h"
#include "document/SharedInstanceState.h"
#include "platform/Environment.h"
#include "platform/Module.h"
#include "resources/resource.h"

#include <climits>
#include <utility>

namespace marlin {

namespace {

// A position no button has: the moved button goes to the end.
constexpr int kAfterLast = INT_MAX;
// On the first toolbar the home button and the search box hold positions 1 and 2.
constexpr int kLastFixedPosition = 2;
constexpr int kCursorSize = 28;

bool Protected(const std::wstring& kind) { return kind == L"1" || kind == L"9"; }

} // namespace

bool CButtonDrag::Draggable(int commandId) noexcept
{
    return commandId != kHomeCommand && commandId != static_cast<int>(kSignInCommand) && commandId != kChevronCommand;
}

bool CButtonDrag::SignedIn() const noexcept { return SharedState().IsLoggedIn != 0 && m_host.Document().signedIn; }

HCURSOR CButtonDrag::DragCursor()
{
    if (!m_cursor) {
        m_cursor.reset(static_cast<HCURSOR>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDC_DROP), IMAGE_CURSOR,
                                                         kCursorSize, kCursorSize, LR_DEFAULTCOLOR)));
    }
    return m_cursor.get();
}

bool CButtonDrag::OnNotify(const NMHDR& header, LRESULT& result)
{
    const bool fromRow = header.hwndFrom && header.hwndFrom == m_host.Row().hwnd();
    switch (header.code) {
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
        // The row's own customisation may go ahead (what it changes is put
        // right from the document); the sign-in strip's button stays.
        result = fromRow ? TRUE : FALSE;
        return true;
    case TBN_BEGINDRAG:
        if (!fromRow) return false;
        Begin(reinterpret_cast<const NMTOOLBARW&>(header).iItem);
        break;
    case TBN_ENDDRAG:
        if (!fromRow) return false;
        End(false);
        break;
    case TBN_BEGINADJUST:
    case TBN_ENDADJUST:
        // The row's customisation dialog: the row is put right once it has
        // closed, not under it.
        if (fromRow) m_adjusting = header.code == static_cast<UINT>(TBN_BEGINADJUST);
        if (fromRow && !m_adjusting && std::exchange(m_changedWhileAdjusting, false)) End(true);
        return false;
    case TBN_TOOLBARCHANGE:
        if (!fromRow) return false;
        if (m_adjusting) {
            m_changedWhileAdjusting = true;
        } else {
            End(true);
        }
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

void CButtonDrag::Begin(int commandId)
{
    m_dragged.reset();
    m_places.clear();
    if (!Draggable(commandId) || !SignedIn()) return;
    const CButtonRow& row = m_host.Row();
    std::optional<size_t> dragged;
    for (const ToolbarButton& button : row.Model()) {
        if (button.IsChevron()) continue;
        if (button.commandId == commandId) dragged = m_places.size();
        const RECT rect = row.IsHidden(button.commandId) ? RECT{} : row.ItemRect(button.commandId);
        m_places.push_back(Place{button.commandId, button.position, button.caption, button.url, button.kind, rect});
    }
    if (!dragged) {
        m_places.clear();
        return;
    }
    m_dragged = dragged;
    m_toolbar = m_host.Document().shownToolbar;
    if (HCURSOR cursor = DragCursor()) ::SetCursor(cursor);
}

void CButtonDrag::End(bool rowChanged)
{
    Outcome outcome;
    outcome.toolbar = m_toolbar;
    outcome.rowChanged = rowChanged;
    if (const std::optional<size_t> dragged = std::exchange(m_dragged, std::nullopt)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        Decide(*dragged, outcome);
    }
    m_places.clear();
    if (!outcome.moved && !outcome.deleted && !outcome.rowChanged) return;
    m_outcome = std::move(outcome);
    ::PostMessageW(m_host.OwnerWindow(), kDragEndedMessage, 0, 0);
}

void CButtonDrag::Decide(size_t dragged, Outcome& outcome) const
{
    const Place& source = m_places[dragged];
    HWND row = m_host.Row().hwnd();
    POINT cursor{};
    RECT bounds{};
    if (!row || !::GetCursorPos(&cursor) || !::GetWindowRect(row, &bounds)) return;
    if (!::PtInRect(&bounds, cursor)) {
        if (!Protected(source.kind)) outcome.deleted = source;
        return;
    }
    ::ScreenToClient(row, &cursor);
    std::optional<size_t> target;
    std::optional<LONG> lastRight;
    for (size_t i = 0; i < m_places.size(); ++i) {
        const RECT& rect = m_places[i].rect;
        if (::IsRectEmpty(&rect)) continue;
        lastRight = rect.right;
        if (cursor.x >= rect.left && cursor.x < rect.right) {
            target = i;
            break;
        }
    }
    const bool firstToolbar = m_toolbar == 0;
    if (target) {
        if (*target == dragged || (firstToolbar && m_places[*target].position <= kLastFixedPosition)) return;
        outcome.moved = source;
        if (*target < dragged) {
            outcome.before = m_places[*target].position;
        } else {
            outcome.before = *target + 1 < m_places.size() ? m_places[*target + 1].position : kAfterLast;
        }
    } else if (lastRight && cursor.x >= *lastRight && dragged + 1 < m_places.size()) {
        outcome.moved = source;
        outcome.before = kAfterLast;
    }
}

void CButtonDrag::OnClick(int commandId) noexcept
{
    if (!m_outcome || m_outcome->rowChanged) return;
    const std::optional<Place>& dragged = m_outcome->moved ? m_outcome->moved : m_outcome->deleted;
    if (dragged && dragged->commandId == commandId) m_outcome.reset();
}

bool CButtonDrag::StillShown(const Place& place) const noexcept
{
    const CButtonRow& row = m_host.Row();
    const std::optional<size_t> index = row.IndexOf(place.commandId);
    const ToolbarButton* button = index ? row.At(*index) : nullptr;
    return button && button->position == place.position && button->caption == place.caption;
}

void CButtonDrag::Finish()
{
    std::optional<Outcome> outcome = std::exchange(m_outcome, std::nullopt);
    if (!outcome) return;
    const RowDocument& document = m_host.Document();
    const int shown = document.shownToolbar;
    bool rebuild = outcome->rowChanged;
    if (SignedIn() && shown == outcome->toolbar && shown >= 0 &&
        shown < static_cast<int>(document.toolbarNames.size())) {
        // Copied: the row may be rebuilt while the question is shown.
        const ToolbarRef toolbar{document.toolbarNames[shown], shown + 1};
        if (outcome->moved && StillShown(*outcome->moved) &&
            CButtonOperations().MoveButtonWithinToolbar(toolbar, outcome->moved->position, outcome->before)) {
            RaiseChange(SharedState().ButtonsChanged);
            rebuild = true;
        }
        if (outcome->deleted) {
            const Place& button = *outcome->deleted;
            const std::wstring question = L"Are you sure you want to delete " + button.caption + L" Button?";
            const UINT flags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
            const ButtonIdentity identity{button.position, button.caption, button.url};
            if (Env().ShowMessageBox(m_host.OwnerWindow(), question, kCaption, flags) == IDYES &&
                CButtonOperations().DeleteButton(toolbar, identity)) {
                RaiseChange(SharedState().ButtonEditChanged);
                Env().Sleep(kDeletePause);
                rebuild = true;
            }
        }
    }
    if (rebuild) m_host.Rebuild(m_host.Document().shownToolbar);
}

bool CButtonDrag::RowBusy() const noexcept
{
    HWND row = m_host.Row().hwnd();
    return m_adjusting || (row && ::GetCapture() == row);
}

void CButtonDrag::Reset() noexcept
{
    m_adjusting = false;
    m_changedWhileAdjusting = false;
    m_dragged.reset();
    m_places.clear();
    m_outcome.reset();
}

} // namespace marlin
