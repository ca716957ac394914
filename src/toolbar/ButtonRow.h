#pragma once
// The row of buttons of the active toolbar: an inner toolbar control holding
// the model's records at their fixed positions (the home button, separators
// 112, 113 as the search box's gap and 114, the other buttons, the hidden
// chevron 65000), their images, and the overflow: buttons that do not fit are
// hidden behind the chevron.
#include "IconCache.h"
#include "ToolbarModel.h"

#include "platform/ToolbarControl.h"
#include "platform/UniqueHandle.h"

#include <optional>
#include <vector>

namespace marlin {

// Plug-in pictures wider than the row's icons get an image list of their own
// (numbered from 1), at most this wide, and their caption is moved right by
// one blank per kWideImagePixelsPerBlank pixels so the picture does not cover it.
inline constexpr int kMaxWideImageWidth = 200;
inline constexpr int kWideImagePixelsPerBlank = 6;

// An inner toolbar control (the row or the sign-in strip) in `parent` at `rect`,
// with the toolbar window's own style; null when it cannot be made.
HWND CreateInnerToolbar(HWND parent, const RECT& rect);

class CButtonRow {
public:
    CButtonRow() = default;
    CButtonRow(const CButtonRow&) = delete;
    CButtonRow& operator=(const CButtonRow&) = delete;
    ~CButtonRow() { Destroy(); }

    // Shows `model` in a row of height `rowHeight`, creating the row's window
    // in `parent` at `createRect` the first time. False when the window cannot be made.
    bool Show(HWND parent, const RECT& createRect, std::vector<ToolbarButton> model, int rowHeight);
    // Places the row at `place` (the parent's coordinates) and hides, from the
    // first button within whose reach `limit` lies, what does not fit. The
    // move repaints nothing: true when the row moved and its parent must
    // invalidate.
    bool Layout(const RECT& place, int limit);
    void Destroy() noexcept;

    // The records as shown, ending with the chevron.
    const std::vector<ToolbarButton>& Model() const noexcept { return m_model; }
    const ToolbarButton* At(size_t index) const noexcept { return index < m_model.size() ? &m_model[index] : nullptr; }
    std::optional<size_t> IndexOf(int commandId) const noexcept;
    std::vector<size_t> HiddenIndexes() const;
    size_t HiddenCount() const noexcept { return m_hiddenCount; }
    int ChevronWidth() const noexcept { return m_chevronWidth; }

    // Gives the record at `index` a new caption; the row is measured anew and
    // the next Layout applies the overflow again.
    void SetCaption(size_t index, const std::wstring& caption);
    void DisableButton(int commandId) const noexcept { m_control.EnableButton(commandId, false); }

    // Where the search box goes: between the home button and separator 114,
    // in the parent's coordinates.
    RECT SearchGap() const noexcept;
    // The screen point below an item, where its menu opens.
    POINT BelowItem(int commandId) const noexcept;
    RECT ItemRect(int commandId) const noexcept { return m_control.ItemRect(commandId); }
    bool IsHidden(int commandId) const noexcept { return m_control.IsButtonHidden(commandId); }
    HWND hwnd() const noexcept { return m_control.hwnd(); }
    HWND Tooltips() const noexcept { return m_control.Tooltips(); }
    // The image list with this number (0: the row's icons; 1 on: wide pictures).
    HIMAGELIST ImageList(int number) const noexcept;
    // The text the row shows for a record: its caption, after a wide picture's blanks.
    std::wstring ShownCaption(size_t index) const;

private:
    static constexpr size_t kAllShown = static_cast<size_t>(-1);
    // Past this many show/hide changes, adding the buttons afresh is cheaper.
    static constexpr int kFewButtons = 16;

    HWND CreateRowWindow() const;
    void LoadImages();
    void ClearButtons();
    // Adds the records, those from `hiddenFrom` on hidden (with the chevron shown).
    void Populate(size_t hiddenFrom);
    void ApplyOverflow(size_t hiddenFrom);

    ToolbarControl m_control;
    HWND m_parent = nullptr;
    RECT m_createRect{};
    int m_rowHeight = 16;
    std::vector<ToolbarButton> m_model;
    std::vector<ButtonIconRef> m_icons;      // the row's pictures, held while the row shows them
    unique_himagelist m_images;              // what the control shows
    unique_himagelist m_nextImages;          // built, not yet handed to the control
    std::vector<unique_himagelist> m_wideImages;     // lists 1 on, one per wide picture
    std::vector<unique_himagelist> m_nextWideImages; // built, not yet handed to the control
    std::vector<RECT> m_fullRects;           // each record's place with every record shown
    size_t m_hiddenFrom = kAllShown;         // the first record hidden behind the chevron
    size_t m_hiddenCount = 0;
    int m_chevronWidth = 0;
    int m_chevronHeight = 0;                 // the row height the chevron was measured at
};

} // namespace marlin
