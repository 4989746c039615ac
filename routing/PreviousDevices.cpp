#include "routing/PreviousDevices.h"

const juce::String PreviousDevices::keyPrefix ("VidPid::");

juce::String PreviousDevices::textOf (juce::int32 vidPid)
{
    return juce::String ((juce::uint32) vidPid);
}

juce::int32 PreviousDevices::readVidPid (const juce::String& text)
{
    return (juce::int32) (juce::uint32) text.getLargeIntValue();
}

bool PreviousDevices::store (const juce::String& vidPidText, const juce::String& name, int inputCables, int outputCables)
{
    if (! isValid())
        return false;

    properties->setValue (keyPrefix + vidPidText,
                          "Name::" + name + "::CnInNb::" + juce::String (inputCables) + "::CnOutNb::" + juce::String (outputCables));
    properties->setNeedsToBeSaved (true);
    return true;
}

bool PreviousDevices::find (const juce::String& vidPidText, juce::String& name, int& inputCables, int& outputCables) const
{
    const auto key = keyPrefix + vidPidText;

    if (! isValid() || ! properties->containsKey (key))
        return false;

    const auto value = properties->getValue (key);
    const int inputs = value.indexOf ("::CnInNb::");
    const int outputs = value.indexOf ("::CnOutNb::");

    if (! value.contains ("Name::") || inputs < 0 || outputs < 0)
        return false;

    name = value.substring (6, inputs);
    inputCables = value.substring (inputs + 10, outputs).getIntValue();
    outputCables = value.substring (outputs + 11).getIntValue();
    return true;
}

juce::StringArray PreviousDevices::list() const
{
    juce::StringArray texts;

    if (isValid())
    {
        const juce::ScopedLock sl (properties->getLock());
        const auto& all = properties->getAllProperties();

        for (auto& key : all.getAllKeys())
            if (key.startsWith (keyPrefix))
                texts.add (key.substring (keyPrefix.length()));
    }

    return texts;
}

void PreviousDevices::clear()
{
    if (! isValid())
        return;

    for (auto& key : list())
    {
        properties->removeValue (keyPrefix + key);
        properties->setNeedsToBeSaved (true);
    }
}
