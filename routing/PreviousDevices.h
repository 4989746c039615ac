#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** The USB devices remembered from earlier connections, kept in the application properties file
    so that a host port can be reserved for a device that is not attached now.

    One property per device, shared by all products: the key "VidPid::" followed by the device's
    vidPid as unsigned decimal text, the value "Name::" + name + "::CnInNb::" + input cables +
    "::CnOutNb::" + output cables. While the file could not be read, nothing is remembered, found,
    listed or forgotten.
*/
class PreviousDevices
{
public:
    static const juce::String keyPrefix;

    /** file may be null: then nothing is remembered. */
    explicit PreviousDevices (juce::PropertiesFile* file) : properties (file) {}

    /** The vidPid as unsigned decimal text: -1 is "4294967295". */
    static juce::String textOf (juce::int32 vidPid);
    /** A vidPid text read as an unsigned 32-bit number and taken bit for bit; anything that is not
        a number reads 0. */
    static juce::int32 readVidPid (const juce::String& text);

    /** Remembers a device, replacing what was remembered of it; false when the file is not valid. */
    bool store (const juce::String& vidPidText, const juce::String& name, int inputCables, int outputCables);

    /** The remembered device whose key is exactly "VidPid::" + vidPidText. The outputs are written
        only when it is found; a value without its three markers counts as not remembered. */
    bool find (const juce::String& vidPidText, juce::String& name, int& inputCables, int& outputCables) const;

    /** The vidPid texts of every remembered device, in the file's order. */
    juce::StringArray list() const;

    /** Forgets every remembered device; every other property stays. */
    void clear();

private:
    bool isValid() const { return properties != nullptr && properties->isValidFile(); }

    juce::PropertiesFile* properties;
};
