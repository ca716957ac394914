#pragma once
// The least a desk band with a row of buttons can do, as the floor the
// product's start-up is measured against: SetSite creates one toolbar control
// in the rebar with the given buttons, each with its caption and its icon
// (each icon file loaded once per load into an image list). No documents, no
// settings, no timer, no cache, no helper object.
#include "platform/ComObject.h"
#include "platform/UniqueHandle.h"

#include <ocidl.h>
#include <shobjidl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct FloorButton {
    std::wstring caption;
    std::wstring iconPath;
};

class FloorBand final : public marlin::ComObject<FloorBand, IDeskBand, IObjectWithSite, IInputObject> {
public:
    explicit FloorBand(std::shared_ptr<const std::vector<FloorButton>> buttons) noexcept
        : m_buttons(std::move(buttons))
    {
    }

    void* QueryExtraInterface(REFIID iid) noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) noexcept override;
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) noexcept override;
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) noexcept override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override;
    STDMETHODIMP GetSite(REFIID iid, void** site) noexcept override;

    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) noexcept override;
    STDMETHODIMP HasFocusIO() noexcept override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) noexcept override;

private:
    bool CreateToolbar(HWND parent);
    void DestroyToolbar() noexcept;

    std::shared_ptr<const std::vector<FloorButton>> m_buttons;
    marlin::ComPtr<IInputObjectSite> m_site;
    // The list outlives the control that shows it.
    marlin::unique_himagelist m_images;
    marlin::unique_hwnd m_toolbar;
    SIZE m_ideal{};
};
