#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/LookAndFeelCustom.h"
#include "routing/DeviceChoiceList.h"

class UsbPortsReservation;

/** The device choice of one row of the reservation view: its items are those of its
    DeviceChoiceList, and it draws itself with a look and feel of its own. */
class ComboBoxUsbPortReservation : public juce::ComboBox,
                                   public LookAndFeelCustom
{
public:
    explicit ComboBoxUsbPortReservation (juce::Component* owner);
    ~ComboBoxUsbPortReservation() override;

    /** Shows the list's items again and selects one (without notification; -1 none). */
    void showChoices (int selectedIndex);
    /** Selects the device's item without notification; its index, or -1 (the selection stays). */
    int selectDevice (juce::int32 vidPid, juce::uint8 instance);
    juce::int32 getSelectedVidPid() const;
    juce::uint8 getSelectedInstance() const;

    DeviceChoiceList choices;
    UsbPortsReservation* ownerView;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ComboBoxUsbPortReservation)
};
