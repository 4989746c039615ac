#include "editors/UnavailablePortMenuItem.h"

UnavailablePortMenuItem::UnavailablePortMenuItem (const juce::String& portName)
    : juce::PopupMenu::CustomComponent (false), text (portName)
{
    setTooltip (TRANS (tooltipText));
}

void UnavailablePortMenuItem::addTo (juce::ComboBox& list, int itemId, const juce::String& portName)
{
    juce::PopupMenu::Item item (portName);
    item.itemID = itemId;
    item.isEnabled = false;
    item.customComponent = juce::ReferenceCountedObjectPtr<juce::PopupMenu::CustomComponent> (new UnavailablePortMenuItem (portName));
    list.getRootMenu()->addItem (std::move (item));
}

void UnavailablePortMenuItem::renameItem (juce::ComboBox& list, int itemId, const juce::String& newText)
{
    // The list counts its item as chosen only while it shows the item's text.
    const bool chosen = list.getSelectedId() == itemId;

    for (juce::PopupMenu::MenuItemIterator iterator (*list.getRootMenu(), true); iterator.next();)
    {
        auto& item = iterator.getItem();

        if (item.itemID != itemId)
            continue;

        item.text = newText;

        if (auto* unavailable = dynamic_cast<UnavailablePortMenuItem*> (item.customComponent.get()))
            unavailable->text = newText;

        if (chosen)
            list.setSelectedId (itemId, juce::dontSendNotification);

        return;
    }
}

juce::String UnavailablePortMenuItem::getTooltipOfItem (const juce::ComboBox& list, int itemId)
{
    for (juce::PopupMenu::MenuItemIterator iterator (*list.getRootMenu(), true); iterator.next();)
    {
        auto& item = iterator.getItem();

        if (item.itemID == itemId)
            if (auto* unavailable = dynamic_cast<UnavailablePortMenuItem*> (item.customComponent.get()))
                return unavailable->getTooltip();
    }

    return {};
}

void UnavailablePortMenuItem::getIdealSize (int& idealWidth, int& idealHeight)
{
    getLookAndFeel().getIdealPopupMenuItemSize (text, false, -1, idealWidth, idealHeight);
}

void UnavailablePortMenuItem::paint (juce::Graphics& g)
{
    // Drawn as the list draws a disabled item.
    getLookAndFeel().drawPopupMenuItem (g, getLocalBounds(), false, false, false, false, false, text, {}, nullptr, nullptr);
}
