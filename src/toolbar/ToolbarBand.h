#pragma once
// What the toolbar window needs of the band that owns it. The band implements
// it; the toolbar never sees the band's own class.
#include "platform/ComObject.h"

class IToolbarBand {
public:
    // A reference that keeps the band, and with it the toolbar, alive while a
    // handler runs a menu, dialog or message box: the browser may let the band
    // go inside such a message loop.
    virtual marlin::ComPtr<IUnknown> HoldBand() noexcept = 0;
    // Whether the band asked for a repaint while the toolbar did not exist yet;
    // answers true once per request.
    virtual bool TakeRepaintRequest() noexcept = 0;

protected:
    ~IToolbarBand() = default;
};
