#include "ButtonRow.h"

#include "RowLayout.h"

#include "platform/Module.h"

#include <algorithm>
#include <map>

namespace marlin {

namespace {

// WS_CHILD | WS_VISIBLE | WS_TABSTOP | TBSTYLE_TRANSPARENT | TBSTYLE_CUSTOMERASE | TBSTYLE_LIST |
// TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP
constexpr DWORD kRowStyle = 0x5001B96D;

// A picture wider than the row's icons in a list of its own: one pixel wider
// than the picture (at most kMaxWideImageWidth) and as high as the icons.
unique_himagelist WideImageList(HICON picture, int width)
{
    unique_himagelist list(::ImageList_Create(width + 1, 16, ILC_COLOR24 | ILC_MASK, 1, 1));
    if (list && ::ImageList_ReplaceIcon(list.get(), -1, picture) < 0) list.reset();
    return list;
}

int WideWidth(const ToolbarButton& button)
{
    if (!button.pluginImage || button.pluginImageWidth <= 16) return 0;
    return std::min(button.pluginImageWidth, kMaxWideImageWidth);
}

} // namespace

HWND CreateInnerToolbar(HWND parent, const RECT& rect)
{
    // Clipped by its siblings: the search box lies above the row's gap, and
    // the row's painting must not cover it.
    return ::CreateWindowExW(WS_EX_TRANSPARENT, TOOLBARCLASSNAMEW, L"", kRowStyle | WS_CLIPSIBLINGS, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, ModuleInstance(), nullptr);
}

HWND CButtonRow::CreateRowWindow() const { return CreateInnerToolbar(m_parent, m_createRect); }

bool CButtonRow::Show(HWND parent, const RECT& createRect, std::vector<ToolbarButton> model, int rowHeight)
{
    m_parent = parent;
    m_createRect = createRect;
    if (!m_control) {
        m_control = ToolbarControl(CreateRowWindow());
        if (!m_control) return false;
    }
    m_model = std::move(model);
    m_rowHeight = rowHeight;
    LoadImages();
    Populate(kAllShown);
    return true;
}

void CButtonRow::Destroy() noexcept
{
    if (HWND window = m_control.hwnd()) ::DestroyWindow(window);
    m_control = ToolbarControl();
    // The lists go after the window that shows them.
    m_images.reset();
    m_nextImages.reset();
    m_wideImages.clear();
    m_nextWideImages.clear();
    m_icons.clear();
    m_model.clear();
    m_fullRects.clear();
    m_hiddenFrom = kAllShown;
    m_hiddenCount = 0;
}

void CButtonRow::LoadImages()
{
    // Each record's icon: its file, or the built-in icon when the file does
    // not load, or none. Records with the same icon share its image.
    ButtonIconRef builtIn;
    std::vector<ButtonIconRef> icons;
    std::map<const ButtonIcon*, int> indexOf;
    std::map<std::wstring, ButtonIconRef> loaded; // each file is looked up once per build
    std::vector<unique_himagelist> wide;
    std::vector<ButtonIconRef> widePictures;
    for (ToolbarButton& button : m_model) {
        button.imageList = 0;
        button.imageIndex = -1;
        if (const int width = WideWidth(button)) {
            if (unique_himagelist list = WideImageList(button.pluginImage->get(), width)) {
                wide.push_back(std::move(list));
                widePictures.push_back(button.pluginImage);
                button.imageList = static_cast<int>(wide.size());
                button.imageIndex = 0;
                continue;
            }
        }
        ButtonIconRef icon = button.pluginImage;
        if (!icon && button.iconPath.empty()) continue;
        if (!icon && button.iconExists) {
            auto [known, added] = loaded.try_emplace(button.iconPath);
            if (added) known->second = CachedButtonIcon(button.iconPath);
            icon = known->second;
        }
        if (!icon) {
            if (!builtIn) builtIn = BuiltInButtonIcon();
            icon = builtIn;
        }
        if (!icon) continue;
        auto [known, added] = indexOf.try_emplace(icon.get(), static_cast<int>(icons.size()));
        if (added) icons.push_back(icon);
        button.imageIndex = known->second;
    }
    // The old list goes once the control no longer refers to it (Populate).
    m_nextImages.reset(ImageListOf(icons));
    m_nextWideImages = std::move(wide);
    icons.insert(icons.end(), widePictures.begin(), widePictures.end());
    m_icons = std::move(icons);
}

void CButtonRow::ClearButtons()
{
    if (m_control.ButtonCount() <= kFewButtons) {
        m_control.DeleteAllButtons();
        return;
    }
    // Each removal lays the whole row out again: for a long row a fresh
    // window is far cheaper. It takes the old one's place and z-order.
    HWND fresh = CreateRowWindow();
    if (!fresh) {
        m_control.DeleteAllButtons();
        return;
    }
    HWND old = m_control.hwnd();
    RECT place{};
    ::GetWindowRect(old, &place);
    ::MapWindowPoints(HWND_DESKTOP, m_parent, reinterpret_cast<POINT*>(&place), 2);
    ::SetWindowPos(fresh, old, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOACTIVATE | SWP_NOREDRAW);
    ::DestroyWindow(old);
    m_control = ToolbarControl(fresh);
}

void CButtonRow::Populate(size_t hiddenFrom)
{
    m_control.SetRedraw(false);
    ClearButtons();
    m_control.SetRedraw(false);
    m_control.Prepare(TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    if (m_nextImages) {
        // The wide lists first: the row takes its image size from the last
        // list it is given, and every button but the wide ones is 16 wide.
        for (size_t i = 0; i < m_nextWideImages.size(); ++i) {
            m_control.SetImageList(m_nextWideImages[i].get(), static_cast<int>(i) + 1);
        }
        for (size_t i = m_nextWideImages.size(); i < m_wideImages.size(); ++i) {
            m_control.SetImageList(nullptr, static_cast<int>(i) + 1);
        }
        m_control.SetImageList(m_nextImages.get());
        m_images = std::move(m_nextImages);
        m_wideImages = std::move(m_nextWideImages);
        m_nextWideImages.clear();
    } else {
        // A fresh row window (ClearButtons) has none of them yet.
        for (size_t i = 0; i < m_wideImages.size(); ++i) {
            m_control.SetImageList(m_wideImages[i].get(), static_cast<int>(i) + 1);
        }
        m_control.SetImageList(m_images.get());
    }
    m_control.SetIndent(0);
    m_control.SetPadding(8, 0);

    std::vector<TBBUTTON> entries;
    entries.reserve(m_model.size() + 3);
    // The texts live until the row has copied them.
    std::vector<std::wstring> texts(m_model.size());
    auto add = [&](const ToolbarButton& button, BYTE style, BYTE state) {
        TBBUTTON entry{};
        entry.iBitmap = button.imageIndex >= 0 ? MAKELONG(button.imageIndex, button.imageList) : I_IMAGENONE;
        entry.idCommand = button.commandId;
        entry.fsState = state;
        entry.fsStyle = style;
        std::wstring& text = texts[static_cast<size_t>(&button - m_model.data())];
        text = ShownCaption(static_cast<size_t>(&button - m_model.data()));
        entry.iString = reinterpret_cast<INT_PTR>(text.c_str());
        entries.push_back(entry);
    };
    // A separator's image field is its width: the search gap gets its 125
    // pixels as it is added, without a second layout of the row.
    auto separator = [&](int command, int width = -1) {
        TBBUTTON entry{};
        entry.iBitmap = width;
        entry.idCommand = command;
        entry.fsStyle = BTNS_SEP;
        entry.iString = -1;
        entries.push_back(entry);
    };
    const bool overflowing = hiddenFrom < m_model.size();
    // The chevron (one blank and its arrow) is measured once while shown. As
    // the last record it moves no other button: it is added shown and hidden
    // once measured, one layout of the row instead of two.
    const bool measureChevron = hiddenFrom == kAllShown && (m_chevronWidth == 0 || m_chevronHeight != m_rowHeight);
    const bool chevronLast = !m_model.empty() && m_model.back().IsChevron();
    for (size_t i = 0; i < m_model.size(); ++i) {
        const ToolbarButton& button = m_model[i];
        if (button.IsChevron()) {
            const bool shown = overflowing || (measureChevron && chevronLast);
            add(button, kStylePlain, shown ? TBSTATE_ENABLED : TBSTATE_ENABLED | TBSTATE_HIDDEN);
            continue;
        }
        const BYTE enabled = button.enabled ? TBSTATE_ENABLED : 0;
        add(button, ButtonStyle(button, i == 0), i >= hiddenFrom ? enabled | TBSTATE_HIDDEN : enabled);
        if (i == 0) {
            separator(kSeparatorAfterHome);
            separator(kSearchPlaceholder, kSearchPlaceholderWidth);
            separator(kSeparatorAfterSearch);
        }
    }
    // The size first: every message that changes the row lays it out again.
    m_control.SetButtonSize(81, m_rowHeight);
    m_control.AddButtons(entries.data(), entries.size());
    if (measureChevron) {
        if (!chevronLast) m_control.HideButton(kChevronCommand, false);
        const RECT chevron = m_control.ItemRect(kChevronCommand);
        m_chevronWidth = chevron.right - chevron.left;
        m_chevronHeight = m_rowHeight;
        m_control.HideButton(kChevronCommand, true);
    }
    if (hiddenFrom == kAllShown) {
        // Every record is shown: remember where each lies. The layout decides
        // the overflow from these.
        m_fullRects.clear();
        for (const ToolbarButton& button : m_model) m_fullRects.push_back(m_control.ItemRect(button.commandId));
    }
    m_control.SetRedraw(true);
    m_hiddenFrom = hiddenFrom;
}

bool CButtonRow::Layout(const RECT& place, int limit)
{
    if (!m_control) return false;
    const bool moved = PlaceChild(m_control.hwnd(), place);
    const size_t count = std::min(m_model.size(), m_fullRects.size());
    size_t overflowAt = kAllShown;
    for (size_t i = 1; i < count; ++i) {
        if (m_model[i].IsChevron()) continue;
        const RECT& rect = m_fullRects[i];
        // The button the limit falls on, or the first one wholly past it.
        if (limit <= rect.right + m_chevronWidth) {
            overflowAt = i;
            break;
        }
    }
    m_hiddenCount = 0;
    for (size_t i = std::min(overflowAt, count); i < count; ++i) {
        if (!m_model[i].IsChevron()) ++m_hiddenCount;
    }
    ApplyOverflow(overflowAt);
    return moved;
}

void CButtonRow::ApplyOverflow(size_t hiddenFrom)
{
    if (hiddenFrom == m_hiddenFrom) return;
    // Each hidden or shown button lays the whole row out again; past a few
    // changes, adding the buttons afresh with their states is cheaper.
    const size_t from = std::min(hiddenFrom, m_hiddenFrom);
    const size_t to = std::min(std::max(hiddenFrom, m_hiddenFrom), m_model.size());
    if (to - from > static_cast<size_t>(kFewButtons)) {
        Populate(hiddenFrom);
        return;
    }
    for (size_t i = from; i < to; ++i) {
        if (!m_model[i].IsChevron()) m_control.HideButton(m_model[i].commandId, i >= hiddenFrom);
    }
    m_control.HideButton(kChevronCommand, hiddenFrom >= m_model.size());
    m_hiddenFrom = hiddenFrom;
}

void CButtonRow::SetCaption(size_t index, const std::wstring& caption)
{
    if (index >= m_model.size()) return;
    m_model[index].caption = caption;
    // The button's width changes: the row is added again and measured anew.
    Populate(kAllShown);
}

HIMAGELIST CButtonRow::ImageList(int number) const noexcept
{
    if (number == 0) return m_images.get();
    if (number < 0 || static_cast<size_t>(number) > m_wideImages.size()) return nullptr;
    return m_wideImages[static_cast<size_t>(number) - 1].get();
}

std::wstring CButtonRow::ShownCaption(size_t index) const
{
    if (index >= m_model.size()) return {};
    const ToolbarButton& button = m_model[index];
    if (button.imageList < 1) return button.caption;
    return std::wstring(static_cast<size_t>(WideWidth(button) / kWideImagePixelsPerBlank), L' ') + button.caption;
}

std::optional<size_t> CButtonRow::IndexOf(int commandId) const noexcept
{
    for (size_t i = 0; i < m_model.size(); ++i) {
        if (m_model[i].commandId == commandId) return i;
    }
    return std::nullopt;
}

std::vector<size_t> CButtonRow::HiddenIndexes() const
{
    std::vector<size_t> hidden;
    for (size_t i = 0; i < m_model.size(); ++i) {
        if (!m_model[i].IsChevron() && m_control.IsButtonHidden(m_model[i].commandId)) hidden.push_back(i);
    }
    return hidden;
}

RECT CButtonRow::SearchGap() const noexcept
{
    const bool hasHome = !m_model.empty() && !m_model.front().IsChevron();
    const RECT home = m_control.ItemRect(hasHome ? m_model.front().commandId : 0);
    const RECT after = m_control.ItemRect(kSeparatorAfterSearch);
    RECT gap{home.right + 1, home.top, after.left - 1, std::min<LONG>(home.bottom, 22)};
    ::MapWindowPoints(m_control.hwnd(), m_parent, reinterpret_cast<POINT*>(&gap), 2);
    return gap;
}

POINT CButtonRow::BelowItem(int commandId) const noexcept
{
    RECT rect = m_control.ItemRect(commandId);
    ::MapWindowPoints(m_control.hwnd(), HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    return POINT{rect.left, rect.bottom};
}

} // namespace marlin
