#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/RouterListCommon.h"

/** What every router tab shares: the grid, its refresh and its enablement. */
class RouterCommon : public juce::Component
{
public:
    virtual ~RouterCommon() override = default;

    virtual void refreshRouter() {}
    virtual void updateEnablement (int mode) { lastEnablementMode = mode; }
    virtual void setPortReservationButtonText (const juce::String&) {}
    /** Disables "Reset router", "Clear router" and the host-port reservation button. */
    virtual void disableRouterButtons() {}
    /** The routing grid, when it exists. */
    RouterListCommon* getRouterList() { return routerList.get(); }

    int lastEnablementMode = 1;

protected:
    std::unique_ptr<RouterListCommon> routerList;
};
