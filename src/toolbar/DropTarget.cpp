#include "DropTarget.h"

#include "DropRules.h"
#include "platform/Diagnostics.h"

#include <shlobj.h>

#include <algorithm>

namespace marlin {

namespace {

// Owns what GetData handed out.
class Medium {
public:
    Medium() = default;
    ~Medium() { ::ReleaseStgMedium(&m_medium); }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    STGMEDIUM* put() noexcept { return &m_medium; }
    HGLOBAL global() const noexcept { return m_medium.tymed == TYMED_HGLOBAL ? m_medium.hGlobal : nullptr; }

private:
    STGMEDIUM m_medium{};
};

FORMATETC GlobalFormat(CLIPFORMAT format) noexcept
{
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool Offers(IDataObject* object, CLIPFORMAT format) noexcept
{
    FORMATETC wanted = GlobalFormat(format);
    return object->QueryGetData(&wanted) == S_OK;
}

// A locked global block, unlocked when it goes.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL global) noexcept
        : m_global(global), m_data(global ? ::GlobalLock(global) : nullptr), m_size(m_data ? ::GlobalSize(global) : 0)
    {
    }
    ~LockedGlobal()
    {
        if (m_data) ::GlobalUnlock(m_global);
    }
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    const void* data() const noexcept { return m_data; }
    size_t size() const noexcept { return m_size; }

private:
    HGLOBAL m_global;
    void* m_data;
    size_t m_size;
};

// The text of one format; the memory need not hold a terminating null.
std::optional<std::wstring> TextOf(IDataObject* object, CLIPFORMAT format)
{
    FORMATETC wanted = GlobalFormat(format);
    Medium medium;
    if (object->GetData(&wanted, medium.put()) != S_OK) return std::nullopt;
    LockedGlobal memory(medium.global());
    if (!memory.data()) return std::nullopt;
    constexpr size_t kLimit = kMaxDroppedAddress + 1;
    if (format == CF_UNICODETEXT) {
        const auto* text = static_cast<const wchar_t*>(memory.data());
        const size_t chars = std::min(memory.size() / sizeof(wchar_t), kLimit);
        return std::wstring(text, std::find(text, text + chars, L'\0'));
    }
    const auto* bytes = static_cast<const char*>(memory.data());
    const size_t count = std::min(memory.size(), kLimit);
    const size_t length = static_cast<size_t>(std::find(bytes, bytes + count, '\0') - bytes);
    if (length == 0) return std::wstring();
    std::wstring text(length, L'\0');
    const int converted = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), text.data(),
                                                static_cast<int>(text.size()));
    text.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
    return text;
}

} // namespace

bool OffersDroppableData(IDataObject* object)
{
    return object && (Offers(object, CF_UNICODETEXT) || Offers(object, CF_TEXT) || Offers(object, CF_HDROP));
}

std::optional<std::wstring> ReadDroppedText(IDataObject* object)
{
    if (!object) return std::nullopt;
    if (auto text = TextOf(object, CF_UNICODETEXT)) return text;
    return TextOf(object, CF_TEXT);
}

