#pragma once
// Reordering and deleting buttons by dragging them along the button row. The
// row reports a press on a button as the start of a drag and its release as
// the end: while signed in, a drag of any button but the home button, the
// chevron and the sign-in button shows the drop cursor, and where the cursor
// is at the release decides. Inside the row's window, over another button the
// dragged button takes that button's place (before it when it came from the
// right, after it when from the left); right of the last button it goes to
// the end; over the separators and the search place, or over the first two
// places of the first toolbar (its home button and search box), nothing
// happens. Outside the row's window the user is asked whether to delete it,
// unless it is a plug-in or built-in button.
//
// The edit, the question and the rebuild wait until the row has finished with
// the release (a message posted to the toolbar window): the row may not be
// rebuilt under its own mouse handling. Whatever the row's own customisation
// (a Shift drag, its dialog) did to it is put right from the document the same
// way, after its dialog has closed.
#include "ToolbarCommands.h"

#include "platform/UniqueHandle.h"

#include <optional>
#include <string>
#include <vector>

namespace marlin {

class CButtonDrag {
public:
    // Posted to the toolbar window when a drag has ended; its handler calls Finish.
    static constexpr UINT kDragEndedMessage = WM_APP + 0x1D0;
    static constexpr int kHomeCommand = 1;
    static constexpr DWORD kDeletePause = 500;

    explicit CButtonDrag(IToolbarCommandHost& host) noexcept : m_host(host) {}
    CButtonDrag(const CButtonDrag&) = delete;
    CButtonDrag& operator=(const CButtonDrag&) = delete;

    // A notification from a child of the toolbar window: true when it was one
    // of the drag's, with the answer in `result`.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    // The row reports a click on `commandId`: the drag that just ended was
    // released on the button it began on, whatever the cursor says.
    void OnClick(int commandId) noexcept;
    // Carries out what the last drag ended in.
    void Finish();
    // The window is going.
    void Reset() noexcept;
    // Whether the row is inside its own mouse handling or customisation,
    // when it may not be rebuilt.
    bool RowBusy() const noexcept;

    // Whether the button `commandId` can be dragged at all: not the home
    // button, the sign-in button or the chevron.
    static bool Draggable(int commandId) noexcept;

private:
    // A row record as it was when the drag began.
    struct Place {
        int commandId = 0;
        int position = 0;
        std::wstring caption;
        std::wstring url;
        std::wstring kind;
        RECT rect{}; // in the row's client area; empty while hidden
    };
    struct Outcome {
        int toolbar = 0;               // the toolbar the row showed
        std::optional<Place> moved;
        int before = 0;                // the position the moved button goes before
        std::optional<Place> deleted;  // offered for deletion
        bool rowChanged = false;       // the row rearranged itself (its own customisation)
    };

    void Begin(int commandId);
    void End(bool rowChanged);
    // Where the dragged button goes, from the cursor's position.
    void Decide(size_t dragged, Outcome& outcome) const;
    bool SignedIn() const noexcept;
    // Whether the row still shows `place` as it was.
    bool StillShown(const Place& place) const noexcept;
    HCURSOR DragCursor();

    IToolbarCommandHost& m_host;
    unique_hcursor m_cursor;
    std::optional<size_t> m_dragged;   // index into m_places
    std::vector<Place> m_places;
    int m_toolbar = 0;
    std::optional<Outcome> m_outcome;  // posted, not yet carried out
    bool m_adjusting = false;          // the row's customisation dialog is open
    bool m_changedWhileAdjusting = false;
};

} // namespace marlin
