#include "settings/TrsTypeSetting.h"

juce::Array<int> TrsTypeSetting::getOutputNumbers (int productCode)
{
    if (productCode == productJorvek)
        return { 1, 2, 3, 4, 5, 6 };

    if (productCode == productNorrim)
        return { 11, 12, 13 };

    return {};
}

juce::String TrsTypeSetting::getOutputItemText (int outputNumber)
{
    return "TRS Output " + juce::String (outputNumber);
}

int TrsTypeSetting::getBit (int productCode, int listIndex)
{
    const auto outputs = getOutputNumbers (productCode);

    if (! juce::isPositiveAndBelow (listIndex, outputs.size()))
        return -1;

    return 15 + outputs[listIndex];
}

bool TrsTypeSetting::isTypeA (juce::int32 word, int productCode, int listIndex)
{
    const int bit = getBit (productCode, listIndex);
    return bit >= 0 && (((juce::uint32) word >> bit) & 1) != 0;
}

juce::int32 TrsTypeSetting::withType (juce::int32 word, int productCode, int listIndex, bool typeA)
{
    const int bit = getBit (productCode, listIndex);

    if (bit < 0)
        return word;

    const auto mask = 1u << bit;
    return (juce::int32) (typeA ? ((juce::uint32) word | mask) : ((juce::uint32) word & ~mask));
}

bool TrsTypeSetting::store (MidiController& device, int listIndex, bool typeA)
{
    if (getBit (device.productCode, listIndex) < 0)
        return false;

    auto& word = device.trsType[device.currentPreset & 0x0F];
    word = withType (word, device.productCode, listIndex, typeA);
    device.writeTrsTypes();
    return true;
}

bool TrsTypeSetting::isOutputListEnabled (const MidiController& device, int editorMode)
{
    return device.deviceMode == 1 && ! getOutputNumbers (device.productCode).isEmpty() && editorMode == editorIdle;
}

bool TrsTypeSetting::areTypeButtonsEnabled (const MidiController& device, int editorMode, int listIndex)
{
    return isOutputListEnabled (device, editorMode) && getBit (device.productCode, listIndex) >= 0;
}