std::vector<std::wstring> ReadDroppedFiles(IDataObject* object)
{
    std::vector<std::wstring> files;
    if (!object) return files;
    FORMATETC wanted = GlobalFormat(CF_HDROP);
    Medium medium;
    if (object->GetData(&wanted, medium.put()) != S_OK) return files;
    // The list is read here rather than by DragQueryFile, which trusts the
    // block's offsets: nothing is read outside the block.
    LockedGlobal memory(medium.global());
    if (!memory.data() || memory.size() < sizeof(DROPFILES)) return files;
    const auto* header = static_cast<const DROPFILES*>(memory.data());
    const auto* bytes = static_cast<const char*>(memory.data());
    size_t at = header->pFiles;
    if (at < sizeof(DROPFILES) || at >= memory.size()) return files;
    while (at < memory.size() && files.size() < kMaxDroppedFiles) {
        std::wstring path;
        if (header->fWide) {
            const auto* begin = reinterpret_cast<const wchar_t*>(bytes + at);
            const size_t room = (memory.size() - at) / sizeof(wchar_t);
            const wchar_t* end = std::find(begin, begin + room, L'\0');
            if (end == begin + room || end == begin) break; // unterminated, or the list's end
            path.assign(begin, end);
            at += (static_cast<size_t>(end - begin) + 1) * sizeof(wchar_t);
        } else {
            const char* begin = bytes + at;
            const char* end = std::find(begin, bytes + memory.size(), '\0');
            if (end == bytes + memory.size() || end == begin) break;
            const int length = static_cast<int>(std::min<size_t>(end - begin, kMaxDroppedAddress + 1));
            path.resize(static_cast<size_t>(length));
            const int converted = ::MultiByteToWideChar(CP_ACP, 0, begin, length, path.data(), length);
            path.resize(converted > 0 ? static_cast<size_t>(converted) : 0);
            at += static_cast<size_t>(end - begin) + 1;
        }
        if (!path.empty() && path.size() <= kMaxDroppedAddress) files.push_back(std::move(path));
    }
    return files;
}

void CToolbarDropTarget::Disconnect() noexcept
{
    m_receiver = nullptr;
    m_kept.Reset();
}

void CToolbarDropTarget::Moved(POINTL at) noexcept
{
    if (m_receiver) m_receiver->DropCursorMoved(POINT{at.x, at.y});
}

STDMETHODIMP CToolbarDropTarget::DragEnter(IDataObject* object, DWORD, POINTL at, DWORD* effect) noexcept
{
    return ComBoundary([&] {
        if (!effect) return E_INVALIDARG;
        Moved(at);
        m_kept.Reset();
        if (m_receiver && OffersDroppableData(object)) m_kept = object;
        *effect = m_kept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    });
}

STDMETHODIMP CToolbarDropTarget::DragOver(DWORD, POINTL at, DWORD* effect) noexcept
{
    if (!effect) return E_INVALIDARG;
    Moved(at);
    *effect = m_kept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
}

STDMETHODIMP CToolbarDropTarget::DragLeave() noexcept
{
    m_kept.Reset();
    return S_OK;
}

STDMETHODIMP CToolbarDropTarget::Drop(IDataObject* object, DWORD, POINTL at, DWORD* effect) noexcept
{
    return ComBoundary([&] {
        if (!effect) return E_INVALIDARG;
        Moved(at);
        const bool accepted = static_cast<bool>(m_kept);
        m_kept.Reset();
        *effect = DROPEFFECT_NONE;
        if (!accepted || !m_receiver || !object) return S_OK;
        DroppedData data{ReadDroppedText(object), ReadDroppedFiles(object)};
        if (m_receiver->Dropped(std::move(data))) *effect = DROPEFFECT_COPY;
        return S_OK;
    });
}

bool DropTargetRegistration::Register(HWND window, IDropReceiver* receiver) noexcept
{
    Revoke();
    // The browser's window threads run OLE already; a thread that does not
    // gets it for as long as the registration lasts.
    const HRESULT ole = ::OleInitialize(nullptr);
    m_oleInitialized = SUCCEEDED(ole);
    try {
        m_target = CToolbarDropTarget::Make(receiver);
    } catch (...) {
        m_target.Reset();
    }
    if (m_target && ::RegisterDragDrop(window, m_target.Get()) == S_OK) {
        m_window = window;
        return true;
    }
    if (m_target) m_target->Disconnect();
    m_target.Reset();
    if (m_oleInitialized) ::OleUninitialize();
    m_oleInitialized = false;
    return false;
}

void DropTargetRegistration::Revoke() noexcept
{
    if (m_window) ::RevokeDragDrop(m_window);
    m_window = nullptr;
    if (m_target) m_target->Disconnect();
    m_target.Reset();
    if (m_oleInitialized) ::OleUninitialize();
    m_oleInitialized = false;
}

} // namespace marlin
