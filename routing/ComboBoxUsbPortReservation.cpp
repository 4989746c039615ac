#include "routing/ComboBoxUsbPortReservation.h"
#include "routing/UsbPortsReservation.h"

ComboBoxUsbPortReservation::ComboBoxUsbPortReservation (juce::Component* owner)
    : juce::ComboBox (juce::String()),
      ownerView (dynamic_cast<UsbPortsReservation*> (owner))
{
    if (&getLookAndFeel() != this)
        setLookAndFeel (this);
}

ComboBoxUsbPortReservation::~ComboBoxUsbPortReservation()
{
    setLookAndFeel (nullptr);
}

void ComboBoxUsbPortReservation::showChoices (int selectedIndex)
{
    clear (juce::dontSendNotification);

    for (auto& entry : choices.getEntries())
    {
        switch (entry.kind)
        {
            case DeviceChoiceList::Entry::item:      addItem (entry.text, entry.id); break;
            case DeviceChoiceList::Entry::heading:   addSectionHeading (entry.text); break;
            case DeviceChoiceList::Entry::separator: addSeparator(); break;
        }
    }

    setSelectedItemIndex (selectedIndex, juce::dontSendNotification);
}

int ComboBoxUsbPortReservation::selectDevice (juce::int32 vidPid, juce::uint8 instance)
{
    const int index = choices.findDevice (vidPid, instance);

    if (index >= 0)
        setSelectedItemIndex (index, juce::dontSendNotification);

    return index;
}

juce::int32 ComboBoxUsbPortReservation::getSelectedVidPid() const
{
    return choices.getVidPid (getSelectedItemIndex());
}

juce::uint8 ComboBoxUsbPortReservation::getSelectedInstance() const
{
    return choices.getInstance (getSelectedItemIndex());
}
