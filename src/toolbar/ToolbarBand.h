#pragma once
// What the toolbar window needs of the band that owns it. The band implements
// it; the toolbar never sees the band's own class.
#include "platform/ComObject.h"
#include "search/SearchBand.h"

// HoldBand (from the search box's view of the band) keeps the band, and with
// it the toolbar, alive while a handler runs a menu, dialog or message box:
// the browser may let the band go inside such a message loop.
class IToolbarBand : public marlin::ISearchBand {
public:
    // Whether the band asked for a repaint while the toolbar did not exist yet;
    // answers true once per request.
    virtual bool TakeRepaintRequest() noexcept = 0;
    // The user allowed the shown page's pop-ups: the band's count of blocked
    // windows starts again.
    virtual void ResetPopupCount() noexcept = 0;

protected:
    ~IToolbarBand() = default;
};
