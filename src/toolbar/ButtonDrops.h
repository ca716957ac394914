#pragma once
// Buttons made by dropping: a link (from the toolbar's drop target or out of
// a page) becomes a button of the shown toolbar after the button dialog, with
// its site's icon fetched in the background; a file or folder becomes a
// button that opens it. Only while signed in: the buttons go into the login
// document.
//
// Icon files: a link's button gets a file of its own in the image folder,
// named after the name entered in the dialog (SafeIconFileStem: characters a
// file name cannot hold become "_", device names get a "_" in front) and
// numbered " (2)", " (3)"... when that name is taken. The file is made empty
// at once and filled when the favicon arrives, so no other button's icon is
// ever overwritten. Hosts containing "google" take "DefGoogle.ico".
#include "DropTarget.h"
#include "ToolbarCommands.h"

#include <deque>
#include <string>

namespace marlin {

class CButtonDrops final : public IDropReceiver {
public:
    // Posted to the toolbar window: run the drops waiting; a favicon arrived.
    static constexpr UINT kRunDropsMessage = WM_APP + 0x4D1;
    static constexpr UINT kFaviconArrivedMessage = WM_APP + 0x4D2;

    explicit CButtonDrops(IToolbarCommandHost& host) noexcept : m_host(host) {}
    CButtonDrops(const CButtonDrops&) = delete;
    CButtonDrops& operator=(const CButtonDrops&) = delete;

    // IDropReceiver. A drop runs at once, its dialog inside the drop as the
    // drag source waits; one that arrives while a dialog is open is kept and
    // run from the window's message loop after it.
    void DropCursorMoved(POINT screen) noexcept override
    {
        m_lastCursor = screen;
        m_lastDragSeen = ::GetTickCount64();
    }
    bool Dropped(DroppedData data) override;

    POINT LastCursor() const noexcept { return m_lastCursor; }
    // When a drag last moved over the toolbar (GetTickCount64; 0: never).
    ULONGLONG LastDragSeenAt() const noexcept { return m_lastDragSeen; }
    // Runs the drops waiting (at a drop, and on kRunDropsMessage).
    void RunPendingDrops();
    // The link pipeline: dialog, icon, button, rebuild. `fromPage` also asks
    // the favicon service when the site has no icon. True when a button was added.
    bool AddLinkButton(const std::wstring& address, bool fromPage);
    bool AddFileButton(const std::wstring& path);
    // The window is going: drops not yet run are forgotten.
    void Reset() noexcept { m_pending.clear(); }

private:
    bool SignedIn() const;
    bool Append(const std::wstring& caption, const std::wstring& icon, const std::wstring& toolTip,
                const std::wstring& url, int kind);

    IToolbarCommandHost& m_host;
    POINT m_lastCursor{};
    ULONGLONG m_lastDragSeen = 0;
    std::deque<DroppedData> m_pending;
    bool m_running = false;
};

} // namespace marlin
