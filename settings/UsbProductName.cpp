#include "settings/UsbProductName.h"

void UsbProductName::pack (const juce::String& name, juce::uint32 (&words)[6])
{
    std::fill (std::begin (words), std::end (words), 0u);

    auto c = name.getCharPointer();

    for (int i = 0; i < maxLength && ! c.isEmpty(); ++i)
        words[i / 4] |= ((juce::uint32) c.getAndAdvance() & 0xFF) << (24 - 8 * (i % 4));
}

juce::String UsbProductName::unpack (const juce::uint32 (&words)[6])
{
    juce::String name;

    for (int i = 0; i < maxLength; ++i)
    {
        const auto c = (words[i / 4] >> (24 - 8 * (i % 4))) & 0xFF;

        if (c == 0)
            break;

        name += juce::String::charToString ((juce::juce_wchar) c);
    }

    return name;
}

bool UsbProductName::isSupported (const MidiController& device)
{
    return device.deviceFirmwareVersion >= 6.95f && device.hostFirmwareVersion >= 0.1f;
}

TypedNameCheck UsbProductName::checkTypedText (const juce::String& text)
{
    return checkTypedName (text, maxLength);
}

UsbProductName::Buttons UsbProductName::getButtons (const MidiController& device, const juce::String& editorText)
{
    Buttons buttons;

    if (! isSupported (device))
        return buttons;

    const auto check = checkTypedText (editorText);

    if (! check.valid)
    {
        buttons.resetEnabled = true;
        buttons.warning = check.warning;
        return buttons;
    }

    if (device.productName.isEmpty())
        return buttons;

    const auto defaultName = getDefaultUsbProductName (device);
    const auto currentName = getCurrentUsbProductName (device);

    if (editorText == defaultName && currentName == editorText)
        return buttons;

    buttons.resetEnabled = true;
    buttons.applyEnabled = editorText != currentName;
    return buttons;
}

UsbProductName::EditorState UsbProductName::getEditorState (const MidiController& device, int editorMode)
{
    EditorState state;

    if (! isSupported (device))
    {
        state.tooltip = "This editor allows to change the USB string name of the connected device\n\n"
                        "Connected device firmware must be upgraded to a higher version to enable this feature";
        return state;
    }

    state.enabled = device.deviceMode == 1 && editorMode == editorIdle;
    state.alpha = state.enabled ? 1.0f : 0.4f;
    state.tooltip = "Use this editor to change the USB string name of the connected device\n"
                    "Up to 24 characters are allowed\n"
                    "Once updated, you will have to disconnect and reconnect the device to take effect";
    return state;
}

bool UsbProductName::store (MidiController& device, const juce::String& name)
{
    pack (name, device.usbProductName);

    // The name goes to the device core of a host product running its application.
    const bool writable = isSupported (device) && device.deviceMode != 0 && device.upgradeStep < 1
                           && device.getDeviceCoreId() != 255;

    if (! writable)
        return false;

    device.markForWrite (kindUsbProductName, 0);
    device.sendPending (kindUsbProductName);
    return true;
}

juce::String getDefaultUsbProductName (const MidiController& device)
{
    if (device.deviceMode == 0 || device.hostFirmwareVersion < 0.1f)
        return {};

    static const char* const models[] = { "Calder Pro", "Dorvin BC", "Gavrel Pro", "Jorvek Pro", "Lissar Pro", "Norrim Pro" };

    for (auto* model : models)
        if (device.productName == model)
            return device.productName.replaceCharacter (' ', '-');

    return {};
}

juce::String getCurrentUsbProductName (const MidiController& device)
{
    if (UsbProductName::isSupported (device))
    {
        auto stored = UsbProductName::unpack (device.usbProductName);

        if (stored.isNotEmpty())
            return stored;
    }

    return getDefaultUsbProductName (device);
}
