#pragma once
// The toolbar window as an OLE drop target: links (text) and files dragged
// onto it. The target only reads what was dropped, within bounds, and hands
// it on; what a drop adds is the receiver's business.
#include "platform/ComObject.h"

#include <oleidl.h>

#include <optional>
#include <string>
#include <vector>

namespace marlin {

// What is read of a dropped object at most: the text up to the longest
// address a drop accepts (and one character more, to know it was longer),
// and this many file names of at most that length each.
inline constexpr size_t kMaxDroppedFiles = 32;

struct DroppedData {
    std::optional<std::wstring> text;
    std::vector<std::wstring> files;
};

// Whether the object offers text (CF_UNICODETEXT or CF_TEXT) or file names
// (CF_HDROP) in global memory.
bool OffersDroppableData(IDataObject* object);
// The text, CF_UNICODETEXT preferred over CF_TEXT (an address may hold
// characters of any language); up to the first null or the end of the memory.
std::optional<std::wstring> ReadDroppedText(IDataObject* object);
// The file names; names longer than an address may be are passed over.
std::vector<std::wstring> ReadDroppedFiles(IDataObject* object);

class IDropReceiver {
public:
    // Where the cursor was last seen over the target (screen coordinates).
    virtual void DropCursorMoved(POINT screen) noexcept = 0;
    // What was dropped; answers whether anything will come of it.
    virtual bool Dropped(DroppedData data) = 0;

protected:
    ~IDropReceiver() = default;
};

class CToolbarDropTarget final : public ComObject<CToolbarDropTarget, IDropTarget> {
public:
    explicit CToolbarDropTarget(IDropReceiver* receiver) noexcept : m_receiver(receiver) {}
    // The receiver is going; OLE may still hold the target for a moment.
    void Disconnect() noexcept;

    // IDropTarget
    STDMETHODIMP DragEnter(IDataObject* object, DWORD keys, POINTL at, DWORD* effect) noexcept override;
    STDMETHODIMP DragOver(DWORD keys, POINTL at, DWORD* effect) noexcept override;
    STDMETHODIMP DragLeave() noexcept override;
    STDMETHODIMP Drop(IDataObject* object, DWORD keys, POINTL at, DWORD* effect) noexcept override;

private:
    void Moved(POINTL at) noexcept;

    IDropReceiver* m_receiver;
    ComPtr<IDataObject> m_kept; // the drag in progress, when it was accepted
};

// The window's registration as a drop target, undone by its owner: OLE is
// initialised on the thread for as long as the registration lasts.
class DropTargetRegistration {
public:
    DropTargetRegistration() = default;
    ~DropTargetRegistration() { Revoke(); }
    DropTargetRegistration(const DropTargetRegistration&) = delete;
    DropTargetRegistration& operator=(const DropTargetRegistration&) = delete;

    bool Register(HWND window, IDropReceiver* receiver) noexcept;
    void Revoke() noexcept;
    IDropTarget* Target() const noexcept { return m_target.Get(); }

private:
    HWND m_window = nullptr;
    ComPtr<CToolbarDropTarget> m_target;
    bool m_oleInitialized = false;
};

} // namespace marlin
